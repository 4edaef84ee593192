// The few number rules used everywhere: how numbers are written into messages and fixed
// fields, how halves are rounded, and how the text of a box is read as a number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace solmir {

// A number as messages and the log write it: a blank in place of the sign when it is not
// negative (" 20", "-3", " 2.5"). Doubles keep up to 15 significant digits, no trailing zeros.
std::string str_num(std::int64_t v);
std::string str_num(double v);

// Halves to the even neighbour (2.5 -> 2, 3.5 -> 4) / halves upward (2.5 -> 3, -2.5 -> -2).
std::int64_t round_half_even(double v);
std::int64_t round_half_up(double v);

// The numeric value of the leading number of a text, 0 when there is none ("12abc" -> 12,
// "abc" -> 0, " 7.6" -> 7.6). Blanks are skipped. Never fails.
double val(std::string_view text);

// The text read as a number, or nothing when it is not one. Blanks around it are allowed and
// the decimal separator may be a point or a comma ("0.25", "0,25", " 60 ").
std::optional<double> parse_number(std::string_view text);

// v with leading zeros to at least `digits` digits (Format(v, "0000000")); a negative value
// keeps its minus sign in front.
std::string zero_pad(std::int64_t v, int digits);

// Three decimal digits of a value rounded to a whole number ("000": 24 -> "024",
// 7.6 -> "008").
std::string format_000(double v);

// A number in a fixed field of width w, as the event listing writes it: the decimal digits
// of v + 10^w without their first digit, cut to w characters. 60 in width 5 is "00060",
// 123456 in width 5 is "23456", -1 in width 7 is "999999".
std::string fixed_field(std::int64_t v, int w);
// Appends the same to out, without allocating.
void append_fixed_field(std::string& out, std::int64_t v, int w);

}  // namespace solmir
