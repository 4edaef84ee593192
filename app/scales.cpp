// The scale routines and the rules that tie the scale boxes together.
#include "score/scales.h"

#include "app/form1.h"
#include "base/numbers.h"

namespace solmir {

namespace {

constexpr const char* kReload = "Cliquer Rafraichir pour recharger le même fichier midi";
constexpr const char* kBadNote = "Numéro de note supplémentaire non valide : ";

// The integer value of an extra-note box; nothing when the box does not hold a number.
std::optional<int> note_value(const TextBox& box) {
  const auto v = parse_number(box.text());
  if (!v || *v < -32768 || *v > 32767) return std::nullopt;
  return static_cast<int>(round_half_even(*v));
}

}  // namespace

// Fills entries first..first+2 from note30..note32 (empty: 0 -> 255 when empty_is_255).
// Stops at a box that does not hold a number, as the scale routines do, and says so.
static bool fill_extra_notes(Form1& f, std::size_t first, bool empty_is_255) {
  const TextBox* boxes[3] = {&f.note30, &f.note31, &f.note32};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto v = note_value(*boxes[i]);
    if (!v) {
      f.append_message(kBadNote + boxes[i]->text());
      return false;
    }
    f.table_notes[first + i] = (empty_is_255 && *v == 0) ? score::kNoNote : *v;
  }
  return true;
}

void Form1::Def_notes_base() {
  for (std::size_t k = 0; k < 29; ++k) table_notes[k] = score::kBaseScale[k];
  if (!custom_scale.empty()) {
    // The organ's own scale from solmir.ini replaces the base scale where it gives notes.
    for (std::size_t k = 0; k < custom_scale.size() && k <= 44; ++k)
      table_notes[k] = custom_scale[k];
  }
  const std::size_t custom = custom_scale.size();
  const TextBox* boxes[3] = {&note30, &note31, &note32};
  bool ok = true;
  for (std::size_t i = 0; i < 3 && ok; ++i) {
    if (29 + i < custom) continue;
    const auto v = note_value(*boxes[i]);
    if (!v) {
      append_message(kBadNote + boxes[i]->text());
      ok = false;
      break;
    }
    table_notes[29 + i] = *v;
  }
  if (ok)
    for (std::size_t k = std::max<std::size_t>(32, custom); k <= 44; ++k) table_notes[k] = 0;
  form2.window.set_caption("Notes supplémentaires en 32 notes");
  form2.Frame1.set_caption("Numéros midi des notes ajoutées au 29");
  form2.Label1.set_caption("Note 30");
  form2.Label2.set_caption("Note 31");
  form2.Label3.set_caption("Note 32");
}

void Form1::fill_42_notes() {
  for (std::size_t k = 0; k < 13; ++k) table_notes[k] = score::k42Low[k];
  if (fill_extra_notes(*this, 13, true))
    for (std::size_t k = 0; k < 29; ++k) table_notes[16 + k] = score::kBaseScale[k];
  form2.window.set_caption("Notes optionnelles 42 notes");
  form2.Frame1.set_caption("Numéros midi des notes ajoutées au 42");
  form2.Label1.set_caption("Note 43");
  form2.Label2.set_caption("Note 44");
  form2.Label3.set_caption("Note 45");
}

void Form1::fill_percussion() {
  for (std::size_t k = 0; k < 13; ++k) table_notes[k] = score::kPercussionLow[k];
  if (fill_extra_notes(*this, 13, true))
    for (std::size_t k = 0; k < 29; ++k) table_notes[16 + k] = score::kPercussionHigh[k];
  form2.window.set_caption("Notes optionnelles percussions");
  form2.Frame1.set_caption("Numéros midi des percussion ajoutées");
  form2.Label1.set_caption("Note 43");
  form2.Label2.set_caption("Note 44");
  form2.Label3.set_caption("Note 45");
}

void Form1::reload_prompt(bool append) {
  if (!Liste_tran.empty() && !image_stale) {
    image_stale = true;
    notify_image();
  }
  if (!programmer.enabled()) return;
  programmer.set_caption("Rafraichir");
  if (append) {
    append_message(kReload);
  } else {
    replace_messages(std::string(kReload) + "\r\n");
  }
}

void Form1::mode42_Click() {
  if (mode42.value()) {
    if (Option32.value()) Option32.set_value(false);
    fill_42_notes();
  } else {
    if (Midi_channel(9).value()) Midi_channel(9).set_value(false);
    Def_notes_base();
  }
  reload_prompt(true);
}

void Form1::Midi_channel_Click(int index) {
  if (index == 9) {
    if (Midi_channel(9).value()) {
      mode42.set_value(true);
      Option32.set_value(false);
      fill_percussion();
    } else {
      mode42.set_value(false);
      Midi_channel(9).set_value(false);
      Def_notes_base();
    }
  }
  reload_prompt(false);
}

void Form1::Option32_Click() {
  if (Option32.value()) {
    if (mode42.value()) mode42.set_value(false);
    if (Midi_channel(9).value()) Midi_channel(9).set_value(false);
  }
  Def_notes_base();
  reload_prompt(false);
}

void Form1::option32N_Click() {
  form2.Text1.set_text(note30.text());
  form2.Text2.set_text(note31.text());
  form2.Text3.set_text(note32.text());
  form2.Check1.set_value(Check_marque.value());
  form2.Check2.set_value(Check_boucle.value());
  form2.window.move(window.left + 400, window.top - 400);
  form2.window.show();
}

void Form1::form2_Valider_Click() {
  if (!mode42.value()) Option32.set_value(true);
  Sauve_params_reg();
  for (TextBox* t : {&form2.Text1, &form2.Text2, &form2.Text3}) t->set_enabled(false);
  attente(ports.loop, 200);
  for (TextBox* t : {&form2.Text1, &form2.Text2, &form2.Text3}) t->set_enabled(true);
  if (!mode42.value()) Def_notes_base();
  options_validees = true;
  form2.window.hide();
}

}  // namespace solmir
