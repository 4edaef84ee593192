// Device notifications for the link: polls the serial port devices about once a second and
// reports each one that appears or goes away, with the text the `port` box takes for it (its
// number, or its path when the number leads elsewhere). Wire it to Form1::device_arrival and
// Form1::device_removal.
#pragma once

#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

namespace solmir::qt {

class DeviceWatcher {
 public:
  explicit DeviceWatcher(std::filesystem::path device_dir = {}, int interval_ms = 1000);

  std::function<void(const std::string& port_text)> on_arrival;
  std::function<void(const std::string& port_text)> on_removal;

  // Takes the devices present now as known (they are not reported) and starts polling.
  void start();
  void stop();
  // One look at the devices, reporting the changes since the last one.
  void poll();

 private:
  std::filesystem::path device_dir_;
  QObject context_;
  QTimer timer_;
  std::set<std::string> known_;
};

}  // namespace solmir::qt
