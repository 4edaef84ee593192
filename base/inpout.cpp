#include "base/inpout.h"

#include <algorithm>
#include <cmath>

#include "base/failure.h"

namespace solmir {

void attente(EventLoop& loop, double ms) {
  const std::int64_t start = loop.uptime_ms();
  const double deadline = static_cast<double>(loop.uptime_ms()) + ms;
  for (;;) {
    loop.process_events();
    const std::int64_t now = loop.uptime_ms();
    if (!(static_cast<double>(now) <= deadline && now >= start)) break;
    const double left = deadline - static_cast<double>(now);
    loop.wait_for_events(static_cast<int>(std::min(left + 1.0, 1000.0)));
  }
}

std::int32_t bin_vers_entier(std::string_view digits) {
  const std::size_t n = digits.size();
  if (n == 0 || n > 32) throw BinaryDigitError();
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = digits[n - 1 - i];
    if (c == '1') {
      sum |= (std::uint32_t{1} << i);
    } else if (c != '0') {
      throw BinaryDigitError();
    }
  }
  return static_cast<std::int32_t>(sum);
}

std::string entier_vers_bin(std::int32_t value, int n) {
  if (n <= 0) return {};
  std::string s(static_cast<std::size_t>(n), '0');
  std::int64_t v = value;
  for (int i = n - 1; i >= 0; --i) {
    if (v % 2 == 1) s[static_cast<std::size_t>(i)] = '1';
    v /= 2;
  }
  return s;
}

std::optional<double> hex_vers_entier(std::string_view text) {
  double sum = 0, place = 1;
  for (std::size_t i = text.size(); i-- > 0;) {
    const char c = text[i];
    int d;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else {
      return std::nullopt;
    }
    sum += d * place;
    place *= 16;
  }
  return sum;
}

std::string texte_vers_bin(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 8);
  for (const char c : text) out += entier_vers_bin(static_cast<unsigned char>(c), 8);
  return out;
}

namespace {
int upper_hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}
}  // namespace

std::uint16_t hex_vers_octet(std::string_view text) {
  if (text.empty()) return 0;
  return static_cast<std::uint16_t>(16 * upper_hex_digit(text.front()) +
                                    upper_hex_digit(text.back()));
}

std::uint16_t rang_note(const NoteTable& table_notes, int note) {
  if (note == 0) return 255;
  for (int k = 0; k <= 44; ++k) {
    if (table_notes[static_cast<std::size_t>(k)] == note) return static_cast<std::uint16_t>(k + 1);
  }
  return 1;
}

int execute_et_attend(ProcessRunner& runner, const std::string& program,
                      const std::vector<std::string>& args) {
  return runner.run_and_wait(program, args);
}

}  // namespace solmir
