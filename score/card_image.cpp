#include "score/card_image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/numbers.h"

namespace solmir::score {

namespace {

constexpr std::size_t kProgressStep = 1024;

// Builds the records one instant at a time.
class RecordWriter {
 public:
  RecordWriter(RecordLayout layout, bool start_pattern, std::vector<std::string>& out,
               std::int32_t max_records)
      : max_records_(max_records),
        layout_(layout),
        start_pattern_(start_pattern),
        out_(out),
        previous_state_(static_cast<std::size_t>(output_count(layout)), '0') {
    filler_field_ = encode_delay(filler_delay(layout), layout);
  }

  void emit(std::int64_t delay, const std::string& state) {
    if (too_long_) return;
    if (count_ == 0 && start_pattern_) {
      if (delay <= max_field_delay(layout_)) {
        push(start_pattern(layout_), state);
        return;
      }
      // The pattern marks an extra first record, silent; the rest of the delay follows.
      push(start_pattern(layout_), previous_state_);
      delay -= decode_delay(start_pattern(layout_), layout_);
    }
    while (delay > max_field_delay(layout_) && !too_long_) {
      push(filler_field_, previous_state_);
      delay -= filler_delay(layout_);
    }
    field_.clear();
    append_delay(field_, delay, layout_);
    push(field_, state);
  }

  std::int32_t count() const { return count_; }
  bool too_long() const { return too_long_; }

 private:
  void push(std::string_view field, const std::string& state) {
    if (count_ >= max_records_) {
      too_long_ = true;
      return;
    }
    std::string record;
    record.reserve(field.size() + state.size());
    record.append(field).append(state);
    out_.push_back(std::move(record));
    ++count_;
    previous_state_ = state;
  }

  std::int32_t max_records_;
  bool too_long_ = false;
  RecordLayout layout_;
  bool start_pattern_;
  std::vector<std::string>& out_;
  std::string previous_state_;
  std::string filler_field_;
  std::string field_;
  std::int32_t count_ = 0;
};

}  // namespace

Records build_records(const NoteList& Liste1, const NoteTable& table, RecordLayout layout,
                      std::int64_t initial_delay, bool start_pattern,
                      const std::function<void(std::size_t)>& progress) {
  // The outputs each MIDI note drives (entries 0 to 44; 0 and values above 127 drive none).
  std::array<std::uint64_t, 128> outputs_of{};
  for (int k = 0; k <= 44; ++k) {
    const int note = table[static_cast<std::size_t>(k)];
    if (note >= 1 && note <= 127) outputs_of[static_cast<std::size_t>(note)] |= 1ULL << k;
  }
  const int width = output_count(layout);
  std::array<std::int32_t, 45> sounding{};  // compteur_sorties
  std::uint64_t on = 0;                     // etat_sorties, one bit per output

  Records r;
  // At most one record an event, fillers aside, and never more than the largest card holds.
  const std::int32_t max_records = max_card_records(layout);
  r.Liste_tran.reserve(std::min<std::size_t>(Liste1.size() + 1, std::size_t(max_records) + 1));
  RecordWriter writer(layout, start_pattern, r.Liste_tran, max_records);
  std::string state(static_cast<std::size_t>(width), '0');
  auto emit = [&](std::int64_t delay) {
    for (int k = 0; k < width; ++k)
      state[static_cast<std::size_t>(width - 1 - k)] = (on >> k) & 1 ? '1' : '0';
    writer.emit(delay, state);
  };

  bool first = true;
  std::int64_t last_time = -1, delay = 0;
  const std::size_t n = Liste1.size();
  for (std::size_t i = 0; i < n && !writer.too_long(); ++i) {
    const NoteEvent& e = Liste1[i];
    if (first || e.time != last_time) {
      if (!first) emit(delay);
      delay = first ? initial_delay : e.time - last_time;
      last_time = e.time;
      first = false;
    }
    std::uint64_t mask =
        e.note >= 0 && e.note <= 127 ? outputs_of[static_cast<std::size_t>(e.note)] : 0;
    while (mask) {
      const int k = std::countr_zero(mask);
      mask &= mask - 1;
      std::int32_t& c = sounding[static_cast<std::size_t>(k)];
      if (e.on) {
        if (c == 0) on |= 1ULL << k;
        ++c;
      } else if (c > 0) {
        if (--c == 0) on &= ~(1ULL << k);
      }
    }
    if (progress && (i % kProgressStep == 0 || i + 1 == n)) progress(i + 1);
  }
  if (!first) emit(delay);
  if (writer.too_long()) {
    // Nothing of a piece that no card holds is kept.
    r.too_long = true;
    std::vector<std::string>().swap(r.Liste_tran);
    r.nb_macro_evenements = 0;
    return r;
  }
  r.nb_macro_evenements = writer.count();
  return r;
}

CardImageSummary summarize_card_image(std::int32_t n, const CardImageOptions& o) {
  CardImageSummary s;
  s.taille_requise = record_bytes(o.layout) * n + 10;
  const std::int32_t demo_bytes = 5 * n;
  double d = std::trunc(static_cast<double>(s.taille_requise) / (o.demo ? 200.0 : 1800.0));
  if (d == 0) {
    d = 1;
    s.evenements_par_seconde = 1;
  } else {
    s.evenements_par_seconde =
        static_cast<std::int32_t>(round_half_even(static_cast<double>(n) / d));
  }
  s.duree_prog_estimee = d;

  const bool too_long = o.demo && n > kDemoMaxRecords;
  if (!o.demo) {
    s.message = "Taille requise : " + str_num(std::int64_t{s.taille_requise}) + " octets";
    if (o.link_open) {
      s.message += ". Insérer une carte";
      s.programmer = ProgrammerRule::enable;
    }
  } else if (too_long) {
    s.message = "Morceau trop long (" + str_num(std::int64_t{demo_bytes}) +
                " octets). Taille max :  890 octets";
    s.programmer = ProgrammerRule::disable;
  } else {
    s.message = "Taille : " + str_num(std::int64_t{demo_bytes}) + " octets. Cliquer Programmer";
    if (o.link_open) s.programmer = ProgrammerRule::enable;
  }

  s.log = {" ", "Construction du fichier carte"};
  if (!o.demo) {
    s.log.push_back(o.layout == RecordLayout::notes42   ? " Mode 42 notes"
                    : o.layout == RecordLayout::notes32 ? " Mode 32 notes"
                                                        : " Mode 27/29 notes");
    s.log.push_back(o.marks ? " -> avec marques" : " -> sans marques");
    s.log.push_back(o.loop ? " -> avec bouclage" : " -> sans bouclage");
  } else {
    s.log.push_back(too_long ? " Morceau de démonstration... mais trop long !"
                             : " Morceau de démonstration");
  }
  s.log.push_back(str_num(std::int64_t{n}) + " macro-événements ont été créés");
  s.log.push_back(" Durée d'action totale normalisée sur 1 relais = " +
                  str_num(round_half_even(static_cast<double>(o.duree_action_totale) / 240.0)) +
                  " secondes");
  return s;
}

std::optional<std::int64_t> initial_delay_ticks(double millimetres, double pas_ech) {
  if (pas_ech == 0) return std::nullopt;
  const double t = std::trunc(millimetres / pas_ech);
  if (!std::isfinite(t) || t < 0 || t > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int64_t>(t);
}

}  // namespace solmir::score
