// Texts are UTF-8 in the program; the board and card titles use one byte per character
// (Latin-1). These few helpers count and cut texts by characters and convert between the two.
#pragma once

#include <string>
#include <string_view>

namespace solmir {

// Number of characters of a UTF-8 text.
std::size_t utf8_length(std::string_view s);
// The first n characters of a UTF-8 text.
std::string utf8_left(std::string_view s, std::size_t n);
// The characters from position `from` (0-based) on, at most n of them.
std::string utf8_mid(std::string_view s, std::size_t from, std::size_t n = std::string::npos);
// The text cut or padded with blanks to exactly n characters.
std::string utf8_fixed(std::string_view s, std::size_t n);
// One byte per character; characters beyond Latin-1 become '?'.
std::string utf8_to_latin1(std::string_view s);
std::string latin1_to_utf8(std::string_view s);
// Whether the bytes are well-formed UTF-8 (no overlong form, surrogate or code above U+10FFFF).
bool is_valid_utf8(std::string_view s);
// Bytes in an unstated encoding as UTF-8: kept when they are valid UTF-8, otherwise read as
// Windows-1252 (its five unassigned bytes as Latin-1).
std::string to_utf8_or_cp1252(std::string_view s);

}  // namespace solmir
