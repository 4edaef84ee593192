#include "board/link.h"

#include "board/commands.h"

namespace solmir::board {

Link::Link(SerialPort& port, EventLoop& loop) : port_(port), loop_(loop) {
  port_.on_bytes_arrived = [this] { on_receive(); };
}

void Link::on_receive() {
  last_receive_ms_ = loop_.uptime_ms();
  while (port_.bytes_available() > 0) {
    if (!reception_texte) {
      etat_A = etat_B = etat_C = etat_D = etat_E = etat_F = false;
      car_recu = false;
      const std::string c = port_.read(1);
      if (c.empty()) break;
      switch (c[0]) {
        case 'A':
          etat_A = true;
          break;
        case 'B':
          etat_B = true;
          break;
        case 'C':
          etat_C = true;
          break;
        case 'D':
          etat_D = true;
          break;
        case 'E':
          etat_E = true;
          break;
        case 'F':
          etat_F = true;
          break;
        default:
          car_reponse = c;
          car_recu = true;
      }
    } else if (!reponse_recue) {
      const std::size_t n = reponse_7 ? 7 : 5;
      if (port_.bytes_available() < n) break;
      if (reponse_7) {
        rep7 = port_.read(7);
      } else {
        rep5 = port_.read(5);
      }
      reponse_recue = true;
    } else {
      break;
    }
  }
}

void Link::send_word(std::string_view word) {
  std::string s(word);
  s += cmd::LF;
  port_.write(s);
}

void Link::send_lf() {
  port_.write(std::string_view("\n", 1));
}

void Link::send_line(std::string_view bytes) {
  std::string s(bytes);
  s += cmd::LF;
  port_.write(s);
}

void Link::discard_buffers() {
  port_.discard_buffers();
}

}  // namespace solmir::board
