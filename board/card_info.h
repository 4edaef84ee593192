// The card information block: what the board answers to "INfCP" (and, after the slot words
// "PRACP" and "PRBCP", before programming) and how its numbers become sizes on the card.
//
// The block, each answer acknowledged by a lone LF unless said otherwise:
//   size digit d ("0": no card, else 2048 x 2^(d-1) bytes),
//   slot A letter ("E" 42-note piece, "B" other format, "A" empty) [+ count, 5 characters],
//   demo letter ("C" present, "A" absent) [+ count],
//   slot B letter ("F" 42-note, "D" other, "A" empty) [+ count],
//   four title chunks of 5 characters (title of A, then title of B).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/link.h"

namespace solmir::board {

inline constexpr const char* kMsgNoCard = "Carte muette ou absente\r\n";
inline constexpr std::int64_t kDemoAddress = 16384;
// Bytes the program keeps out of the room available to pieces.
inline constexpr std::int64_t kReservedBytes = 20;

// 2048 x 2^(d - 1) bytes for d = 1..9; 0 otherwise.
std::int64_t card_size_for_digit(int d);
// Bytes of a piece of n records: 7n + 10 in 42-note format, 5(n + 2) otherwise.
std::int64_t piece_size(std::int64_t n, bool notes42);
// The space piece A takes before piece B: its size rounded to 16-byte pages,
// 16 x R((size + 16) / 16), halves to the even neighbour.
std::int64_t room_a(std::int64_t n, bool notes42);

// What one reading of the block found.
struct CardInfoBlock {
  char size_digit = '0';
  std::int64_t card_size = 0;
  bool a42 = false, a_normal = false, demo = false, b42 = false, b_normal = false;
  // The record counts as received (5 characters), when they were.
  std::optional<std::string> n_a, n_demo, n_b;

  bool has_a() const { return a42 || a_normal; }
  bool has_b() const { return b42 || b_normal; }
  // Record counts (0 when not received).
  std::int64_t count_a() const;
  std::int64_t count_demo() const;
  std::int64_t count_b() const;
  // room_a of the piece A reported, 0 when no count was received.
  std::int64_t room_a() const;
  // Room left for pieces: card size - room_A - 20.
  std::int64_t free_space() const { return card_size - room_a() - kReservedBytes; }
};

// The size digit's numeric value (0 for anything but "1".."9").
int size_digit_value(char d);

// What the card holds, as the "INfCP" exchange reads it.
struct CardInfo {
  bool card_present = false;  // false: the size digit was "0" ("Carte muette ou absente")
  CardInfoBlock block;
  std::array<std::string, 5> titres;  // the four title chunks in [1..4]
  std::string title_a() const { return titres[1] + titres[2]; }
  std::string title_b() const { return titres[3] + titres[4]; }
};

// Drops what was received, sends "NUuLL" and "INfCP", and reads the whole block (for no
// card: the size digit and its two acknowledgements). Throws BoardFailure.
CardInfo read_card_info(Link& link);

// Reads the block from the slot A letter on, once the size digit has been received and
// acknowledged: the three groups, then the four title chunks into titres[1..4]. The link is
// back in one-character mode at the end. Throws BoardSilent.
void read_card_block_rest(Link& link, CardInfoBlock& block, std::array<std::string, 5>& titres);

}  // namespace solmir::board
