// The parameter dialog: opening it from "Paramètres" (version check, read-back of the seven
// parameter bytes), the interplay of its controls, the validation that sends only what
// changed, its keyboard shortcuts and its closing.
#include <optional>

#include "app/form1.h"
#include "base/numbers.h"
#include "board/board_busy.h"
#include "board/commands.h"
#include "board/operation.h"
#include "board/params.h"

namespace solmir {

namespace {

std::string trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Two texts of the period compared as values: "5" equals "05", an empty text equals only an
// empty text.
bool same_value(const std::string& a, const std::string& b) {
  const std::string ta = trimmed(a), tb = trimmed(b);
  if (ta.empty() || tb.empty()) return ta.empty() && tb.empty();
  const auto na = parse_number(ta), nb = parse_number(tb);
  if (na && nb) return *na == *nb;
  return ta == tb;
}

// Runs at the end of the scope.
template <class F>
struct AtExit {
  F f;
  ~AtExit() { f(); }
};
template <class F>
AtExit(F) -> AtExit<F>;

}  // namespace

// ---------------------------------------------------------------- opening and read-back

void Form1::fenetre_params_Click() {
  board::run_board_operation(*this, [this] {
    board::BoardBusy busy(*this);
    form9.window.move(window.left + 1800, window.top - 1000);
    lit_version();
    lecture_params();
    form9.window.show();
  });
}

void Form1::lecture_params() {
  board::run_board_operation(*this, [this] {
    board::BoardBusy busy(*this);
    link->discard_buffers();
    link->send_word(board::cmd::NUuLL);
    link->send_word(board::cmd::LEcPA);
    link->begin_text(7);
    const std::string answer = link->wait_text();
    link->send_lf();
    link->end_text();

    board::Form9& d = form9;
    board::ParamsLus& p = params_lus;
    // The lists are set by the board's values, not chosen by the user: no file question.
    d.lecture_en_cours = true;
    AtExit done{[&d] { d.lecture_en_cours = false; }};
    auto byte = [&answer](int i) { return static_cast<unsigned char>(answer[i - 1]); };

    // Speed sensor. The first box is ticked before the second, which can only join it.
    switch (byte(1)) {
      case 0xFF:
        d.Check5.set_value(true);
        d.Check6.set_value(true);
        p.tous_fronts_1 = p.tous_fronts_2 = 1;
        d.Text1.set_highlight(0);
        d.Text1.set_text("");
        p.periode.clear();
        break;
      case 0x55:
        d.Check5.set_value(true);
        d.Check6.set_value(false);
        p.tous_fronts_1 = 1;
        p.tous_fronts_2 = 0;
        d.Text1.set_highlight(0);
        d.Text1.set_text("");
        p.periode.clear();
        break;
      case 0xAA:
        d.Check5.set_value(false);
        d.Check6.set_value(false);
        p.tous_fronts_1 = p.tous_fronts_2 = 0;
        d.Text1.set_highlight(0);
        d.Text1.set_text("1");
        p.periode = "1";
        break;
      case 0x99: {
        d.Check5.set_value(false);
        d.Check6.set_value(false);
        p.tous_fronts_1 = p.tous_fronts_2 = 0;
        d.Text1.set_highlight(0);
        const std::int32_t n = bin_vers_entier(texte_vers_bin(answer.substr(1, 1))) + 1;
        d.Text1.set_text(std::to_string(n));
        p.periode = std::to_string(n);
        break;
      }
      default:
        break;
    }
    // Output order table. The field is emptied before the list is set, so that the list's
    // own rule does not take the read-back for a choice of the user.
    p.ordre_sorties.clear();
    switch (byte(3)) {
      case 0xFF:
        d.Combo1.select(0);
        p.ordre_sorties = board::kDefaut;
        break;
      case 0x64:
        d.Combo1.select(1);
        p.ordre_sorties = board::kTable2932;
        break;
      case 0x44:
        d.Combo1.select(2);
        p.ordre_sorties = board::kTable4245;
        break;
      default:
        break;
    }
    // Instrument table.
    p.instruments.clear();
    switch (byte(4)) {
      case 0xFF:
        d.Combo2.select(0);
        p.instruments = board::kDefaut;
        break;
      case 0x4F:
        d.Combo2.select(1);
        p.instruments = board::kListePerso;
        break;
      case 0x63:
        d.Combo2.select(2);
        p.instruments = board::kAucun;
        break;
      default:
        break;
    }
    // Note filler.
    d.Check3.set_value(byte(5) != 0xFF);
    p.note_filler = byte(5) != 0xFF ? 1 : 0;
    // Commands: relays, MIDI, manual mute.
    struct Commands {
      unsigned char value;
      bool relais, midi, mute;
    };
    static constexpr Commands kCommands[] = {{0xFF, true, true, false}, {0x55, true, false, false},
                                             {0x33, true, false, true}, {0xAA, false, true, false},
                                             {0x77, false, true, true}, {0x99, true, true, true}};
    for (const Commands& c : kCommands) {
      if (byte(6) != c.value) continue;
      d.Check1.set_value(c.relais);
      d.Check2.set_value(c.midi);
      d.Check4.set_value(c.mute);
      p.relais = c.relais;
      p.midi = c.midi;
      p.mute_rf = c.mute;
    }
    // MIDI output pin.
    if (byte(7) == 0xFF) {
      d.Combo4.select(0);
      p.sortie_midi = board::kD9;
    } else if (byte(7) == 0xAA) {
      d.Combo4.select(1);
      p.sortie_midi = board::kTX;
    }
  });
}

// ---------------------------------------------------------------- the dialog's controls

std::string Form1::nom_fich_params(const std::string& extension) {
  const std::string filters = "Fichiers (*." + extension + ")|*." + extension + "|Tous (*.*)|*.*";
  return ports.dialogs.open_file(board::kTitleParamsFile, filters,
                                 (data_folder() / "Params").string());
}

void Form1::Form9_Check5_Click() {
  board::Form9& d = form9;
  if (d.Check5.value() || !d.saisie_periode) d.Text1.set_text("");
  if (d.Check6.value() && !d.Check5.value()) d.Check6.set_value(false);
  if (d.Check5.value()) d.saisie_periode = false;
}

void Form1::Form9_Check6_Click() {
  // The second pin can only be added to the first.
  if (!form9.Check5.value()) form9.Check6.set_value(false);
}

void Form1::Form9_Text1_Change() {
  board::Form9& d = form9;
  if (d.Text1.text().empty()) return;
  d.saisie_periode = true;
  d.Check5.set_value(false);
  d.Check6.set_value(false);
}

namespace {

// A list entry chosen: asks for the table file when the entry needs one (only for a choice of
// the user in the visible dialog). A cancelled question puts the list back as it was. Then,
// when the entry is the one the board has, the choice still counts, so that any entry the
// user picks is sent.
void table_chosen(Form1& f, ComboBox& list, int& before, bool& chosen, std::string& file,
                  bool needs_file, const char* extension, const std::string& on_board) {
  board::Form9& d = f.form9;
  if (d.retour_en_cours) return;
  if (needs_file && d.window.visible() && !d.lecture_en_cours) {
    std::string path = f.nom_fich_params(extension);
    if (path.empty()) {
      d.retour_en_cours = true;
      list.select(before);
      d.retour_en_cours = false;
      return;
    }
    file = std::move(path);
    chosen = true;
  }
  if (list.text() == on_board) chosen = true;
  before = list.index();
}

}  // namespace

void Form1::Form9_Combo1_Click() {
  board::Form9& d = form9;
  // Both tables need their file; the default needs none.
  const bool needs_file = d.Combo1.index() >= 0 && d.Combo1.text() != board::kDefaut;
  table_chosen(*this, d.Combo1, d.combo1_avant, d.table_ordre_choisie, d.fichier_ordre, needs_file,
               "sor", params_lus.ordre_sorties);
}

void Form1::Form9_Combo2_Click() {
  board::Form9& d = form9;
  table_chosen(*this, d.Combo2, d.combo2_avant, d.table_instrus_choisie, d.fichier_instrus,
               d.Combo2.text() == board::kListePerso, "txt", params_lus.instruments);
}

// ---------------------------------------------------------------- validation

void Form1::Form9_Valider_Click() {
  board::Form9& d = form9;
  board::ParamsLus& p = params_lus;
  // Every validation starts afresh, however the last one ended.
  AtExit clear{[&d] {
    d.capteur_envoye = d.ordre_envoye = d.commandes_envoyees = d.nf_envoye = d.sortie_envoyee =
        d.instruments_envoyes = false;
    d.table_ordre_choisie = d.table_instrus_choisie = false;
  }};
  // Whether every change reached the board without a message box on the way: only then does
  // the dialog close.
  bool complete = true;
  bool anything_sent = false;
  const bool ok = board::run_board_operation(*this, [&] {
    board::BoardBusy busy(*this);
    const bool c5 = d.Check5.value(), c6 = d.Check6.value();
    if (!c5 && !c6 && d.Text1.text().empty()) {
      ports.dialogs.message(board::kBoxCapteur);
      complete = false;
    }
    if (!d.Check1.value() && !d.Check2.value()) {
      ports.dialogs.message(board::kBoxCommandes);
      complete = false;
    }

    // Speed sensor.
    if (c5 != (p.tous_fronts_1 != 0) || c6 != (p.tous_fronts_2 != 0) ||
        !same_value(d.Text1.text(), p.periode)) {
      bool sent = true;
      if (c5 && c6) {
        tachydef_F9();
      } else if (c5) {
        tachy2_F9();
      } else if (!trimmed(d.Text1.text()).empty()) {
        // One rising edge out of n, n a whole number from 1 to 256 (the board takes n - 1 in
        // one byte).
        const auto n = parse_number(d.Text1.text());
        if (!n || *n != static_cast<double>(static_cast<std::int64_t>(*n)) || *n < 1 || *n > 256) {
          ports.dialogs.message(board::kBoxPeriode);
          sent = false;
        } else if (*n == 1) {
          tachy4_F9();
        } else {
          sent = prog_div(std::to_string(static_cast<std::int64_t>(*n) - 1));
        }
      }
      // What the board did not take stays to be sent.
      if (!sent) complete = false;
      if (sent) {
        p.tous_fronts_1 = c5;
        p.tous_fronts_2 = c6;
        p.periode = d.Text1.text();
      }
      d.capteur_envoye = true;
    }

    // Output order table.
    const std::string ordre = d.Combo1.text();
    if (d.table_ordre_choisie || ordre != p.ordre_sorties) {
      bool sent = true;
      if (ordre == board::kDefaut) {
        efface_table_F9();
      } else if (ordre == board::kTable2932) {
        sent = ordre_sorties_29_32_F9(d.fichier_ordre);
      } else if (ordre == board::kTable4245) {
        sent = ordre_sorties_42_F9(d.fichier_ordre);
      }
      if (!sent) complete = false;
      if (sent) p.ordre_sorties = ordre;
      d.ordre_envoye = true;
    }

    // Commands sent by the board.
    const bool relais = d.Check1.value(), midi = d.Check2.value(), mute = d.Check4.value();
    if (relais != (p.relais != 0) || midi != (p.midi != 0) || mute != (p.mute_rf != 0)) {
      if (relais && midi && !mute) {
        cde_relais_midi_F9();
      } else if (relais && !midi && !mute) {
        cde_relais_seuls_F9();
      } else if (relais && !midi && mute) {
        cde_mute_relais_RF_F9();
      } else if (!relais && midi && !mute) {
        cde_midi_seul_F9();
      } else if (!relais && midi && mute) {
        cde_mute_midi_RF_F9();
      } else if (relais && midi && mute) {
        cde_mute_relais_midi_RF_F9();
      }
      p.relais = relais;
      p.midi = midi;
      p.mute_rf = mute;
      d.commandes_envoyees = true;
    }

    // Note filler.
    if (d.Check3.value() != (p.note_filler != 0)) {
      if (d.Check3.value()) {
        active_nf_F9();
      } else {
        desactive_nf_F9();
      }
      p.note_filler = d.Check3.value();
      d.nf_envoye = true;
    }

    // MIDI output pin.
    const std::string sortie = d.Combo4.text();
    if (sortie != p.sortie_midi) {
      if (sortie == board::kD9) {
        sortie_midi_D9_F9();
      } else if (sortie == board::kTX) {
        sortie_midi_TX_F9();
      }
      p.sortie_midi = sortie;
      d.sortie_envoyee = true;
    }

    // Instruments.
    const std::string instrus = d.Combo2.text();
    if (d.table_instrus_choisie || instrus != p.instruments) {
      bool sent = true;
      if (instrus == board::kDefaut) {
        efface_table_instrus_F9();
      } else if (instrus == board::kListePerso) {
        sent = table_instruments_F9(d.fichier_instrus);
      } else if (instrus == board::kAucun) {
        Aucun_instrument_F9();
      }
      if (!sent) complete = false;
      if (sent) p.instruments = instrus;
      d.instruments_envoyes = true;
    }

    anything_sent = d.capteur_envoye || d.ordre_envoye || d.commandes_envoyees || d.nf_envoye ||
                    d.sortie_envoyee || d.instruments_envoyes;
    if (!anything_sent) {
      append_message(board::kMsgAucuneModif);
      attente(ports.loop, 500);
    }
  });
  // Sent, and taken: the dialog's work is done. Otherwise it stays open with its message.
  if (ok && complete && anything_sent) d.window.hide();
}

// ---------------------------------------------------------------- keys and closing

void Form1::Form9_KeyDown(int key, bool alt, bool, bool) {
  if (!alt || !board::board_idle(*this)) return;
  switch (key) {
    case 'Z':
      if (ports.dialogs.ask_yes_no(board::kAskReinit)) init_params_click();
      break;
    case 'O':
      form5.window.move(window.left + 400, window.top - 400);
      form5.window.show();
      Lect_odometre_click();
      break;
    case 'E':
      form6.window.move(window.left + 400, window.top - 400);
      read_EEPROM();
      form6.window.show();
      break;
    default:
      break;
  }
}

void Form1::Form9_Unload() {
  append_message(kMsgSelect);
  form9.unload_state();
}

// ---------------------------------------------------------------- wiring

void Form1::wire_board_config() {
  auto when_idle = [this](void (Form1::*command)()) {
    return [this, command] {
      if (board::board_idle(*this)) (this->*command)();
    };
  };
  fenetre_params.on_click = when_idle(&Form1::fenetre_params_Click);
  Prog_Uno.on_click = [this] {
    if (board::board_idle(*this)) prog_atmega("115200");
  };
  Prog_Duemilanove.on_click = [this] {
    if (board::board_idle(*this)) prog_atmega("57600");
  };
  Prog_Nano.on_click = [this] {
    if (board::board_idle(*this)) prog_atmega("57600");
  };
  Prog_Nano_N.on_click = [this] {
    if (board::board_idle(*this)) prog_atmega("115200");
  };

  board::Form9& d = form9;
  d.Check5.on_change = [this] { Form9_Check5_Click(); };
  d.Check6.on_change = [this] { Form9_Check6_Click(); };
  d.Text1.on_change = [this] { Form9_Text1_Change(); };
  d.Combo1.on_change = [this] { Form9_Combo1_Click(); };
  d.Combo2.on_change = [this] { Form9_Combo2_Click(); };
  d.Valider.on_click = when_idle(&Form1::Form9_Valider_Click);
  // Closing the dialog, by the user or by the reset, says so in the main window.
  d.window.subscribe([this] {
    board::Form9& w = form9;
    const bool now = w.window.visible();
    const bool was = w.ouverte;
    w.ouverte = now;
    if (was && !now) Form9_Unload();
  });

  form5.Command1.on_click = when_idle(&Form1::Modif_odometre_click);
  form6.Command1.on_click = when_idle(&Form1::read_EEPROM);
  form6.Command3.on_click = when_idle(&Form1::write_EEPROM);
}

}  // namespace solmir
