// The pseudo-terminal on POSIX systems (Linux).
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "tools/pty.h"

namespace solmir::tools {

struct PseudoTerminal::Handles {
  int master = -1;
  // The board keeps the far end open itself, so that the device stays while the program
  // closes and reopens its port (a master without any open far end reads as hung up).
  int slave = -1;
};

PseudoTerminal::PseudoTerminal() : h_(std::make_unique<Handles>()) {
  h_->master = posix_openpt(O_RDWR | O_NOCTTY);
  if (h_->master < 0 || grantpt(h_->master) != 0 || unlockpt(h_->master) != 0)
    throw std::runtime_error("Pas de pseudo-terminal disponible");
  const char* name = ptsname(h_->master);
  if (!name) throw std::runtime_error("Pas de pseudo-terminal disponible");
  device_ = name;
  h_->slave = ::open(device_.c_str(), O_RDWR | O_NOCTTY);
  if (h_->slave < 0) throw std::runtime_error("Pseudo-terminal inutilisable : " + device_);
  // Raw from the start: no echo of the board's answers back to it, no line editing.
  termios t{};
  if (tcgetattr(h_->slave, &t) == 0) {
    cfmakeraw(&t);
    tcsetattr(h_->slave, TCSANOW, &t);
  }
}

PseudoTerminal::~PseudoTerminal() {
  close();
}

std::string PseudoTerminal::read(double timeout_ms) {
  if (h_->master < 0) return {};
  pollfd p{h_->master, POLLIN, 0};
  timespec t{};
  if (timeout_ms >= 0) {
    const auto ns = static_cast<long long>(timeout_ms * 1e6);
    t.tv_sec = static_cast<time_t>(ns / 1000000000LL);
    t.tv_nsec = static_cast<long>(ns % 1000000000LL);
  }
  // To the microsecond: a paced board hands its answers out when they are due.
  const int r = ::ppoll(&p, 1, timeout_ms < 0 ? nullptr : &t, nullptr);
  if (r > 0 && !(p.revents & POLLIN)) {
    // Hung up or in error: wait out the time rather than turn round at once.
    timespec rest = timeout_ms < 0 ? timespec{1, 0} : t;
    ::ppoll(nullptr, 0, &rest, nullptr);
    return {};
  }
  if (r <= 0) return {};
  char buf[4096];
  const ssize_t n = ::read(h_->master, buf, sizeof buf);
  if (n <= 0) return {};
  return std::string(buf, static_cast<std::size_t>(n));
}

void PseudoTerminal::write(std::string_view bytes) {
  while (h_->master >= 0 && !bytes.empty()) {
    const ssize_t n = ::write(h_->master, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void PseudoTerminal::close() {
  if (h_->slave >= 0) ::close(h_->slave);
  if (h_->master >= 0) ::close(h_->master);
  h_->slave = h_->master = -1;
}

}  // namespace solmir::tools
