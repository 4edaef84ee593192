// The card preview's side of the main window: the image as the preview draws it, the
// transposition box and the search for the transposition that keeps the most notes.
#include <cmath>

#include "app/form1.h"
#include "base/failure.h"
#include "base/numbers.h"
#include "score/record_format.h"

namespace solmir {

namespace {
constexpr const char* kBadTransposition =
    "La transposition doit être un nombre entier de -24 à +24 : ";
constexpr const char* kNoNotes = "Ouvrir d'abord un fichier midi";

std::optional<int> shift_of(const std::string& text) {
  const auto v = parse_number(text);
  if (!v || *v != std::trunc(*v) || *v < score::kMinTransposition || *v > score::kMaxTransposition)
    return std::nullopt;
  return static_cast<int>(*v);
}
}  // namespace

void Form1::notify_image() {
  notified_stale_ = card_image_stale();
  // A copy: an observer may subscribe another while it runs.
  const auto observers = image_observers;
  for (const auto& o : observers)
    if (o) o();
}

bool Form1::percussion_scale() const {
  return mode42.value() && midi_channel_[9]->value();
}

int Form1::transposition_value() const {
  const auto v = shift_of(Transposition.text());
  if (!v) throw RunFailure(kBadTransposition + ("\"" + Transposition.text() + "\""));
  return *v;
}

score::CardPreview Form1::card_preview() const {
  const score::RecordLayout layout =
      score::record_layout(mode42.value(), Option32.value(), mode_demo);
  score::PreviewTiming timing;
  const auto speed = parse_number(vitesse.text());
  const auto step = parse_number(Pas_ech.text());
  if (step && *step > 0) {
    timing.mm_per_tick = *step;
    if (speed && *speed > 0) timing.ticks_per_second = *speed / *step;
  }
  std::optional<bool> pattern;
  if (!image_from_card()) pattern = Check_marque.value() || Check_boucle.value();
  score::CardPreview p = score::preview_card(
      Liste_tran, layout, score::record_note_table(table_notes, mode42.value(), mode_demo),
      percussion_scale() && !image_from_card(), timing, pattern);
  if (!image_from_card()) p.dropped = notes_hors_gamme;
  return p;
}

void Form1::Apercu_Click() {
  Apercu_window.show();
}

void Form1::Transposition_Change() {
  // The saved value put in at start-up finds no image to reload.
  if (!Liste_tran.empty()) reload_prompt(false);
}

void Form1::Meilleure_transposition_Click() {
  if (!cles_extraites) {
    append_message(kNoNotes);
    return;
  }
  // A box that holds no valid shift is compared as no shift.
  const int current = shift_of(Transposition.text()).value_or(0);
  const score::BestTransposition b = score::best_transposition(
      *cles_extraites, score::record_note_table(table_notes, mode42.value(), mode_demo),
      score::record_layout(mode42.value(), Option32.value(), mode_demo), current);
  if (b.semitones != current) Transposition.set_text(score::signed_text(b.semitones));
  append_message(score::best_transposition_message(b));
}

}  // namespace solmir
