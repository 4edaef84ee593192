// The memory card of the virtual reader board: a byte image of 2048 x 2^(d - 1) bytes for the
// size code d (1..9), erased to 0xFF, with the board's own memory map:
//
//   address 0        piece A
//   address room_A   piece B, right after A's room (16 when there is no piece A)
//   address 16384    the demo piece
//   size - 26        the three extra-note bytes of A, then (size - 23) those of B
//   size - 20        the 10-character title of A, then (size - 10) that of B
//
// A piece is stored as the program sends it: its 5-byte format signature ("VELoR" 27/29
// notes or demo, "VELor" 32 notes, "VELOR" 42 notes), its record count as 5 decimal digits,
// then the records (5 bytes each, 7 in 42-note format). So it takes 5 x N + 10 or 7 x N + 10
// bytes, and room_A = 16 x R((size_A + 16) / 16), halves to even. A slot holds a piece when a
// valid signature and count stand at its address. The last 36 bytes are never reached by a
// piece that passes the program's room checks.
//
// As a file, the card is exactly its byte image (the size code follows from the length).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solmir::board::virt {

enum class Format { notes29, notes32, notes42 };

// 5, or 7 for 42 notes.
std::size_t record_bytes(Format f);
std::string_view signature(Format f);
std::optional<Format> format_of_signature(std::string_view s);

struct PieceInfo {
  Format format = Format::notes29;
  int count = 0;
  std::size_t address = 0;
  std::size_t size() const { return record_bytes(format) * static_cast<std::size_t>(count) + 10; }
};

// 'A', 'B', or 'D' for the demo area.
using Slot = char;

class Card {
 public:
  static constexpr std::size_t kDemoAddress = 16384;
  static constexpr int kDefaultSizeCode = 5;  // 32768 bytes

  // An erased card of the size code (1..9); throws std::invalid_argument otherwise.
  explicit Card(int size_code = kDefaultSizeCode);

  int size_code() const { return size_code_; }
  std::size_t size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  // Sets every bit to 1.
  void erase();
  // Bytes beyond the end of the card are dropped; reading past it gives 0xFF.
  void write(std::size_t address, std::string_view data);
  std::string read(std::size_t address, std::size_t n) const;

  std::optional<PieceInfo> piece(Slot slot) const;
  // Where a piece of the slot is written.
  std::size_t address_of(Slot slot) const;
  // B's address: room_A, or 16 without a piece A.
  std::size_t room_a() const;
  // The record i (0-based) of a piece.
  std::string record(const PieceInfo& p, int i) const;

  // 10 bytes; 3 bytes. Never-written (0xFF) bytes read as blanks.
  std::string title(Slot slot) const;
  void set_title(Slot slot, std::string_view ten);
  std::string notes(Slot slot) const;
  // Three bytes, or nothing (erased).
  void set_notes(Slot slot, std::optional<std::string_view> three);

  // What the board does when the writing of a slot starts: a new A removes B and the demo
  // (their signatures are erased), a new B removes the demo, unless the demo's address lies
  // inside piece A (a long piece A on a large card), which B leaves whole.
  void remove_after(Slot slot);
  // Puts a piece on the card as programming would (slot 'A' also removes B and the demo,
  // slot 'B' the demo), with records generated from the index when none are given.
  void put_piece(Slot slot, Format f, int count, std::string_view title = {},
                 const std::vector<std::string>& records = {});
  // The records put_piece generates: distinct, deterministic bytes.
  static std::string sample_record(Format f, int i);

  // The card file: loads a byte image (std::runtime_error with a French message when it
  // cannot be read or has no card size); saves through a temporary file and a rename.
  static Card load(const std::filesystem::path& p);
  void save(const std::filesystem::path& p) const;
  // The size code of an image length, 0 when the length is no card size.
  static int size_code_of_length(std::size_t n);

 private:
  int size_code_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace solmir::board::virt
