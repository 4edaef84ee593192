// The program's side of the serial link: the answer variables that the receive handler sets,
// the framing of command words and data lines, and the wait for an answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/ports.h"

namespace solmir::board {

// The board fell silent for longer than the operation allows.
struct BoardSilent {};

class Link {
 public:
  Link(SerialPort& port, EventLoop& loop);
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  SerialPort& port() { return port_; }
  bool is_open() const { return port_.is_open(); }

  // Answer variables set by the receive handler.
  bool etat_A = false, etat_B = false, etat_C = false, etat_D = false, etat_E = false,
       etat_F = false;
  bool car_recu = false;
  std::string car_reponse = " ";  // exactly one character
  bool reception_texte = false;
  bool reponse_7 = false;
  bool reponse_recue = false;
  std::string rep5 = "     ";    // exactly 5 characters
  std::string rep7 = "       ";  // exactly 7 characters
  bool scan_en_cours = false;

  // The receive handler: decodes what has arrived, in the current mode.
  void on_receive();

  // Framing.
  void send_word(std::string_view word);   // word + LF
  void send_lf();                          // a lone LF: the acknowledgement
  void send_line(std::string_view bytes);  // a data line: bytes + LF
  void discard_buffers();

  // Time of the last byte received (event-loop clock).
  std::int64_t last_receive_ms() const { return last_receive_ms_; }

 private:
  SerialPort& port_;
  EventLoop& loop_;
  std::int64_t last_receive_ms_ = 0;
};

}  // namespace solmir::board
