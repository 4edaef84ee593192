#include "app/form1.h"

#include <filesystem>
#include <system_error>

#include "base/numbers.h"

namespace solmir {

Form1::Form1(Ports& p) : ports(p), Timer1(p.loop, 1000) {
  for (int i = 0; i < 16; ++i) {
    midi_channel_.push_back(std::make_unique<CheckBox>("Midi_channel_" + std::to_string(i), ""));
    num_canal_.push_back(
        std::make_unique<Label>("num_canal_" + std::to_string(i), std::to_string(i + 1)));
  }
  link = std::make_unique<board::Link>(ports.serial, ports.loop);
  link->on_lost = [this] { device_removal(open_port_name); };
  Titre.max_length = 10;
  choixa.set_value(true);
  window.resize(7815, 4380);
  for (Window* w : {&form2.window, &form3.window, &form8.window}) w->set_visible(false);
  wire_controls();
  wire_listening();
  wire_state();
  // No link and no image yet: the card commands and the board menus are disabled.
  apply_state();
}

Form1::~Form1() = default;

void Form1::wire_controls() {
  Ouvre_midi.on_click = [this] { Ouvre_midi_Click(); };
  Sauve_midi.on_click = [this] { Sauve_midi_Click(); };
  traite_midi.on_click = [this] { traite_midi_Click(); };
  quitter.on_click = [this] { quitter_Click(); };
  Prog_demo.on_click = [this] { Prog_demo_Click(); };
  option32N.on_click = [this] { option32N_Click(); };
  apropos.on_click = [this] {
    form3.window.move(window.left + 400, window.top - 400);
    form3.window.show();
  };
  Infos_carte.on_click = [this] { Infos_carte_Click(); };
  Effacer_carte.on_click = [this] { Effacer_carte_Click(); };
  Tester_carte.on_click = [this] { Tester_carte_Click(); };
  Copier_carte.on_click = [this] { Copier_carte_Click(); };
  programmer.on_click = [this] { programmer_Click(); };
  Label2.on_click = [this] { Label2_Click(); };
  port.on_change = [this] { port_Change(); };

  mode42.on_change = [this] { mode42_Click(); };
  Option32.on_change = [this] { Option32_Click(); };
  for (int i = 0; i < 16; ++i) Midi_channel(i).on_change = [this, i] { Midi_channel_Click(i); };

  // The piece choice: exactly one of the pair is ticked.
  choixa.on_change = [this] { choixb.set_value(!choixa.value()); };
  choixb.on_change = [this] { choixa.set_value(!choixb.value()); };

  Timer1.on_tick = [this] { Timer1_Timer(); };

  // The extra-notes dialog copies its fields at once into the hidden note boxes.
  form2.Text1.on_change = [this] { note30.set_text(form2.Text1.text()); };
  form2.Text2.on_change = [this] { note31.set_text(form2.Text2.text()); };
  form2.Text3.on_change = [this] { note32.set_text(form2.Text3.text()); };
  form2.Check1.on_change = [this] {
    Check_marque.set_value(form2.Check1.value());
    if (!mode42.value()) Option32.set_value(true);
  };
  form2.Check2.on_change = [this] {
    Check_boucle.set_value(form2.Check2.value());
    if (!mode42.value()) Option32.set_value(true);
  };
  form2.Valider.on_click = [this] { form2_Valider_Click(); };

  form8.Text1.on_change = [this] { separe_note.set_text(form8.Text1.text()); };
  form8.Text2.on_change = [this] { aligne_note.set_text(form8.Text2.text()); };
  form8.Valider.on_click = [this] { form8_Valider_Click(); };

  Apercu_window.hide();
  Apercu.on_click = [this] { Apercu_Click(); };
  Apercu_carte.on_click = [this] { Apercu_Click(); };
  Transposition.on_change = [this] { Transposition_Change(); };
  Meilleure_transposition.on_click = [this] { Meilleure_transposition_Click(); };
  wire_board_config();
}

void Form1::append_message(const std::string& message) {
  Label_defautP.set_text(Label_defautP.text() + message + "\r\n");
}

void Form1::replace_messages(const std::string& text) {
  Label_defautP.set_text(text);
}

void Form1::Form_Load() {
  journal_commence = false;
  dossier_programme = ports.environment.program_folder();
  Def_notes_base();
  lit_fichier_ini();
  lit_params_reg();
  const int saved_width = window.width;
  window.resize(saved_width > 7815 ? 9495 : 7815, 4380);
  if (mode42.value()) mode42_Click();
  if (Midi_channel(9).value()) Midi_channel_Click(9);
  cherche_dossier_donnees();
  if (connect_at_start) start_link();
}

void Form1::quitter_Click() {
  stop_listening();
  std::error_code ec;
  std::filesystem::remove(dossier_programme / "Temp" / "datacarte.cap", ec);
  try {
    Sauve_params_reg();
  } catch (...) {
  }
  Timer1.set_enabled(false);
  if (link->is_open()) link->port().close();
  attente(ports.loop, 100);
}

void Form1::Timer1_Timer() {
  if (!clignote) {
    append_message(" ");
    clignote = true;
  } else {
    append_message(msg_variable.text());
    clignote = false;
  }
}

void Form1::active_menus_carte() {
  fenetre_params.set_enabled(true);
  Prog_demo.set_enabled(true);
  option32N.set_enabled(true);
}

void Form1::desactive_menus_carte() {
  fenetre_params.set_enabled(false);
  Prog_demo.set_enabled(false);
  option32N.set_enabled(false);
}

}  // namespace solmir
