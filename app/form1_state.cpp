// The main window and its one state: the inputs of the card image, and the enables that the
// state decides put on the controls.
#include <string>

#include "app/form1.h"

namespace solmir {

namespace {

std::string tick(const CheckBox& c) {
  return c.value() ? "1" : "0";
}

}  // namespace

ImageInputs Form1::image_inputs() const {
  ImageInputs in;
  in.reserve(40);
  in.emplace_back("vitesse", vitesse.text());
  in.emplace_back("Pas_ech", Pas_ech.text());
  // Only the initial delay the builder uses: the other one does not shape this image.
  in.emplace_back("mode_demo", mode_demo ? "1" : "0");
  in.emplace_back(mode_demo ? "Delai_init_demo" : "Delai_init",
                  mode_demo ? Delai_init_demo.text() : Delai_init.text());
  in.emplace_back("separe_note", separe_note.text());
  in.emplace_back("aligne_note", aligne_note.text());
  in.emplace_back("note30", note30.text());
  in.emplace_back("note31", note31.text());
  in.emplace_back("note32", note32.text());
  in.emplace_back("Check_marque", tick(Check_marque));
  in.emplace_back("Check_boucle", tick(Check_boucle));
  in.emplace_back("mode42", tick(mode42));
  in.emplace_back("Option32", tick(Option32));
  std::string channels;
  for (const auto& c : midi_channel_) channels += tick(*c);
  in.emplace_back("Midi_channel", channels);
  in.emplace_back("Transposition", Transposition.text());
  // The note table itself: the extra notes reach it only when their dialog is confirmed.
  std::string table;
  for (int n : table_notes) table += std::to_string(n) + ",";
  in.emplace_back("table_notes", table);
  return in;
}

void Form1::wire_state() {
  // Any change of an input of the image may make the image stale; the control's own change
  // rule (a scale rule, for instance) runs after this and applies the state again.
  std::vector<Control*> inputs{&vitesse,     &Pas_ech,      &Delai_init,   &Delai_init_demo,
                               &separe_note, &aligne_note,  &note30,       &note31,
                               &note32,      &Check_marque, &Check_boucle, &mode42,
                               &Option32,    &Transposition};
  for (const auto& c : midi_channel_) inputs.push_back(c.get());
  // Only a change of what the boxes hold counts (not of their enabled flag, for instance).
  const auto held = [inputs] {
    std::vector<std::string> v;
    for (const Control* c : inputs) {
      if (const auto* t = dynamic_cast<const TextBox*>(c)) v.push_back(t->text());
      if (const auto* k = dynamic_cast<const CheckBox*>(c)) v.push_back(tick(*k));
    }
    return v;
  };
  last_inputs_ = held();
  for (Control* c : inputs)
    c->subscribe([this, held] {
      std::vector<std::string> now = held();
      if (now == last_inputs_) return;
      last_inputs_ = std::move(now);
      apply_state();
    });
}

void Form1::apply_state() {
  // Setting an enable notifies the control's observers, which may ask again.
  if (applying_state_) return;
  applying_state_ = true;
  const Enables e = derive_enables(state, card_image_stale());
  programmer.set_caption(e.programmer_caption);
  programmer.set_enabled(e.programmer);
  Sauve_midi.set_enabled(e.Sauve_midi);
  Infos_carte.set_enabled(e.Infos_carte);
  Effacer_carte.set_enabled(e.Effacer_carte);
  Tester_carte.set_enabled(e.Tester_carte);
  Copier_carte.set_enabled(e.Copier_carte);
  fenetre_params.set_enabled(e.fenetre_params);
  Prog_demo.set_enabled(e.Prog_demo);
  option32N.set_enabled(e.option32N);
  mode42.set_enabled(e.scale_boxes);
  Option32.set_enabled(e.scale_boxes);
  Shape1.set_color(state.link_open ? kGreen : kRed);
  link->scan_en_cours = state.runs(Activity::port_scan);
  applying_state_ = false;
  // The preview greys a stale image: tell it when the image turns stale or fresh again.
  const bool stale = card_image_stale();
  if (stale != notified_stale_) notify_image();
}

void Form1::card_image_made(ImageSource source, bool programmable) {
  CardImage& im = state.image;
  im.present = !Liste_tran.empty();
  im.source = source;
  im.incomplete_file = false;
  im.programmable = programmable;
  im.saveable = im.present;
  im.built_from = image_inputs();
  apply_state();
}

void Form1::card_image_dropped() {
  Liste_tran.clear();
  nb_macro_evenements = 0;
  state.image = CardImage{};
  apply_state();
}

ActivityScope::ActivityScope(Form1& f, Activity a) : f_(f), a_(a) {
  ++f_.state.running[static_cast<std::size_t>(a_)];
  f_.apply_state();
}

ActivityScope::~ActivityScope() {
  --f_.state.running[static_cast<std::size_t>(a_)];
  f_.apply_state();
}

}  // namespace solmir
