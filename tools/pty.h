// A pseudo-terminal for the virtual reader board: its far end is a serial device that a
// program opens like a real port. The implementation is the platform's (pty_posix.cpp).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace solmir::tools {

class PseudoTerminal {
 public:
  // Throws std::runtime_error when no pseudo-terminal can be had.
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // The device the program opens (/dev/pts/N).
  const std::string& device() const { return device_; }
  // Waits up to timeout_ms (fractions of a millisecond count; negative: without end) for
  // bytes from the program; returns what came (empty on time-out).
  std::string read(double timeout_ms);
  void write(std::string_view bytes);
  // Closes it: the device goes away and the program's port sees it lost.
  void close();

 private:
  struct Handles;
  std::unique_ptr<Handles> h_;
  std::string device_;
};

}  // namespace solmir::tools
