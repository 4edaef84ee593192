#include "base/text.h"

#include <vector>

namespace solmir {

namespace {

// Decodes the next code point at s[i], advancing i; malformed bytes are taken one by one.
char32_t next_code_point(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  auto cont = [&](std::size_t k) {
    return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
  };
  if (b < 0x80) {
    ++i;
    return b;
  }
  if ((b & 0xE0) == 0xC0 && cont(1)) {
    char32_t c = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
    i += 2;
    return c;
  }
  if ((b & 0xF0) == 0xE0 && cont(1) && cont(2)) {
    char32_t c = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
    i += 3;
    return c;
  }
  if ((b & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
    char32_t c = ((b & 0x07u) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 12) |
                 ((static_cast<unsigned char>(s[i + 2]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(s[i + 3]) & 0x3Fu);
    i += 4;
    return c;
  }
  ++i;
  return b;  // a stray byte stands for itself
}

std::vector<std::size_t> starts(std::string_view s) {
  std::vector<std::size_t> v;
  for (std::size_t i = 0; i < s.size();) {
    v.push_back(i);
    next_code_point(s, i);
  }
  v.push_back(s.size());
  return v;
}

}  // namespace

std::size_t utf8_length(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++n) next_code_point(s, i);
  return n;
}

std::string utf8_mid(std::string_view s, std::size_t from, std::size_t n) {
  const auto st = starts(s);
  const std::size_t count = st.size() - 1;
  if (from >= count) return {};
  const std::size_t to = (n == std::string::npos || from + n > count) ? count : from + n;
  return std::string(s.substr(st[from], st[to] - st[from]));
}

std::string utf8_left(std::string_view s, std::size_t n) {
  return utf8_mid(s, 0, n);
}

std::string utf8_fixed(std::string_view s, std::size_t n) {
  std::string out = utf8_left(s, n);
  const std::size_t len = utf8_length(out);
  if (len < n) out.append(n - len, ' ');
  return out;
}

std::string utf8_to_latin1(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const char32_t c = next_code_point(s, i);
    out += c < 256 ? static_cast<char>(c) : '?';
  }
  return out;
}

std::string latin1_to_utf8(std::string_view s) {
  std::string out;
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace solmir
