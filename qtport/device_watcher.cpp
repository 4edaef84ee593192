#include "qtport/device_watcher.h"

#include "qtport/port_names.h"

namespace solmir::qt {

DeviceWatcher::DeviceWatcher(std::filesystem::path device_dir, int interval_ms)
    : device_dir_(device_dir.empty() ? default_device_dir() : std::move(device_dir)) {
  timer_.setInterval(interval_ms);
  QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { poll(); });
}

void DeviceWatcher::start() {
  const auto now = list_port_devices(device_dir_);
  known_ = std::set<std::string>(now.begin(), now.end());
  timer_.start();
}

void DeviceWatcher::stop() {
  timer_.stop();
}

void DeviceWatcher::poll() {
  const auto list = list_port_devices(device_dir_);
  const std::set<std::string> now(list.begin(), list.end());
  // Removals first: a board that comes back under another number is then reported gone
  // before it is reported arrived.
  for (const std::string& d : known_)
    if (!now.count(d) && on_removal) on_removal(port_text_for_device(d, device_dir_, true));
  std::set<std::string> previous = std::move(known_);
  known_ = now;
  for (const std::string& d : now)
    if (!previous.count(d) && on_arrival) on_arrival(port_text_for_device(d, device_dir_));
}

}  // namespace solmir::qt
