#include "score/card_sound.h"

#include <cmath>
#include <map>

#include "score/record_reading.h"

namespace solmir::score {

std::optional<double> tick_seconds(double vitesse, double pas_ech) {
  if (!(vitesse > 0) || !(pas_ech > 0) || !std::isfinite(vitesse) || !std::isfinite(pas_ech))
    return std::nullopt;
  const double s = pas_ech / vitesse;
  if (!std::isfinite(s) || s <= 0) return std::nullopt;
  return s;
}

CardSound card_sound(const std::vector<std::string>& records, RecordLayout layout,
                     const NoteTable& table, bool percussion, double tick_seconds) {
  CardSound s;
  s.tick_seconds = tick_seconds;
  const int channel = percussion ? kDrumChannel : kMelodyChannel;
  std::map<int, int> sounding;  // note -> outputs holding it
  const RecordWalk w =
      walk_records(records, layout, [&](std::size_t, std::int64_t tick, int output, bool on) {
        const int note = table[static_cast<std::size_t>(output)];
        if (note < 1 || note > 127) return;
        int& held = sounding[note];
        if (on) {
          if (held++ == 0) s.events.push_back({tick, channel, note, true});
        } else if (held > 0 && --held == 0) {
          s.events.push_back({tick, channel, note, false});
        }
      });
  s.skipped_lines = w.skipped_lines;
  s.end_tick = w.end_tick;
  bool left_on = false;
  for (const auto& [note, held] : sounding) left_on = left_on || held > 0;
  if (left_on) {
    s.end_tick += static_cast<std::int64_t>(std::ceil(kLastNoteSeconds / tick_seconds));
    for (const auto& [note, held] : sounding)
      if (held > 0) s.events.push_back({s.end_tick, channel, note, false});
  }
  return s;
}

}  // namespace solmir::score
