// The shared routines: the cooperative wait and the conversions between numbers and texts of
// binary or hexadecimal digits that the board exchanges use, and the note-table lookup.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ports.h"

namespace solmir {

// Waits at least `ms` milliseconds while the event loop runs (event handlers run meanwhile).
// Events are processed at least once, even for 0 ms or less. Does not spin a core.
void attente(EventLoop& loop, double ms);

// A text of at most 32 binary digits as a 32-bit signed number (32 digits are read as two's
// complement). Throws BinaryDigitError for more than 32 digits, another character, or an
// empty text.
std::int32_t bin_vers_entier(std::string_view digits);

// The lowest n binary digits of value, most significant first, with leading zeros. n <= 0
// gives the empty text; a negative value gives only zeros.
std::string entier_vers_bin(std::int32_t value, int n);

// A text of hexadecimal digits (either case) as a number; nothing for a bad digit; 0 for an
// empty text.
std::optional<double> hex_vers_entier(std::string_view text);

// Eight binary digits per character (its byte value), most significant first.
std::string texte_vers_bin(std::string_view text);

// 16 x (first character) + (last character), each an upper-case hexadecimal digit; any other
// character counts 0 ("FF" -> 255, "A" -> 170, "a0" -> 0).
std::uint16_t hex_vers_octet(std::string_view text);

// 255 for note 0; else 1 + the index of the first of entries 0..44 of table_notes equal to
// the note; 1 when the note is not there.
using NoteTable = std::array<int, 46>;
std::uint16_t rang_note(const NoteTable& table_notes, int note);

// Runs a program with its arguments and waits for its end, through the process port.
// Returns the exit code, -1 when it could not start.
int execute_et_attend(ProcessRunner& runner, const std::string& program,
                      const std::vector<std::string>& args);

}  // namespace solmir
