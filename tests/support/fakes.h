// Scripted stand-ins for the platform, for tests of the core without a window.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/absent_serial_port.h"
#include "base/ports.h"
#include "base/std_event_loop.h"

namespace solmir::test {

// Message boxes are recorded; questions and file dialogs take their answers from queues
// (a question with no answer queued is answered No, a dialog with none is cancelled).
class ScriptedDialogs : public Dialogs {
 public:
  void message(const std::string& text) override { messages.push_back(text); }
  bool ask_yes_no(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  // The box is counted with the messages; answered OK unless ok_answers says otherwise.
  bool ask_ok_cancel(const std::string& text) override {
    messages.push_back(text);
    if (ok_answers.empty()) return true;
    const bool a = ok_answers.front();
    ok_answers.pop_front();
    return a;
  }
  std::string open_file(const std::string& title, const std::string& filters,
                        const std::string&) override {
    last_title = title;
    last_filters = filters;
    return next_path();
  }
  std::string save_file(const std::string& title, const std::string& filters, const std::string&,
                        const std::string& proposed) override {
    last_title = title;
    last_filters = filters;
    last_proposed = proposed;
    return next_path();
  }
  void set_busy(bool b) override { busy = b; }

  std::vector<std::string> messages, questions;
  std::deque<bool> answers;
  std::deque<bool> ok_answers;
  std::deque<std::string> paths;
  std::string last_title, last_filters, last_proposed;
  bool busy = false;

 private:
  std::string next_path() {
    if (paths.empty()) return {};
    std::string p = paths.front();
    paths.pop_front();
    return p;
  }
};

class MemorySettings : public SettingsStore {
 public:
  std::string get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& def) override {
    auto it = values.find(app + "/" + section + "/" + key);
    return it == values.end() ? def : it->second;
  }
  void save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override {
    values[app + "/" + section + "/" + key] = value;
    saved_keys.push_back(key);
  }
  std::map<std::string, std::string> values;
  std::vector<std::string> saved_keys;
};

class FakeProcessRunner : public ProcessRunner {
 public:
  int run_and_wait(const std::string& program, const std::vector<std::string>& args) override {
    runs.push_back({program, args});
    if (during) during();
    return exit_code;
  }
  std::vector<std::pair<std::string, std::vector<std::string>>> runs;
  int exit_code = 0;
  // Runs while the program "runs", before its exit code is returned.
  std::function<void()> during;
};

using solmir::AbsentSerialPort;

// A temporary folder, removed at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class FakeEnvironment : public Environment {
 public:
  explicit FakeEnvironment(std::filesystem::path root)
      : program_(root / "programme"), documents_(root / "Documents") {
    std::filesystem::create_directories(program_);
    std::filesystem::create_directories(documents_);
  }
  std::filesystem::path program_folder() override { return program_; }
  std::filesystem::path documents_folder() override { return documents_; }
  std::filesystem::path program_, documents_;
};

// Everything a test of the main window needs, with virtual time. Pass a serial port to put
// something behind the link.
struct Rig {
  explicit Rig(SerialPort* serial = nullptr);
  // A serial port made on the rig's own event loop (a virtual board, for instance).
  explicit Rig(const std::function<std::unique_ptr<SerialPort>(EventLoop&)>& make_serial);
  TempDir dir;
  StdEventLoop loop{true};
  ScriptedDialogs dialogs;
  MemorySettings settings;
  FakeProcessRunner processes;
  FakeEnvironment environment{dir.path()};
  AbsentSerialPort absent;
  std::unique_ptr<SerialPort> owned_serial;
  Ports ports;
  std::unique_ptr<Form1> form;

  // Makes the main window and runs its start-up.
  Form1& start();
  // The lines of the service messages.
  std::vector<std::string> message_lines() const;
};

// A file of ../shared/midi.
std::filesystem::path shared_midi(const std::string& name);
// All files of ../shared/midi.
std::vector<std::filesystem::path> shared_midi_files();
std::string read_file(const std::filesystem::path& p);
void write_file(const std::filesystem::path& p, const std::string& bytes);

}  // namespace solmir::test
