#include "score/extraction.h"

#include <cmath>

#include "base/numbers.h"

namespace solmir::score {

NoteExtractor::NoteExtractor(const std::array<bool, 16>& ticked, double vitesse, double pas_ech,
                             std::size_t expected_events, Transposition shift)
    : ticked_(ticked), vitesse_(vitesse), pas_ech_(pas_ech), shift_(shift) {
  for (bool t : ticked_) any_ = any_ || t;
  r_.Liste1.reserve(expected_events + 2);
  if (any_) {
    r_.Liste1.push_back({0, 127, true, false});
    r_.Liste1.push_back({60, 127, false, false});
  }
}

void NoteExtractor::line(const midi::ListingLine& l) {
  if (l.code == midi::Code::NOTE) {
    // A note end for a key that was not sounding is no note (its start is meaningless); a
    // real note starting at 999999 ms is kept.
    const bool no_start = l.orphan || l.time_ms < 0;
    const int channel = l.f[0];
    const bool accepted = !any_ || (channel >= 1 && channel <= 16 && ticked_[channel - 1]);
    if (!no_start && accepted) {
      ++r_.note_on;
      const double start = static_cast<double>(l.time_ms) * vitesse_ / 1000.0 / pas_ech_;
      double length = std::trunc(static_cast<double>(l.f[2]) * vitesse_ / 1000.0 / pas_ech_);
      if (length < 0) length = 0;
      r_.duree_action_totale += static_cast<std::int64_t>(length);
      if (length != 0) {
        ++r_.pairs;
        const int key = l.f[1];
        const bool fixed = shift_.keep_channel10 && channel == 10;
        if (key >= 0 && key <= 127)
          (fixed ? r_.keys.fixed : r_.keys.shifted)[static_cast<std::size_t>(key)] += 1;
        const int note = fixed ? key : key + shift_.semitones;
        const std::int64_t on = round_half_up(start);
        if (shift_.semitones != 0 && (note < 0 || note > 127)) {
          r_.outside.push_back({on, note, std::to_string(note)});
        } else {
          r_.Liste1.push_back({on, note, true, true});
          r_.Liste1.push_back({round_half_up(start + length), note, false, true});
        }
      }
    }
  } else if (l.code == midi::Code::NOOF) {
    ++r_.note_off;
  }
}

ExtractionResult NoteExtractor::finish() {
  sort_notes(r_.Liste1);
  return std::move(r_);
}

ExtractionResult extract_notes(const midi::Listing& listing, const std::array<bool, 16>& ticked,
                               double vitesse, double pas_ech,
                               const std::function<void(std::size_t)>& progress,
                               Transposition shift) {
  const std::size_t n = listing.size();
  NoteExtractor x(ticked, vitesse, pas_ech, n, shift);
  std::size_t i = 0;
  for (const midi::ListingLine l : listing.lines) {
    x.line(l);
    ++i;
    if (progress && (i % 1024 == 1 || i == n)) progress(i);
  }
  return x.finish();
}

}  // namespace solmir::score
