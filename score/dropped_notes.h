// The notes of the kept channels that no output of the scale plays: counted by note name
// after each note extraction, listed for the card preview and the command line, and the
// transposition that keeps the most of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/inpout.h"
#include "score/note_list.h"
#include "score/record_format.h"

namespace solmir::score {

// The shift applied to the kept notes before the scale maps them. Channel 10 keeps its drums
// under the percussion scale.
struct Transposition {
  int semitones = 0;
  bool keep_channel10 = false;
};
inline constexpr int kMinTransposition = -24;
inline constexpr int kMaxTransposition = 24;

// How many notes the extraction kept, by original key: those shifted by the transposition and
// those that keep their key (channel 10 under the percussion scale).
struct KeyCounts {
  std::array<std::int64_t, 128> shifted{};
  std::array<std::int64_t, 128> fixed{};
};

struct DroppedNote {
  std::int64_t time = 0;  // ticks
  int note = 0;           // after the transposition (may leave 0..127)
  std::string name;       // "C#4"; the number itself outside 0..127
};

// Whether an output of the layout plays the note.
bool played(const NoteTable& table, RecordLayout layout, int note);

// The note-ons of an extracted note list that no output plays, in time order. The extraction's
// own time-origin note (note 127 from tick 0, written without its trailing blank) is not one
// of the file's notes. outside: notes the transposition took out of 0..127, never played.
std::vector<DroppedNote> dropped_notes(const NoteList& extracted, const NoteTable& table,
                                       RecordLayout layout,
                                       const std::vector<DroppedNote>& outside = {});

// "12 notes hors gamme : C#4 ×8, D#1 ×4": most frequent first, equal counts by rising note.
// Empty when nothing is dropped.
std::string dropped_summary(const std::vector<DroppedNote>& dropped);

// How many of the counted notes an output plays under a shift.
std::int64_t kept_notes(const KeyCounts& counts, const NoteTable& table, RecordLayout layout,
                        int semitones);

struct BestTransposition {
  int semitones = 0;
  std::int64_t kept = 0;   // notes played under that shift
  std::int64_t saved = 0;  // notes played beyond those of the current shift
};
// The shift from -24 to +24 that keeps the most notes; on a tie the smallest shift, then the
// upward one.
BestTransposition best_transposition(const KeyCounts& counts, const NoteTable& table,
                                     RecordLayout layout, int current);

// "Meilleure transposition : +2 demi-tons, 14 notes sauvées".
std::string best_transposition_message(const BestTransposition& b);

// "+2", "0", "-3".
std::string signed_text(int v);
// "+2 demi-tons", "-1 demi-ton".
std::string semitones_text(int v);

}  // namespace solmir::score
