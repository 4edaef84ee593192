#include "base/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace solmir {

std::string str_num(std::int64_t v) {
  std::string s = std::to_string(v);
  return v >= 0 ? " " + s : s;
}

std::string str_num(double v) {
  if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15) {
    return str_num(static_cast<std::int64_t>(v));
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string s = buf;
  return v >= 0 ? " " + s : s;
}

std::int64_t round_half_even(double v) {
  // Beyond the range of 64 bits the nearest value is kept (the conversion itself would be
  // undefined); not a number gives 0.
  const double r = std::nearbyint(v);
  if (!(r == r)) return 0;
  if (r >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
  if (r <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(r);
}

std::int64_t round_half_up(double v) {
  return static_cast<std::int64_t>(std::floor(v + 0.5));
}

double val(std::string_view text) {
  std::string digits;
  std::size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() &&
           (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
      ++i;
  };
  skip_blanks();
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) digits += text[i++];
  bool point = false, any = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t') continue;
    if (c >= '0' && c <= '9') {
      digits += c;
      any = true;
    } else if (c == '.' && !point) {
      digits += c;
      point = true;
    } else {
      break;
    }
  }
  if (!any) return 0.0;
  // An exponent is taken only when digits follow it.
  if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    std::string exp = "e";
    if (text[j] == '-' || text[j] == '+') exp += text[j++];
    bool exp_digits = false;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      exp += text[j++];
      exp_digits = true;
    }
    if (exp_digits) digits += exp;
  }
  return std::strtod(digits.c_str(), nullptr);
}

std::optional<double> parse_number(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b &&
         (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r' || text[e - 1] == '\n'))
    --e;
  if (b == e) return std::nullopt;
  std::string s(text.substr(b, e - b));
  if (s[0] == '+') s.erase(0, 1);
  for (char& c : s)
    if (c == ',') c = '.';
  if (s.empty()) return std::nullopt;
  // Only plain decimal numbers: digits, one point, an optional leading minus, an exponent.
  double value = 0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string zero_pad(std::int64_t v, int digits) {
  std::string s = std::to_string(v < 0 ? -v : v);
  if (static_cast<int>(s.size()) < digits) s.insert(0, digits - s.size(), '0');
  return v < 0 ? "-" + s : s;
}

std::string format_000(double v) {
  return zero_pad(round_half_up(v), 3);
}

void append_fixed_field(std::string& out, std::int64_t v, int w) {
  std::int64_t p = 1;
  for (int k = 0; k < w; ++k) p *= 10;
  const std::int64_t sum = v + p;
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, sum);
  (void)ec;
  // The sign (none, or '-' below -10^w) and the first digit are dropped.
  const std::size_t len = static_cast<std::size_t>(end - buf);
  const std::size_t skip = sum < 0 ? 2 : 1;
  const std::size_t take =
      len > skip ? std::min<std::size_t>(len - skip, static_cast<std::size_t>(w)) : 0;
  out.append(buf + skip, take);
}

std::string fixed_field(std::int64_t v, int w) {
  std::string s;
  append_fixed_field(s, v, w);
  return s;
}

}  // namespace solmir
