// The virtual reader board: the board's side of every command word, with a card, the seven
// parameter bytes and their tables, an EEPROM, the odometer and a version letter. It shares
// only the command words (board/commands.h) with the program's side of the link.
//
// It takes the bytes the program writes (receive) and hands its answers to on_output, each
// with the time it is due; the transports deliver them at that time (VirtualSerialPort in the
// process, solmir-carte-virtuelle on a pseudo-terminal).
//
// Framing. A command is a 5-character word + LF ("Od", "rd", "wr" + 3 decimal digits). A lone
// LF acknowledges the last answer and asks for the next one. A data line is a fixed number of
// bytes + LF (its bytes may include the value 10: the board counts them). An unknown word is
// ignored; a lone LF with nothing to go on with is ignored.
//
// Answer streams. Several commands answer with a sequence of units; the first is sent at
// once, each next one when the LF acknowledging the previous arrives. A byte other than LF
// while a stream is open ends the stream and starts a new command.
//
//   "INfCP"            size digit ("0": no card, and the stream ends), slot A letter ("E"
//                      42-note piece, "B" other format, "A" empty), [count, 5 digits], demo
//                      letter ("C" or "A") [count], slot B letter ("F", "D" or "A") [count],
//                      title chunks: A[0..4], A[5..9], B[0..4], B[5..9].
//   "PRACP", "PRBCP"   the same stream, and (when a card is present) the slot is selected
//                      for "PRgCP".
//   "PRDCP"            selects the demo area; no answer.
//   "NUuLL"            no answer; ends a stream and drops the selection.
//   "PRgCP"            with a slot selected: expects the signature line (5 bytes: "VELoR",
//                      "VELor", "VELOR"), answers "A"; the count line (5 digits), "A"; then
//                      ceil(N / K) data lines of K records (K = 14 of 5 bytes, 10 of 7 bytes in
//                      42-note format, 1 in the demo area), each answered "A" (also the last).
//                      Records past N in the last line (the program's padding) are not stored.
//                      A new piece A removes B and the demo (their signatures are erased); a
//                      new B removes the demo, unless its address lies inside a long piece A,
//                      which stays whole. B is written at room_A. An unknown signature
//                      ends the writing without an answer. Without a selection, ignored.
//   "TitrA", "TitrB"   "A"; line of 5 title bytes, "A"; line of 5 title bytes, optionally
//                      followed by the 3 extra-note bytes, + LF: no answer. (The second line is
//                      5 bytes + LF, or 8 bytes + LF; a first note byte of 10 reads as the end.)
//   "CPyCP", "CPYCP"   read piece A or B back: size digit ("0": no card), format letter ("C"
//                      27/29, "D" 32, "E" 42 notes; "A" and the stream ends: no piece), count
//                      (5 digits), two header units (the stored signature and count, each
//                      padded with blanks to the record length r), the N records (r bytes),
//                      then 20 bytes as four 5-byte units: r bytes 0xFF (the end of the
//                      piece), the 10-byte title, the 3 note bytes, blanks. With the
//                      program's reading (N + 3 passes, then four 5-character chunks) the
//                      title is chunks 2 and 3 for 5-byte records, and chunk 2 from its third
//                      character on, chunks 3 and 4 in 42-note format.
//   "DElCP"            erase (all bytes 0xFF): size digit ("0": no card, end), 25 times "5",
//                      then "7".
//   "TStCP"            test (leaves the card erased): size digit, 50 times "5", then "7"; a
//                      defective card answers "8" in place of the step defect_at_step (51: in
//                      place of the "7").
//   "VErSO"            the version letter (no answer when version_letter is 0).
//   "LEcPA"            the 7 parameter bytes.
//   "INiPA"            all parameters 0xFF and the tables cleared; "A".
//   "EFsOR" (byte 3 = 0xFF), "TAChD" (byte 1 = 0xFF), "TACh2" (0x55), "TACh4" (0xAA),
//   "EFiNS" (byte 4 = 0xFF), "NFmON" (byte 5 = 0x00), "NFmOF" (0xFF), "CDeRM" (byte 6 =
//   0xFF), "CDeRE" (0x55), "MUtRE" (0x33), "CDeMI" (0xAA), "MUtMI" (0x77), "MUtRM" (0x99),
//   "SMiD9" (byte 7 = 0xFF), "SMiTX" (0xAA): "A".
//   "TAChX"            "A"; one data line of 5 bytes v 0 0 0 0, "A"; byte 1 = 0x99, byte 2 = v.
//   "PRsOR"            "A"; 7 data lines of 5 bytes, each "A"; byte 3 = 0x64 (table 29-32).
//   "PRSOR"            "A"; 10 data lines, each "A"; byte 3 = 0x44 (table 42-45).
//   "INsTR"            "A"; 2 data lines, each "A"; byte 4 = 0x4F, or 0x63 when all ten
//                      bytes are 0.
//   "INtOD"            one byte: the odometer. "Od" + ddd: odometer = ddd mod 256; "A".
//   "rd" + ddd         one byte: EEPROM[ddd] (1024 bytes), and ddd is remembered.
//   "wr" + ddd         EEPROM[last address read] = ddd mod 256; "A".
//
// A card that is absent (size code 0) answers "0" where a size digit is due; writes and
// titles are then answered as usual and nothing is stored.
//
// Timing: answers are due at once by default. pace_link spends 10/57600 s per byte each way;
// card_timing adds a real card's work: an erase takes 128 x 2^(d-1) x 9.7 ms in 25 steps, a
// test 128 x 2^(d-1) x 24.4 ms in 50 steps (size code d; about 13 s and 16 s a step for d = 9),
// a data line 1/1800 s per byte (1/200 s in the demo area); answer_delay_ms is added before
// every answer. The card's work starts with the LF that asks for the answer.
//
// Faults: silent_after_lines (answers the first N lines received, lone LFs and data lines
// included, then nothing), disconnect_after_lines (after N lines the board goes away:
// on_output gets a hang-up), wrong_answer_at (the k-th answer unit, 1-based, is replaced by
// wrong_answer), defective (the test fails).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/virtual/card.h"

