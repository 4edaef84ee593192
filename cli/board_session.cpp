#include "cli/board_session.h"

#include <algorithm>
#include <cctype>

#include "base/inpout.h"
#include "board/virtual/virtual_serial_port.h"
#include "cli/terminal.h"
#include "qtport/qt_serial_port.h"

namespace solmir::cli {

ProgressLine::ProgressLine(std::string label)
    : label_(std::move(label)), tty_(stderr_is_terminal()) {}

void ProgressLine::update(std::int64_t value, std::int64_t max) {
  if (max <= 0) return;
  const int pct = static_cast<int>(std::clamp<std::int64_t>(value * 100 / max, 0, 100));
  if (pct == last_) return;
  last_ = pct;
  if (tty_) {
    const int filled = pct * 30 / 100;
    std::cerr << '\r' << label_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(30 - filled), ' ') << "] " << pct << " %"
              << std::flush;
    open_ = true;
  } else if (pct / 10 != last_tenth_) {
    last_tenth_ = pct / 10;
    std::cerr << label_ << " : " << pct << " %" << std::endl;
  }
}

void ProgressLine::end_line() {
  if (!open_) return;
  std::cerr << std::endl;
  open_ = false;
  last_ = -1;
}

DirectBoard::DirectBoard(const std::string& port, const board::virt::BoardOptions& options)
    : app_(QCoreApplication::instance() ? nullptr
                                        : std::make_unique<QCoreApplication>(argc_, argv_)),
      port_(port),
      virtual_(port == "virtual") {
  if (virtual_) {
    try {
      serial_ = std::make_unique<board::virt::VirtualSerialPort>(loop_, options);
    } catch (const std::exception& e) {
      throw CliError{e.what(), 1};
    }
  } else {
    serial_ = std::make_unique<qt::QtSerialPort>();
  }
  link_ = std::make_unique<board::Link>(*serial_, loop_);
}

DirectBoard::~DirectBoard() {
  link_.reset();
  if (serial_ && serial_->is_open()) serial_->close();
}

namespace {

// The name the port is opened with: a number ("3", "07" give "3"), or the device path.
std::string port_name(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  std::string t = text.substr(b, e - b);
  if (!t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    t.erase(0, std::min(t.find_first_not_of('0'), t.size() - 1));
  }
  return t;
}

}  // namespace

bool DirectBoard::connect() {
  if (!serial_->open(virtual_ ? std::string("0") : port_name(port_))) {
    std::cerr << board::kMsgNoLink << std::endl;
    return false;
  }
  link_->reset_board();
  return true;
}

void DirectBoard::close() {
  if (serial_->is_open()) serial_->close();
}

void DirectBoard::settle() {
  attente(loop_, 100);
}

}  // namespace solmir::cli
