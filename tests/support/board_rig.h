// A main window with the virtual reader board behind its link, on virtual time.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "board/virtual/virtual_serial_port.h"
#include "tests/support/fakes.h"

namespace solmir::test {

struct BoardRig {
  explicit BoardRig(board::virt::BoardOptions options = {}, std::set<std::string> names = {})
      : rig([&](EventLoop& loop) {
          auto p = std::make_unique<board::virt::VirtualSerialPort>(loop, options);
          p->names = names;
          return p;
        }) {}

  board::virt::VirtualSerialPort& port() {
    return static_cast<board::virt::VirtualSerialPort&>(*rig.owned_serial);
  }
  board::virt::VirtualBoard& board() { return port().board(); }
  board::virt::Card& card() { return board().card(); }
  // Starts the window (its start-up opens the link on the saved port, "0" when none).
  Form1& start() { return rig.start(); }
  Form1& form() { return *rig.form; }
  std::vector<std::string> message_lines() const { return rig.message_lines(); }

  Rig rig;
};

}  // namespace solmir::test
