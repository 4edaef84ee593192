// What a card image looks like on the cardboard: one row per organ output, the spans during
// which each output is on, the filler records, the start pattern and the initial silence, in
// ticks (with the millimetres and seconds a tick stands for). Built from the records alone, so
// that an image read back from a card is drawn the same way as one built here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/inpout.h"
#include "score/dropped_notes.h"
#include "score/record_format.h"

namespace solmir::score {

struct PreviewRow {
  int output = 0;     // organ output number
  int note = 0;       // MIDI note it plays (0: none, above 127: an empty extra note)
  std::string label;  // "C3", "F#4"; the drum's MIDI number for percussion; "-" for none
};

struct PreviewSpan {
  int output = 0;
  std::int64_t start = 0;  // ticks, when the record that turns the output on takes effect
  std::int64_t end = 0;    // ticks, when a record turns it off (or the end of the piece)
};

struct PreviewRecord {
  std::int64_t time = 0;   // ticks at which its outputs take effect
  std::int64_t delay = 0;  // ticks waited before it, as the board reads its delay field
  bool filler = false;     // carries the previous outputs through a long silence
};

struct PreviewTiming {
  double mm_per_tick = 0.25;      // Pas_ech
  double ticks_per_second = 240;  // vitesse / Pas_ech
};

struct CardPreview {
  RecordLayout layout = RecordLayout::notes29;
  PreviewTiming timing;
  std::vector<PreviewRow> rows;  // output 0 first
  std::vector<PreviewSpan> spans;
  std::vector<PreviewRecord> records;
  // The first record carries the start pattern (marks or looping): the board marks the
  // cardboard there and comes back there when it loops.
  bool start_pattern = false;
  std::int64_t loop_start = 0;     // ticks: the time of the first record
  std::int64_t initial_delay = 0;  // ticks of silence before the first record
  std::int64_t length = 0;         // ticks: the time of the last record
  std::size_t skipped_lines = 0;   // lines that are not records of the layout
  std::vector<DroppedNote> dropped;

  double millimetres(std::int64_t ticks) const {
    return static_cast<double>(ticks) * timing.mm_per_tick;
  }
  double seconds(std::int64_t ticks) const {
    return timing.ticks_per_second > 0 ? static_cast<double>(ticks) / timing.ticks_per_second : 0;
  }
};

// The rows of a layout: outputs 0 to output_count(layout) - 1, labelled through table.
std::vector<PreviewRow> preview_rows(RecordLayout layout, const NoteTable& table, bool percussion);

// The preview of records in a layout. start_pattern: whether the first record carries the
// start pattern; unknown (a piece read back from a card), it is read from the first delay
// field. Delays read as the board reads them (the start pattern as the delay it spells).
CardPreview preview_card(const std::vector<std::string>& records, RecordLayout layout,
                         const NoteTable& table, bool percussion, const PreviewTiming& timing,
                         std::optional<bool> start_pattern = std::nullopt);

}  // namespace solmir::score
