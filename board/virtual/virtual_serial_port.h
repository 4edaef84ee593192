// The virtual reader board behind the serial port interface, in the same process: what the
// program writes goes to the board, and the board's answers come back through
// EventLoop::post at the time they are due, so that it works with the virtual-time loop of
// the tests (silences and slow cards take no real time) as with the Qt loop.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/ports.h"
#include "board/virtual/virtual_board.h"

namespace solmir::board::virt {

class VirtualSerialPort : public SerialPort {
 public:
  VirtualSerialPort(EventLoop& loop, BoardOptions options = {});
  ~VirtualSerialPort() override;

  VirtualBoard& board() { return *board_; }

  // The port names that open (a number as text, or a path); empty: any name.
  std::set<std::string> names;
  // Every name open() was called with, in order.
  std::vector<std::string> open_attempts;
  // The name the port is open on.
  const std::string& open_name() const { return open_name_; }
  // How many DTR resets the board has had.
  int resets() const { return resets_; }

  // The device goes away (as an unplugged board): the port closes, on_port_lost is called
  // from the event loop, and no name opens until plug_in().
  void unplug();
  void plug_in();
  bool plugged() const { return plugged_; }

  bool open(const std::string& name) override;
  void close() override;
  bool is_open() const override { return open_; }
  void write(std::string_view bytes) override;
  std::string read(std::size_t n) override;
  std::size_t bytes_available() const override { return rx_.size(); }
  void discard_buffers() override { rx_.clear(); }
  void set_dtr(bool on) override;
  void set_rts(bool) override {}

 private:
  void deliver(const BoardOutput& out);
  void lose();

  EventLoop& loop_;
  std::unique_ptr<VirtualBoard> board_;
  bool open_ = false, plugged_ = true, dtr_ = false;
  int resets_ = 0;
  std::string open_name_;
  std::string rx_;
  double rx_free_ = 0;
  // Deliveries posted for an earlier opening (or a port gone) are dropped.
  unsigned session_ = 0;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace solmir::board::virt
