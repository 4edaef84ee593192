#include "score/record_format.h"

#include "base/numbers.h"
#include "score/scales.h"

namespace solmir::score {

RecordLayout record_layout(bool mode42, bool option32, bool demo) {
  if (demo) return RecordLayout::notes29;
  if (mode42) return RecordLayout::notes42;
  return option32 ? RecordLayout::notes32 : RecordLayout::notes29;
}

std::string_view start_pattern(RecordLayout l) {
  return l == RecordLayout::notes32 ? kStartPattern8 : kStartPattern11;
}

namespace {
void append_bits(std::string& out, std::int64_t v, int n) {
  char digits[64];
  for (int i = 0; i < n; ++i) digits[i] = ((v >> (n - 1 - i)) & 1) ? '1' : '0';
  out.append(digits, static_cast<std::size_t>(n));
}
}  // namespace

void append_delay(std::string& out, std::int64_t delay, RecordLayout l) {
  if (l != RecordLayout::notes32) {
    append_bits(out, delay, 11);
  } else if (delay < 128) {
    out += '0';
    append_bits(out, delay, 7);
  } else {
    out += '1';
    append_bits(out, round_half_even(static_cast<double>(delay) / 16.0), 7);
  }
}

std::string encode_delay(std::int64_t delay, RecordLayout l) {
  std::string s;
  append_delay(s, delay, l);
  return s;
}

std::int32_t decode_delay(std::string_view field, RecordLayout l) {
  if (l != RecordLayout::notes32) return bin_vers_entier(field.substr(0, 11));
  const std::int32_t v = bin_vers_entier(field.substr(1, 7));
  return field.substr(0, 1) == "1" ? v * 16 : v;
}

NoteTable record_note_table(const NoteTable& table_notes, bool mode42, bool demo) {
  if (!(demo && mode42)) return table_notes;
  NoteTable t{};
  for (std::size_t k = 0; k < kBaseScale.size(); ++k) t[k] = kBaseScale[k];
  return t;
}

}  // namespace solmir::score
