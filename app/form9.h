// The reader board's parameter dialog "Paramétrage carte arduino": the speed sensor, the output
// order table, the commands the board sends, the MIDI output and instruments, and the radio
// sync mute. Its caption carries the board's firmware version once the version check has run.
// The main window fills it from the board (lecture_params) and its OK button sends what the
// user changed (Form1::Form9_Valider_Click).
#pragma once

#include <string>

#include "app/controls.h"

namespace solmir::board {

inline constexpr const char* kDefaut = "Défaut";
inline constexpr const char* kTable2932 = "Table 29-32";
inline constexpr const char* kTable4245 = "Table 42-45";
inline constexpr const char* kListePerso = "Liste perso";
inline constexpr const char* kAucun = "Aucun";
inline constexpr const char* kD9 = "D9";
inline constexpr const char* kTX = "TX";

struct Form9 {
  Window window{"Form9", "Paramétrage carte arduino"};

  // "Capteur de vitesse"
  Label Frame1{"Frame1", "Capteur de vitesse"};
  CheckBox Check5{"Check5", "S1", "Prise en compte de tous les fronts de la première broche"};
  CheckBox Check6{"Check6", "S2", "Prise en compte de tous les fronts de la seconde broche"};
  Label Label1{"Label1", "ou :"};
  Label Label2{"Label2", "n ="};
  TextBox Text1{"Text1", "",
                "Périodicité des fronts montants pris en compte sur la première broche "
                "uniquement"};
  Label Label3{"Label3", "1/n"};
  // The fixed picture of the sensor's pins, and their labels.
  Label Image1{"Image1", ""};
  Label Label_S1{"Label_S1", "S1"};
  Label Label_S2{"Label_S2", "S2"};

  // "Commande des relais"
  Label Frame2{"Frame2", "Commande des relais"};
  Label Label4{"Label4", "Ordre des sorties"};
  ComboBox Combo1{"Combo1",
                  {kDefaut, kTable2932, kTable4245},
                  "Prise en compte ou non des tables d'ordre des sorties"};

  // "Commandes émises"
  Label Frame3{"Frame3", "Commandes émises"};
  CheckBox Check1{"Check1", "Relais"};
  CheckBox Check2{"Check2", "Midi"};
  CheckBox Check3{"Check3", "Note-filler 42"};

  // "Midi"
  Label Frame4{"Frame4", "Midi"};
  Label Label5{"Label5", "Sortie"};
  ComboBox Combo4{"Combo4", {kD9, kTX}, "TX pour cartes avec synchro radio. Sinon D9"};
  Label Label6{"Label6", "Instruments"};
  ComboBox Combo2{"Combo2",
                  {kDefaut, kListePerso, kAucun},
                  "Prise en compte ou non de la table d'instruments GM personalisée"};

  // "Synchro radio"
  Label Frame5{"Frame5", "Synchro radio"};
  CheckBox Check4{"Check4", "Man. mute",
                  "Coupure du midi ou des relais en synchro radio si manivelle immobile"};

  Button Valider{"Valider", "OK", "Envoi des paramètres vers la carte arduino"};

  // ---- the dialog's state, as long as it is loaded (closing it starts afresh)
  bool saisie_periode = false;
  bool capteur_envoye = false, ordre_envoye = false, commandes_envoyees = false, nf_envoye = false,
       sortie_envoyee = false, instruments_envoyes = false;
  bool table_ordre_choisie = false;
  bool table_instrus_choisie = false;
  std::string fichier_ordre;
  std::string fichier_instrus;
  // The read-back is filling the lists: their choice is not the user's.
  bool lecture_en_cours = false;
  // The entries shown before the last choice, to go back to when a file question is
  // cancelled.
  int combo1_avant = -1, combo2_avant = -1;
  bool retour_en_cours = false;
  // The dialog was on show at its last change (its closing is seen as a change to hidden).
  bool ouverte = false;

  Form9() { window.set_visible(false); }

  // Back to the state of a freshly loaded dialog (the controls keep what they show).
  void unload_state() {
    saisie_periode = false;
    capteur_envoye = ordre_envoye = commandes_envoyees = nf_envoye = sortie_envoyee =
        instruments_envoyes = false;
    table_ordre_choisie = table_instrus_choisie = false;
    fichier_ordre.clear();
    fichier_instrus.clear();
  }
};

}  // namespace solmir::board
