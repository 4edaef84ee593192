// The program's side of the serial link: the answer variables that the receive handler sets,
// the framing of command words and data lines, and the one wait for an answer that every
// exchange uses.
//
// How an exchange waits: it writes to the port, then calls one of the wait_* helpers, which
// run the event loop (without spinning a core) until the receive handler has set the awaited
// variable. Every wait has its own time limit, counted from the start of that wait: bytes
// that are not the awaited answer (a board that chatters) do not extend it. When the limit
// passes, or when the port goes away (also seen when writing), the wait throws BoardSilent;
// when the user asks the running exchange to stop (request_stop), it throws BoardStopped.
// Both are BoardFailure, a std::exception carrying the French message. A user command of the
// window catches it through run_board_operation (board/operation.h), which reports it and
// gives back what the command had disabled.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/failure.h"
#include "base/ports.h"

namespace solmir::board {

// Messages of the link.
inline constexpr const char* kMsgNoLink = "Numéro de port non valide ou module non connecté";
inline constexpr const char* kMsgBoardDetected = "Carte arduino détectée";
inline constexpr const char* kMsgBoardSilent = "La carte arduino ne répond pas";
inline constexpr const char* kMsgStopped = "Opération carte interrompue";
// + what came, then what was awaited
inline constexpr const char* kMsgUnexpectedAnswer = "Réponse inattendue de la carte : ";

// Answer limits, in milliseconds from the start of each wait.
// An ordinary answer comes within a few milliseconds; a data line written to the card takes
// some tens of milliseconds. Five seconds leaves room for a slow card and a busy machine.
inline constexpr int kAnswerSilenceMs = 5000;
// One progress step of an erase or a test: on a card of size code 9 an erase step takes about
// 13 s and a test step about 16 s (the time estimates of those operations), so a minute.
inline constexpr int kLongWorkSilenceMs = 60000;

// An exchange with the board that did not end as it should: the message is what the user is
// told.
class BoardFailure : public RunFailure {
 public:
  using RunFailure::RunFailure;
};

// The awaited answer did not come within its limit, or the port went away (link_lost).
class BoardSilent : public BoardFailure {
 public:
  explicit BoardSilent(bool lost = false) : BoardFailure(kMsgBoardSilent), link_lost(lost) {}
  bool link_lost;
};

// The user asked the running exchange to stop.
class BoardStopped : public BoardFailure {
 public:
  BoardStopped() : BoardFailure(kMsgStopped) {}
};

// The board answered something else than the exchange allows at that point.
class UnexpectedAnswer : public BoardFailure {
 public:
  explicit UnexpectedAnswer(const std::string& detail)
      : BoardFailure(kMsgUnexpectedAnswer + detail) {}
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

  // Framing. Each throws BoardSilent (link lost) when the port is closed or goes away while
  // writing: what was meant for the board did not reach it.
  void send_word(std::string_view word);   // word + LF
  void send_lf();                          // a lone LF: the acknowledgement
  void send_line(std::string_view bytes);  // a data line: bytes + LF
  // Drops what was received and not yet decoded. What was written and has not left yet goes
  // out all the same: an acknowledgement written just before must reach the board.
  void discard_buffers();

  // The DTR/RTS pulse of 400 ms that resets the board, then one-character mode and nothing
  // received: what a newly opened link starts with.
  void reset_board();

  // Makes the running wait (or the next one) end with BoardStopped; used to leave an
  // exchange cleanly when the user quits during it.
  void request_stop() { stop_requested_ = true; }
  bool stop_requested() const { return stop_requested_; }

  // The flag of a status letter 'A'..'F'.
  bool& flag(char letter);

  // ---- waiting (each throws BoardSilent when the answer has not come within silence_ms of
  // the start of the wait, or when the port is lost; BoardStopped on a stop request)
  // Runs the event loop until done() holds. Bytes already waiting in the port are decoded
  // first, so an answer that came while another was being used is not left behind.
  void wait_until(const std::function<bool()>& done, int silence_ms = kAnswerSilenceMs);
  // Runs the event loop for ms; throws as a wait does when the port goes away meanwhile or a
  // stop is requested (what was just written may not have left).
  void pause(int ms);
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
  void write(std::string_view bytes);

  SerialPort& port_;
  EventLoop& loop_;
  std::int64_t last_receive_ms_ = 0;
  bool stop_requested_ = false;
};

// A text cut or padded with blanks to exactly n bytes, as the fixed-length answer variables
// hold it.
std::string fixed_text(std::string_view s, std::size_t n);

}  // namespace solmir::board
