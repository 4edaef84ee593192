#include "qtport/port_names.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace solmir::qt {

namespace {

bool all_digits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The number of a device name "ttyACM<n>" / "ttyUSB<n>" (or "COM<n>"), or -1.
long number_of(const std::string& file_name) {
#ifdef _WIN32
  const char* prefixes[] = {"COM"};
#else
  const char* prefixes[] = {"ttyACM", "ttyUSB"};
#endif
  for (const std::string p : prefixes) {
    if (file_name.rfind(p, 0) == 0 && all_digits(file_name.substr(p.size())))
      return std::stol(file_name.substr(p.size()));
  }
  return -1;
}

}  // namespace

std::filesystem::path default_device_dir() {
  const char* d = std::getenv("SOLMIR_DEVICE_DIR");
  return d && *d ? std::filesystem::path(d) : std::filesystem::path("/dev");
}

std::string device_for_port(const std::string& name, const std::filesystem::path& dev_dir) {
  if (!all_digits(name)) return name;
  const std::string n = std::to_string(std::stol(name));
#ifdef _WIN32
  (void)dev_dir;
  return "COM" + n;
#else
  std::error_code ec;
  const auto acm = dev_dir / ("ttyACM" + n);
  if (std::filesystem::exists(acm, ec)) return acm.string();
  return (dev_dir / ("ttyUSB" + n)).string();
#endif
}

std::vector<std::string> list_port_devices(const std::filesystem::path& dev_dir) {
  std::vector<std::string> found;
#ifdef _WIN32
  (void)dev_dir;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    const std::string name = info.portName().toStdString();
    if (number_of(name) >= 0) found.push_back(name);
  }
#else
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dev_dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (number_of(it->path().filename().string()) >= 0) found.push_back(it->path().string());
  }
#endif
  std::sort(found.begin(), found.end());
  return found;
}

std::string port_text_for_device(const std::string& device, const std::filesystem::path& dev_dir,
                                 bool removed) {
  const std::string name = std::filesystem::path(device).filename().string();
  const long n = number_of(name);
  if (n < 0) return device;
  const std::string text = std::to_string(n);
#ifndef _WIN32
  // A ttyACM device was what its number led to; a ttyUSB one, unless a ttyACM of the same
  // number is there.
  if (removed) {
    std::error_code ec;
    const bool acm_there = std::filesystem::exists(dev_dir / ("ttyACM" + text), ec);
    return name.rfind("ttyACM", 0) == 0 || !acm_there ? text : device;
  }
#else
  (void)removed;
#endif
  return device_for_port(text, dev_dir) == device ? text : device;
}

}  // namespace solmir::qt