namespace solmir::board::virt {

// A piece put on the card before the board starts.
struct PieceSpec {
  Slot slot = 'A';
  Format format = Format::notes29;
  int count = 0;
  std::string title;
};

struct BoardOptions {
  // The card: size code 1..9 (0: no card). A card file is read when it exists (its length
  // gives the size code) and written back after every change; a missing file starts as an
  // erased card of size_code.
  int size_code = Card::kDefaultSizeCode;
  bool size_code_given = false;
  std::filesystem::path card_file;
  bool empty_card = false;  // erase the card at start
  std::vector<PieceSpec> pieces;

  char version_letter = 'n';  // "7.0"; 0: no answer
  std::uint8_t odometer = 24;

  // Timing.
  bool pace_link = false;
  bool card_timing = false;
  int answer_delay_ms = 0;

  // Faults.
  int silent_after_lines = -1;
  int disconnect_after_lines = -1;
  int wrong_answer_at = 0;
  std::string wrong_answer = "Z";
  bool defective = false;
  int defect_at_step = 50;
};

// One delivery to the program: bytes due at due_ms, or the board going away.
struct BoardOutput {
  std::string bytes;
  double due_ms = 0;
  bool hang_up = false;
};

class VirtualBoard {
 public:
  // Milliseconds per byte at 57600 baud, 8N1.
  static constexpr double kByteMs = 10.0 * 1000.0 / 57600.0;

  // Throws std::runtime_error / std::invalid_argument (French messages) for a bad card file
  // or size code.
  explicit VirtualBoard(BoardOptions options = {});
  ~VirtualBoard();
  VirtualBoard(const VirtualBoard&) = delete;
  VirtualBoard& operator=(const VirtualBoard&) = delete;

  // Bytes written by the program, the last of them arrived at at_ms.
  void receive(std::string_view bytes, double at_ms);
  // The DTR/RTS reset: back to idle, the input dropped.
  void reset();
  std::function<void(const BoardOutput&)> on_output;

  BoardOptions& options() { return options_; }
  bool card_present() const { return card_.has_value(); }
  // The card (an erased card of the default size stands in when none is present).
  Card& card();
  // Writes the card file now, when there is one.
  void save_card();

  std::array<std::uint8_t, 7>& params() { return params_; }
  const std::vector<std::uint8_t>& order_table() const { return order_table_; }
  const std::vector<std::uint8_t>& instruments() const { return instruments_; }
  std::array<std::uint8_t, 1024>& eeprom() { return eeprom_; }
  std::uint8_t& odometer() { return odometer_; }

  // Every line received, without its LF ("" for a lone LF), in order: for tests.
  const std::vector<std::string>& lines() const { return lines_; }
  int answers_sent() const { return answers_; }
  bool gone() const { return gone_; }

 private:
  struct Unit {
    std::string bytes;
    double work_ms = 0;  // the card's work before this unit goes out
  };
  enum class Mode { idle, stream, data };
  // A data line expected: its length (5 + 3 optional bytes for the second title line).
  struct Expect {
    std::size_t length = 5;
    bool title_tail = false;
    std::function<void(const std::string&)> on_line;
  };

  void pump();
  void line_done(const std::string& line);
  void command(const std::string& word);
  void answer(std::string bytes, double work_ms = 0);
  void start_stream(std::vector<Unit> units);
  void expect(std::size_t length, std::function<void(const std::string&)> on_line,
              bool title_tail = false);
  void expect_lines(int n, std::function<void(const std::string&)> each,
                    std::function<void()> at_end);
  void start_programming();
  void data_line(const std::string& bytes);
  std::vector<Unit> info_units();
  std::vector<Unit> copy_units(Slot slot);
  std::vector<Unit> work_units(int steps, bool test);
  char size_digit() const;

  BoardOptions options_;
  std::optional<Card> card_;
  Card stand_in_{Card::kDefaultSizeCode};
  bool dirty_ = false;

  std::array<std::uint8_t, 7> params_{};
  std::vector<std::uint8_t> order_table_, instruments_;
  std::array<std::uint8_t, 1024> eeprom_{};
  std::uint8_t odometer_ = 0;
  int last_address_ = 0;

  std::string in_;
  Mode mode_ = Mode::idle;
  std::deque<Unit> stream_;
  Expect expect_;
  Slot selected_ = 0;  // 0: none

  // The piece being written.
  Slot writing_ = 0;
  Format format_ = Format::notes29;
  std::size_t address_ = 0;
  int count_ = 0, stored_ = 0, lines_left_ = 0, per_line_ = 14;

  double now_ = 0, tx_free_ = 0;
  std::vector<std::string> lines_;
  int answers_ = 0;
  bool silent_ = false, gone_ = false;
};

}  // namespace solmir::board::virt
