// The card information block over the link.
#include "board/card_info.h"

#include "base/numbers.h"
#include "board/commands.h"

namespace solmir::board {

std::int64_t card_size_for_digit(int d) {
  if (d < 1 || d > 9) return 0;
  return std::int64_t{2048} << (d - 1);
}

std::int64_t piece_size(std::int64_t n, bool notes42) {
  return notes42 ? 7 * n + 10 : 5 * (n + 2);
}

std::int64_t room_a(std::int64_t n, bool notes42) {
  return 16 * round_half_even(static_cast<double>(piece_size(n, notes42) + 16) / 16.0);
}

namespace {
std::int64_t count_of(const std::optional<std::string>& t) {
  return t ? static_cast<std::int64_t>(val(*t)) : 0;
}
}  // namespace

std::int64_t CardInfoBlock::count_a() const {
  return count_of(n_a);
}
std::int64_t CardInfoBlock::count_demo() const {
  return count_of(n_demo);
}
std::int64_t CardInfoBlock::count_b() const {
  return count_of(n_b);
}

std::int64_t CardInfoBlock::room_a() const {
  return n_a ? board::room_a(count_a(), a42) : 0;
}

int size_digit_value(char d) {
  return static_cast<int>(val(std::string(1, d)));
}

namespace {

// A record count: 5-character text mode, LF to ask for it, LF once it is there.
std::string read_count(Link& link) {
  link.begin_text(5);
  link.send_lf();
  std::string n = link.wait_text();
  link.end_text();
  link.send_lf();
  return n;
}

// One slot of the block: its letter, then its record count when a piece is there.
void read_slot(Link& link, const char* letters, char letter_42, char letter_normal, bool& is_42,
               bool& is_normal, std::optional<std::string>& count) {
  const char c = link.wait_letter(letters);
  if (c == letter_42 || (letter_normal != '\0' && c == letter_normal)) {
    (c == letter_42 ? is_42 : is_normal) = true;
    count = read_count(link);
  } else if (c == 'A') {
    link.send_lf();
  }
}

}  // namespace

void read_card_block_rest(Link& link, CardInfoBlock& b, std::array<std::string, 5>& titres) {
  // Slot A, the demo area, slot B. A letter outside a step's set ends the step without an
  // acknowledgement.
  read_slot(link, "ABCDEF", 'E', 'B', b.a42, b.a_normal, b.n_a);
  bool no_demo_in_another_format = false;
  read_slot(link, "ABCD", 'C', '\0', b.demo, no_demo_in_another_format, b.n_demo);
  read_slot(link, "ABCDEF", 'F', 'D', b.b42, b.b_normal, b.n_b);
  // The titles, without an LF first: the last acknowledgement asked for the first chunk.
  link.begin_text(5);
  for (std::size_t i = 1; i <= 4; ++i) {
    titres[i] = link.wait_text();
    link.expect_text();
    link.send_lf();
  }
  link.end_text();
}

CardInfo read_card_info(Link& link) {
  CardInfo info;
  link.discard_buffers();
  link.send_word(cmd::NUuLL);
  link.send_word(cmd::INfCP);
  info.block.size_digit = link.wait_char();
  link.send_lf();
  const int d = size_digit_value(info.block.size_digit);
  if (d == 0) {
    link.send_lf();
    return info;
  }
  info.card_present = true;
  info.block.card_size = card_size_for_digit(d);
  read_card_block_rest(link, info.block, info.titres);
  return info;
}

}  // namespace solmir::board
