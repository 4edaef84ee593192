#include "board/link.h"

#include <algorithm>

#include "base/inpout.h"
#include "board/commands.h"

namespace solmir::board {

std::string fixed_text(std::string_view s, std::size_t n) {
  std::string out(s.substr(0, std::min(s.size(), n)));
  out.resize(n, ' ');
  return out;
}

Link::Link(SerialPort& port, EventLoop& loop) : port_(port), loop_(loop) {
  port_.on_bytes_arrived = [this] {
    last_receive_ms_ = loop_.uptime_ms();
    on_receive();
  };
  port_.on_port_lost = [this] {
    if (on_lost) on_lost();
  };
}

Link::~Link() {
  // The port may outlive the link (the window model goes first).
  port_.on_bytes_arrived = nullptr;
  port_.on_port_lost = nullptr;
}

bool& Link::flag(char letter) {
  switch (letter) {
    case 'A':
      return etat_A;
    case 'B':
      return etat_B;
    case 'C':
      return etat_C;
    case 'D':
      return etat_D;
    case 'E':
      return etat_E;
    default:
      return etat_F;
  }
}

void Link::on_receive() {
  while (port_.bytes_available() > 0) {
    if (!reception_texte) {
      etat_A = etat_B = etat_C = etat_D = etat_E = etat_F = false;
      car_recu = false;
      const std::string c = port_.read(1);
      if (c.empty()) break;
      if (c[0] >= 'A' && c[0] <= 'F') {
        flag(c[0]) = true;
      } else {
        car_reponse = c;
        car_recu = true;
      }
    } else if (!reponse_recue) {
      const std::size_t n = reponse_7 ? 7 : 5;
      if (port_.bytes_available() < n) break;
      if (reponse_7) {
        rep7 = fixed_text(port_.read(7), 7);
      } else {
        rep5 = fixed_text(port_.read(5), 5);
      }
      reponse_recue = true;
    } else {
      break;
    }
  }
}

void Link::write(std::string_view bytes) {
  if (!port_.is_open()) throw BoardSilent{true};
  port_.write(bytes);
  if (!port_.is_open()) throw BoardSilent{true};
}

void Link::send_word(std::string_view word) {
  std::string s(word);
  s += cmd::LF;
  write(s);
}

void Link::send_lf() {
  write(std::string_view("\n", 1));
}

void Link::send_line(std::string_view bytes) {
  std::string s(bytes);
  s += cmd::LF;
  write(s);
}

void Link::discard_buffers() {
  port_.discard_received();
}

void Link::wait_until(const std::function<bool()>& done, int silence_ms) {
  const std::int64_t deadline = loop_.uptime_ms() + silence_ms;
  for (;;) {
    on_receive();
    if (done()) return;
    loop_.process_events();
    if (done()) return;
    if (stop_requested_) {
      stop_requested_ = false;
      throw BoardStopped{};
    }
    if (!port_.is_open()) {
      // The port's notice of the loss is on its way: it reaches the window first.
      loop_.process_events();
      throw BoardSilent{true};
    }
    // The limit runs from the start of the wait: bytes that are not the answer do not
    // extend it.
    const std::int64_t left = deadline - loop_.uptime_ms();
    if (left <= 0) throw BoardSilent{false};
    // Blocks until something arrives or the limit is reached; the window keeps running.
    loop_.wait_for_events(static_cast<int>(std::min<std::int64_t>(left, 1000)));
  }
}

void Link::reset_board() {
  port_.set_dtr(true);
  port_.set_rts(true);
  attente(loop_, 400);
  port_.set_dtr(false);
  port_.set_rts(false);
  end_text();
  discard_buffers();
}

void Link::pause(int ms) {
  const std::int64_t end = loop_.uptime_ms() + ms;
  for (;;) {
    loop_.process_events();
    if (stop_requested_) {
      stop_requested_ = false;
      throw BoardStopped{};
    }
    if (!port_.is_open()) throw BoardSilent{true};
    const std::int64_t left = end - loop_.uptime_ms();
    if (left <= 0) return;
    loop_.wait_for_events(static_cast<int>(left));
  }
}

char Link::wait_letter(std::string_view letters, int silence_ms) {
  for (const char l : letters) flag(l) = false;
  char got = 0;
  wait_until(
      [&] {
        for (const char l : letters) {
          if (flag(l)) {
            got = l;
            return true;
          }
        }
        return false;
      },
      silence_ms);
  return got;
}

char Link::wait_char(int silence_ms) {
  car_reponse.assign(1, ' ');
  car_recu = false;
  wait_until([this] { return car_recu; }, silence_ms);
  return car_reponse[0];
}

void Link::begin_text(int n) {
  reception_texte = true;
  set_text_length(n);
  expect_text();
}

void Link::set_text_length(int n) {
  reponse_7 = (n == 7);
}

void Link::expect_text() {
  reponse_recue = false;
  if (reponse_7) {
    rep7 = std::string(7, ' ');
  } else {
    rep5 = std::string(5, ' ');
  }
}

const std::string& Link::wait_text(int silence_ms) {
  wait_until([this] { return reponse_recue; }, silence_ms);
  return reponse_7 ? rep7 : rep5;
}

void Link::end_text() {
  reception_texte = false;
  reponse_7 = false;
}

}  // namespace solmir::board
