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

bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int more = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (n - i - 1 < static_cast<std::size_t>(more)) return false;
    for (int k = 1; k <= more; ++k) {
      const auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += static_cast<std::size_t>(more) + 1;
  }
  return true;
}

std::string to_utf8_or_cp1252(std::string_view s) {
  bool ascii = true;
  for (const char ch : s) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
  if (ascii || is_valid_utf8(s)) return std::string(s);
  // Windows-1252 from 0x80 to 0x9F; 0 marks the five unassigned bytes, taken as Latin-1.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  out.reserve(s.size() * 2);
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    char32_t cp = c;
    if (c >= 0x80 && c <= 0x9F && kHigh[c - 0x80] != 0) cp = kHigh[c - 0x80];
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace solmir
