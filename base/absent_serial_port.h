// A serial port with nothing behind it: it never opens. For commands that need no board.
#pragma once

#include "base/ports.h"

namespace solmir {

class AbsentSerialPort : public SerialPort {
 public:
  bool open(const std::string&) override { return false; }
  void close() override {}
  bool is_open() const override { return false; }
  void write(std::string_view) override {}
  std::string read(std::size_t) override { return {}; }
  std::size_t bytes_available() const override { return 0; }
  void discard_buffers() override {}
  void set_dtr(bool) override {}
  void set_rts(bool) override {}
};

}  // namespace solmir
