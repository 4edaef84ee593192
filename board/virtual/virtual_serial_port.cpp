#include "board/virtual/virtual_serial_port.h"

#include <algorithm>
#include <cmath>

namespace solmir::board::virt {

VirtualSerialPort::VirtualSerialPort(EventLoop& loop, BoardOptions options)
    : loop_(loop), board_(std::make_unique<VirtualBoard>(std::move(options))) {
  board_->on_output = [this](const BoardOutput& out) { deliver(out); };
}

VirtualSerialPort::~VirtualSerialPort() = default;

void VirtualSerialPort::deliver(const BoardOutput& out) {
  const double now = static_cast<double>(loop_.uptime_ms());
  const int delay = static_cast<int>(std::ceil(std::max(0.0, out.due_ms - now)));
  std::weak_ptr<int> alive = alive_;
  const unsigned session = session_;
  loop_.post(delay, [this, alive, session, out] {
    if (alive.expired() || session != session_ || !open_) return;
    if (out.hang_up) {
      lose();
      return;
    }
    rx_ += out.bytes;
    if (on_bytes_arrived) on_bytes_arrived();
  });
}

bool VirtualSerialPort::open(const std::string& name) {
  open_attempts.push_back(name);
  if (open_ || !plugged_ || board_->gone()) return false;
  if (!names.empty() && names.count(name) == 0) return false;
  open_ = true;
  open_name_ = name;
  rx_.clear();
  ++session_;
  return true;
}

void VirtualSerialPort::close() {
  open_ = false;
  open_name_.clear();
  rx_.clear();
  ++session_;
}

void VirtualSerialPort::write(std::string_view bytes) {
  if (!open_ || bytes.empty()) return;
  double at = static_cast<double>(loop_.uptime_ms());
  if (board_->options().pace_link) {
    rx_free_ = std::max(rx_free_, at) + static_cast<double>(bytes.size()) * VirtualBoard::kByteMs;
    at = rx_free_;
  }
  board_->receive(bytes, at);
}

std::string VirtualSerialPort::read(std::size_t n) {
  const std::size_t k = std::min(n, rx_.size());
  std::string s = rx_.substr(0, k);
  rx_.erase(0, k);
  return s;
}

void VirtualSerialPort::set_dtr(bool on) {
  if (open_ && on && !dtr_) {
    board_->reset();
    ++resets_;
  }
  dtr_ = on;
}

void VirtualSerialPort::lose() {
  plugged_ = false;
  const bool was_open = open_;
  close();
  if (was_open && on_port_lost) on_port_lost();
}

void VirtualSerialPort::unplug() {
  if (!open_) {
    plugged_ = false;
    return;
  }
  open_ = false;
  plugged_ = false;
  std::weak_ptr<int> alive = alive_;
  loop_.post(0, [this, alive] {
    if (alive.expired()) return;
    close();
    if (on_port_lost) on_port_lost();
  });
}

void VirtualSerialPort::plug_in() {
  plugged_ = true;
}

}  // namespace solmir::board::virt
