// Note extraction: the NOTE lines of the accepted channels become pairs of note-on and
// note-off events in ticks, sorted as the note event list wants them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "midi/listing.h"
#include "score/dropped_notes.h"
#include "score/note_list.h"

namespace solmir::score {

struct ExtractionResult {
  NoteList Liste1;
  std::int64_t note_on = 0;   // " événements note-ON identifiés"
  std::int64_t note_off = 0;  // " événements note-OFF identifiés"
  std::int64_t pairs = 0;     // " couples d'événements note-ON/note-OFF retenus"
  std::int64_t duree_action_totale = 0;
  // The notes kept (the pairs), by key as the file has them, for the best transposition.
  KeyCounts keys;
  // Notes the transposition took out of 0..127: kept out of the note list, never played.
  std::vector<DroppedNote> outside;
};

// The extraction as a reader of the listing while it is made: give it to desassemble_midi,
// then take the result. Nothing of the listing is kept but the notes.
class NoteExtractor : public midi::LineSink {
 public:
  // expected_events: room to reserve in the note list (0: none). shift: the transposition of
  // the kept notes (none by default).
  NoteExtractor(const std::array<bool, 16>& ticked, double vitesse, double pas_ech,
                std::size_t expected_events = 0, Transposition shift = {});
  void line(const midi::ListingLine& l) override;
  // Sorts the note list and hands the result over.
  ExtractionResult finish();

 private:
  std::array<bool, 16> ticked_;
  bool any_ = false;
  double vitesse_ = 0, pas_ech_ = 0;
  Transposition shift_;
  ExtractionResult r_;
};

// ticked[i]: the box of MIDI channel i + 1. None ticked: every channel is accepted; otherwise
// only the ticked ones, and the list starts with the note 127 from tick 0 to 60 that keeps the
// file's time origin. vitesse in mm/s, pas_ech in mm per tick (not 0).
// progress(line) is called for the listing lines processed. shift: the transposition of the
// kept notes.
ExtractionResult extract_notes(const midi::Listing& listing, const std::array<bool, 16>& ticked,
                               double vitesse, double pas_ech,
                               const std::function<void(std::size_t)>& progress = {},
                               Transposition shift = {});

}  // namespace solmir::score
