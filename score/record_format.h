// The card image record: a delay field followed by one digit per organ output, highest output
// first ('1' = on). The builder writes records in this format, card programming sends them,
// piece copy reads them back from a card and the MIDI export decodes them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/inpout.h"

namespace solmir::score {

enum class RecordLayout {
  notes29,  // 11-digit delay, outputs 28 to 0: 40 digits, 5 bytes (also the demo piece)
  notes32,  // 8-digit delay, outputs 31 to 0: 40 digits, 5 bytes
  notes42,  // 11-digit delay, outputs 44 to 0: 56 digits, 7 bytes (42 notes and percussion)
};

// The layout of the records for the scale boxes. The demo piece always has the 27/29-note
// layout, whatever the boxes say; 42 notes wins over 32 (the scale rules keep them apart).
RecordLayout record_layout(bool mode42, bool option32, bool demo);

constexpr int delay_digits(RecordLayout l) {
  return l == RecordLayout::notes32 ? 8 : 11;
}
constexpr int output_count(RecordLayout l) {
  return l == RecordLayout::notes29 ? 29 : l == RecordLayout::notes32 ? 32 : 45;
}
constexpr int record_digits(RecordLayout l) {
  return delay_digits(l) + output_count(l);
}
constexpr int record_bytes(RecordLayout l) {
  return record_digits(l) / 8;
}

// The start pattern that replaces the first delay field when marks or looping is on.
inline constexpr std::string_view kStartPattern11 = "00110010001";  // read as 401 ticks
inline constexpr std::string_view kStartPattern8 = "10011010";      // read as 26 x 16 ticks
std::string_view start_pattern(RecordLayout l);

// The longest delay one field holds: 2047 ticks in 11 digits; in 8 digits the longest whose
// value in units of 16 ticks, rounded, still fits 7 digits (2039 / 16 = 127.4).
constexpr std::int64_t max_field_delay(RecordLayout l) {
  return l == RecordLayout::notes32 ? 2039 : 2047;
}
// The delay of a filler record, which carries the previous outputs through a long silence:
// eleven 1 digits (2047 ticks), or "11111111" (127 units of 16, 2032 ticks).
constexpr std::int64_t filler_delay(RecordLayout l) {
  return l == RecordLayout::notes32 ? 2032 : 2047;
}

// The delay field of a delay from 0 to max_field_delay(l). 11 digits: the delay in base 2.
// 8 digits: "0" and the delay in 7 digits below 128 ticks, else "1" and the delay in units of
// 16 ticks, rounded with halves to the even neighbour.
std::string encode_delay(std::int64_t delay, RecordLayout l);
void append_delay(std::string& out, std::int64_t delay, RecordLayout l);

// The ticks a delay field stands for, as the board and the export read it (a start pattern
// reads as an ordinary delay). The field must hold binary digits only.
std::int32_t decode_delay(std::string_view field, RecordLayout l);

// The note table the records of a layout are mapped through. The demo piece keeps the 27/29
// outputs of the base scale even when the 42-note box was ticked after the demo was chosen.
NoteTable record_note_table(const NoteTable& table_notes, bool mode42, bool demo);

}  // namespace solmir::score
