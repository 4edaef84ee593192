#include "tests/support/fakes.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

namespace solmir::test {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() /
          ("solmir-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

Rig::Rig(SerialPort* serial)
    : ports{loop, dialogs, serial ? *serial : absent, settings, processes, environment} {}

Rig::Rig(const std::function<std::unique_ptr<SerialPort>(EventLoop&)>& make_serial)
    : owned_serial(make_serial(loop)), ports{loop,     dialogs,   *owned_serial,
                                             settings, processes, environment} {}

Form1& Rig::start() {
  form = std::make_unique<Form1>(ports);
  form->Form_Load();
  return *form;
}

std::vector<std::string> Rig::message_lines() const {
  std::vector<std::string> lines;
  const std::string& t = form->Label_defautP.text();
  std::size_t b = 0;
  for (std::size_t e; (e = t.find("\r\n", b)) != std::string::npos; b = e + 2)
    lines.push_back(t.substr(b, e - b));
  if (b < t.size()) lines.push_back(t.substr(b));
  return lines;
}

std::filesystem::path shared_midi(const std::string& name) {
  return std::filesystem::path(SOLMIR_SHARED_MIDI) / name;
}

std::vector<std::filesystem::path> shared_midi_files() {
  std::vector<std::filesystem::path> v;
  for (const auto& e : std::filesystem::directory_iterator(SOLMIR_SHARED_MIDI))
    if (e.path().extension() == ".mid") v.push_back(e.path());
  std::sort(v.begin(), v.end());
  return v;
}

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

}  // namespace solmir::test
