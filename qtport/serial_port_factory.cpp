#include "qtport/serial_port_factory.h"

#include <algorithm>

#include "board/virtual/board_args.h"
#include "board/virtual/virtual_serial_port.h"
#include "qtport/qt_serial_port.h"

namespace solmir::qt {

SerialChoice choose_serial_port(std::vector<std::string> args, EventLoop& loop) {
  SerialChoice c;
  const auto flag = std::find(args.begin(), args.end(), "--carte-virtuelle");
  if (flag == args.end()) {
    c.port = std::make_unique<QtSerialPort>();
    c.rest = std::move(args);
    return c;
  }
  args.erase(flag);
  board::virt::BoardOptions options = board::virt::take_board_options(args);
  c.port = std::make_unique<board::virt::VirtualSerialPort>(loop, std::move(options));
  c.virtual_board = true;
  c.rest = std::move(args);
  return c;
}

}  // namespace solmir::qt
