// The serial port behind the window's link, chosen from its command line:
//   solmir --carte-virtuelle [--card FICHIER] [other virtual board options]
// gives an in-process virtual reader board (board/virtual/board_args.h lists the options);
// without --carte-virtuelle, the Qt serial port.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/ports.h"

namespace solmir::qt {

struct SerialChoice {
  std::unique_ptr<SerialPort> port;
  bool virtual_board = false;
  // The arguments left for the window (a MIDI file, ...).
  std::vector<std::string> rest;
};

// Throws std::invalid_argument / std::runtime_error with a French message for a bad board
// option or card file.
SerialChoice choose_serial_port(std::vector<std::string> args, EventLoop& loop);

}  // namespace solmir::qt
