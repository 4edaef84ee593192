// How a port number becomes a device. On Linux number n is /dev/ttyACM<n> when it exists
// (the Arduino Uno's USB link), else /dev/ttyUSB<n> (the Nano's USB-serial chip); the legacy
// /dev/ttyS ports, which always open, are never reached by a number. On Windows n is COM<n>.
// A name that is not a number (a device path such as /dev/pts/4 or /dev/serial/by-id/...,
// or COM3) is used as it is.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace solmir::qt {

// The device folder: $SOLMIR_DEVICE_DIR when set (tests point it elsewhere), else /dev.
std::filesystem::path default_device_dir();

// The device of a port name (see above); dev_dir replaces /dev.
std::string device_for_port(const std::string& name, const std::filesystem::path& dev_dir);

// The serial port devices present now, as full paths (Linux: ttyACM<n> and ttyUSB<n> of
// dev_dir), sorted.
std::vector<std::string> list_port_devices(const std::filesystem::path& dev_dir);

// The text the `port` box takes for a device: its number when that number leads back to it,
// else the device path. For a device that has just gone (removed), the number it had.
std::string port_text_for_device(const std::string& device, const std::filesystem::path& dev_dir,
                                 bool removed = false);

}  // namespace solmir::qt
