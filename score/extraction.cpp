#include "score/extraction.h"

#include <cmath>

#include "app/numbers.h"

namespace solmir::score {

ExtractionResult extract_notes(const midi::Listing& listing, const std::array<bool, 16>& ticked,
                               double vitesse, double pas_ech,
                               const std::function<void(std::size_t)>& progress) {
  ExtractionResult r;
  bool any = false;
  for (bool t : ticked) any = any || t;
  if (any) {
    r.Liste1.push_back({0, 127, true, false});
    r.Liste1.push_back({60, 127, false, false});
  }
  const std::size_t n = listing.size();
  r.Liste1.reserve(r.Liste1.size() + n);
  for (std::size_t i = 0; i < n; ++i) {
    const midi::ListingLine& l = listing.lines[i];
    if (l.code == midi::Code::NOTE) {
      // A note end for a key that was not sounding is no note (its start is meaningless); a
      // real note starting at 999999 ms is kept.
      const bool no_start = l.orphan || l.time_ms < 0;
      const int channel = l.f[0];
      const bool accepted = !any || (channel >= 1 && channel <= 16 && ticked[channel - 1]);
      if (!no_start && accepted) {
        ++r.note_on;
        const double start = static_cast<double>(l.time_ms) * vitesse / 1000.0 / pas_ech;
        double length = std::trunc(static_cast<double>(l.f[2]) * vitesse / 1000.0 / pas_ech);
        if (length < 0) length = 0;
        r.duree_action_totale += static_cast<std::int64_t>(length);
        if (length != 0) {
          ++r.pairs;
          r.Liste1.push_back({round_half_up(start), l.f[1], true, true});
          r.Liste1.push_back({round_half_up(start + length), l.f[1], false, true});
        }
      }
    } else if (l.code == midi::Code::NOOF) {
      ++r.note_off;
    }
    if (progress && (i % 1024 == 0 || i + 1 == n)) progress(i + 1);
  }
  sort_notes(r.Liste1);
  return r;
}

}  // namespace solmir::score
