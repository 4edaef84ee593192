#include "score/dropped_notes.h"

#include <algorithm>
#include <map>

#include "midi/listing.h"

namespace solmir::score {

bool played(const NoteTable& table, RecordLayout layout, int note) {
  if (note < 1 || note > 127) return false;
  const int width = output_count(layout);
  for (int k = 0; k < width; ++k)
    if (table[static_cast<std::size_t>(k)] == note) return true;
  return false;
}

namespace {
std::string name_of(int note) {
  return note >= 0 && note <= 127 ? midi::note_name(note) : std::to_string(note);
}
bool is_origin_note(const NoteEvent& e) {
  return e.time == 0 && e.note == 127 && e.on && !e.trailing_blank;
}
}  // namespace

std::vector<DroppedNote> dropped_notes(const NoteList& extracted, const NoteTable& table,
                                       RecordLayout layout,
                                       const std::vector<DroppedNote>& outside) {
  std::array<bool, 128> plays{};
  for (int n = 0; n < 128; ++n) plays[static_cast<std::size_t>(n)] = played(table, layout, n);
  std::vector<DroppedNote> out;
  bool origin_seen = false;
  for (const NoteEvent& e : extracted) {
    if (!e.on) continue;
    if (!origin_seen && is_origin_note(e)) {
      origin_seen = true;
      continue;
    }
    if (e.note >= 0 && e.note <= 127 && plays[static_cast<std::size_t>(e.note)]) continue;
    out.push_back({e.time, e.note, name_of(e.note)});
  }
  if (!outside.empty()) {
    out.insert(out.end(), outside.begin(), outside.end());
    std::stable_sort(out.begin(), out.end(), [](const DroppedNote& a, const DroppedNote& b) {
      return a.time != b.time ? a.time < b.time : a.note < b.note;
    });
  }
  return out;
}

std::string dropped_summary(const std::vector<DroppedNote>& dropped) {
  if (dropped.empty()) return {};
  std::map<int, std::int64_t> by_note;
  for (const DroppedNote& d : dropped) ++by_note[d.note];
  std::vector<std::pair<int, std::int64_t>> v(by_note.begin(), by_note.end());
  std::stable_sort(v.begin(), v.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::string s = std::to_string(dropped.size()) +
                  (dropped.size() == 1 ? " note hors gamme : " : " notes hors gamme : ");
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (i) s += ", ";
    s += name_of(v[i].first) + " ×" + std::to_string(v[i].second);
  }
  return s;
}

std::int64_t kept_notes(const KeyCounts& counts, const NoteTable& table, RecordLayout layout,
                        int semitones) {
  std::int64_t kept = 0;
  for (int k = 0; k < 128; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (counts.fixed[i] && played(table, layout, k)) kept += counts.fixed[i];
    if (counts.shifted[i] && played(table, layout, k + semitones)) kept += counts.shifted[i];
  }
  return kept;
}

BestTransposition best_transposition(const KeyCounts& counts, const NoteTable& table,
                                     RecordLayout layout, int current) {
  BestTransposition best;
  best.kept = kept_notes(counts, table, layout, 0);
  // Candidates in the order of preference of a tie: 0, +1, -1, +2, -2 ...
  for (int m = 1; m <= kMaxTransposition; ++m) {
    for (int s : {m, -m}) {
      const std::int64_t k = kept_notes(counts, table, layout, s);
      if (k > best.kept) best = {s, k, 0};
    }
  }
  best.saved = best.kept - kept_notes(counts, table, layout, current);
  return best;
}

std::string signed_text(int v) {
  return v > 0 ? "+" + std::to_string(v) : std::to_string(v);
}

std::string semitones_text(int v) {
  return signed_text(v) + (v >= -1 && v <= 1 ? " demi-ton" : " demi-tons");
}

std::string best_transposition_message(const BestTransposition& b) {
  std::string s = "Meilleure transposition : " + semitones_text(b.semitones) + ", ";
  s +=
      std::to_string(b.saved) + (b.saved == 1 || b.saved == -1 ? " note sauvée" : " notes sauvées");
  return s;
}

}  // namespace solmir::score
