// The note event list `Liste1`: note-on and note-off events in ticks, kept sorted in the order
// of their text (time, then note number, then note-off before note-on).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace solmir::score {

struct NoteEvent {
  std::int64_t time = 0;  // ticks
  int note = 0;           // MIDI note number
  bool on = false;        // "NOTE" (on) or "NOOF" (off)
  // Lines made by the note extraction carry one blank after the kind; lines rewritten by the
  // separation and alignment passes do not.
  bool trailing_blank = false;

  friend bool operator<(const NoteEvent& a, const NoteEvent& b) {
    if (a.time != b.time) return a.time < b.time;
    if (a.note != b.note) return a.note < b.note;
    if (a.on != b.on) return !a.on;
    return a.trailing_blank < b.trailing_blank;
  }
  friend bool operator==(const NoteEvent&, const NoteEvent&) = default;
};

using NoteList = std::vector<NoteEvent>;

// "0000120 00060 NOTE " : the time as 7 zero-padded digits, the 5-digit note field, the kind.
std::string render(const NoteEvent& e);

// Sorts a list into text order (stable, so equal lines keep their order).
void sort_notes(NoteList& list);

}  // namespace solmir::score
