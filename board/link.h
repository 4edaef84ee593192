// The program's side of the serial link: the answer variables that the receive handler sets,
// the framing of command words and data lines, and the one wait for an answer that every
// exchange uses.
//
// How an exchange waits: it writes to the port, then calls one of the wait_* helpers, which
// run the event loop (without spinning a core) until the receive handler has set the awaited
// variable. Every wait has a silence limit: when nothing at all arrives from the board for
// that long, or when the port goes away, the wait throws BoardSilent. A user command catches
// it through run_board_operation (board/operation.h), which reports it and gives back what the
// command had disabled.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/ports.h"

namespace solmir::board {

// Messages of the link.
inline constexpr const char* kMsgNoLink = "Numéro de port non valide ou module non connecté";
inline constexpr const char* kMsgBoardDetected = "Carte arduino détectée";
inline constexpr const char* kMsgBoardSilent = "La carte arduino ne répond pas";

// Silence limits, in milliseconds without a single byte from the board.
// An ordinary answer comes within a few milliseconds; a data line written to the card takes
// some tens of milliseconds. Five seconds leaves room for a slow card and a busy machine.
inline constexpr int kAnswerSilenceMs = 5000;
// One progress step of an erase or a test: on a card of size code 9 an erase step takes about
// 13 s and a test step about 16 s (the time estimates of those operations), so a minute.
inline constexpr int kLongWorkSilenceMs = 60000;

// The board fell silent for longer than the wait allows, or the port went away (link_lost).
struct BoardSilent {
  bool link_lost = false;
};

class Link {
 public:
  Link(SerialPort& port, EventLoop& loop);
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  SerialPort& port() { return port_; }
  bool is_open() const { return port_.is_open(); }

  // Answer variables set by the receive handler.
  bool etat_A = false, etat_B = false, etat_C = false, etat_D = false, etat_E = false,
       etat_F = false;
  bool car_recu = false;
  std::string car_reponse = " ";  // exactly one character
  bool reception_texte = false;   // false: one-character mode; true: fixed-length text mode
  bool reponse_7 = false;         // in text mode: 7 characters, else 5
  bool reponse_recue = false;
  std::string rep5 = "     ";    // exactly 5 characters
  std::string rep7 = "       ";  // exactly 7 characters
  bool scan_en_cours = false;

  // How many board operations are running inside each other (board/operation.h), and
  // whether the last one gave up (the board fell silent or the link went away).
  int operation_depth = 0;
  bool operation_failed = false;

  // Called when the open port went away (device unplugged, far end closed).
  std::function<void()> on_lost;

  // The receive handler: decodes every byte that has arrived, in arrival order, in the
  // current mode. In one-character mode each byte first clears all the flags, so a status
  // letter followed at once by another byte is not seen. In text mode the whole answer is
  // taken once it is there; while one is waiting to be used, the next stays in the port.
  void on_receive();

  // Framing.
  void send_word(std::string_view word);   // word + LF
  void send_lf();                          // a lone LF: the acknowledgement
  void send_line(std::string_view bytes);  // a data line: bytes + LF
  void discard_buffers();

  // The flag of a status letter 'A'..'F'.
  bool& flag(char letter);

  // ---- waiting (each throws BoardSilent after silence_ms without a byte, or when the port
  // is lost)
  // Runs the event loop until done() holds. Bytes already waiting in the port are decoded
  // first, so an answer that came while another was being used is not left behind.
  void wait_until(const std::function<bool()>& done, int silence_ms = kAnswerSilenceMs);
  // Clears the flags of the given letters and waits until one of them is set; returns it.
  char wait_letter(std::string_view letters, int silence_ms = kAnswerSilenceMs);
  // Clears car_reponse (one blank) and car_recu, waits for one character; returns it.
  char wait_char(int silence_ms = kAnswerSilenceMs);

  // ---- fixed-length text mode
  // Enters text mode for answers of n characters (5 or 7) and expects the next one.
  void begin_text(int n);
  // Changes the answer length within text mode (7 for the records of a 42-note piece).
  void set_text_length(int n);
  // Expects a new answer: reponse_recue false, the answer text cleared.
  void expect_text();
  // Waits until reponse_recue; returns rep7 or rep5. reponse_recue stays set.
  const std::string& wait_text(int silence_ms = kAnswerSilenceMs);
  // Back to one-character mode (also after a failure).
  void end_text();

  // When bytes last arrived from the port (event-loop clock).
  std::int64_t last_receive_ms() const { return last_receive_ms_; }

 private:
  SerialPort& port_;
  EventLoop& loop_;
  std::int64_t last_receive_ms_ = 0;
};

// A text cut or padded with blanks to exactly n bytes, as the fixed-length answer variables
// hold it.
std::string fixed_text(std::string_view s, std::size_t n);

}  // namespace solmir::board
