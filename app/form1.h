// The main window's model: every control, list and window-level variable of the program, and
// every command. The Qt window mirrors these controls; the command line and the tests drive
// them directly. Commands live in the files of their feature (score/, board/, midi/, ...).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/form4.h"
#include "app/form5.h"
#include "app/form6.h"
#include "app/form8.h"
#include "app/form9.h"
#include "app/window_state.h"
#include "base/inpout.h"
#include "base/ports.h"
#include "base/timer.h"
#include "board/link.h"
#include "board/params.h"
#include "score/dropped_notes.h"
#include "score/note_list.h"
#include "score/preview.h"

namespace solmir {

class CardPlayer;

// The platform services the main window works through.
struct Ports {
  EventLoop& loop;
  Dialogs& dialogs;
  SerialPort& serial;
  SettingsStore& settings;
  ProcessRunner& processes;
  Environment& environment;
};

inline constexpr const char* kAppName = "Solmir";
inline constexpr const char* kSection = "Startup";
inline constexpr const char* kCaption =
    "Programmation de cartes à puces pour orgue de barbarie (v 7.0)";
inline constexpr const char* kMsgSelect = "Sélectionner un fichier midi ou une opération carte";

// Link-state colours of Shape1.
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kRed = 0xFF0000;

// The names of the organ sounds of the "Son" choice.
std::vector<std::string> organ_sound_names();

// The number held by a box; a box that does not hold one stops the command with a RunFailure
// whose message names `what` ("La vitesse ne contient pas un nombre : ...").
double box_number(const TextBox& box, const char* what);

class Form1 {
 public:
  explicit Form1(Ports& ports);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1();

  Ports& ports;

  // ---------------------------------------------------------------- the window and its menus
  Window window{"Form1", kCaption};

  MenuEntry Ouvre_midi{"Ouvre_midi", "Ouvrir fichier Midi..."};
  MenuEntry Sauve_midi{"Sauve_midi", "Sauver fichier Midi..."};
  MenuEntry traite_midi{"traite_midi", "Pré-traitements..."};
  MenuEntry quitter{"quitter", "Quitter"};
  MenuEntry Atmega328{"Atmega328", "Programmation Atmega"};
  MenuEntry Prog_Uno{"Prog_Uno", "Uno - Uno rev3"};
  MenuEntry Prog_Duemilanove{"Prog_Duemilanove", "Duemilanove"};
  MenuEntry Prog_Nano{"Prog_Nano", "Nano (ancien bootloader)"};
  MenuEntry Prog_Nano_N{"Prog_Nano_N", "Nano (nouveau bootloader 01-2018)"};
  MenuEntry fenetre_params{"fenetre_params", "Paramètres"};
  MenuEntry Prog_demo{"Prog_demo", "Démo intégrée (29 notes)"};
  MenuEntry option32N{"option32N", "Notes optionnelles..."};
  MenuEntry apropos{"apropos", "?"};

  // "Opérations sur la carte"
  Button Infos_carte{"Infos_carte", "Infos", "Liste la taille et le contenu d'une carte"};
  Button Effacer_carte{"Effacer_carte", "Effacer", "Efface une carte en mettant tous les bits à 1"};
  Button Tester_carte{"Tester_carte", "Tester",
                      "Teste une carte en écrivant puis relisant les motifs complémentaires 0x55 "
                      "et 0xAA"};
  Button Copier_carte{"Copier_carte", "Copier", "Copie un morceau d'une carte sur une autre"};

  // "Programmateur"
  Label Label2{"Label2", "Port COM"};  // a click starts the port scan
  TextBox port{"port", "0", "Port auquel est raccordée la carte"};
  CheckBox mode42{"mode42", "42 notes", "Validation de l'option 42 notes"};
  CheckBox Option32{"Option32", "32 notes", "Validation de l'option 32 notes"};
  CheckBox choixa{"choixa", "Morceau A", "Programmation du premier morceau de la carte"};
  CheckBox choixb{"choixb", "Morceau B", "Programmation du second morceau de la carte"};
  Label Label3{"Label3", "Titre"};
  TextBox Titre{"Titre", "", "Titre qui sera enregistré dans la carte"};
  TextBox Text1{"Text1", "", "Temps de programmation estimé"};
  ProgressBar gauge1{"gauge1"};
  Button programmer{"programmer", "Programmer", "Lance la programmation de la carte"};
  Shape Shape1{"Shape1"};

  // "Paramètres"
  TextBox vitesse{"vitesse", "60"};
  TextBox Pas_ech{"Pas_ech", "0.25"};
  TextBox Delai_init{"Delai_init", "100"};
  TextBox Delai_init_demo{"Delai_init_demo", "10"};

  // "Canaux midi": box i selects MIDI channel i + 1.
  CheckBox& Midi_channel(int i) { return *midi_channel_[static_cast<std::size_t>(i)]; }
  Label& num_canal(int i) { return *num_canal_[static_cast<std::size_t>(i)]; }
  Label Label4{"Label4", "", "Fichier midi à transférer sur la carte"};
  TextBox Label_defautP{"Label_defautP", std::string(kMsgSelect) + "\r\n", "Messages de service "};

  // Hidden state holders.
  TextBox separe_note{"separe_note", "0"};
  TextBox aligne_note{"aligne_note", "0"};
  TextBox note30{"note30", "0"};
  TextBox note31{"note31", "0"};
  TextBox note32{"note32", "0"};
  TextBox msg_variable{"msg_variable", ""};
  TextBox morceauAB{"morceauAB", ""};
  CheckBox Check_marque{"Check_marque", ""};
  CheckBox Check_boucle{"Check_boucle", ""};
  RepeatingTimer Timer1;

  // The other windows; they live as long as the main window.
  score::Form2 form2;
  Form3 form3;
  board::Form4 form4;
  board::Form9 form9;
  score::Form8 form8;

  // ---------------------------------------------------------------- service messages
  // Appends the message and CR LF; replaces the whole text.
  void append_message(const std::string& message);
  void replace_messages(const std::string& text);

  // ---------------------------------------------------------------- start-up and quit
  bool clignote = false;
  bool journal_commence = false;
  std::filesystem::path dossier_programme;
  std::filesystem::path dossier_donnees;

  void Form_Load();
  // Start-up opens the link unless told not to (the command line's file commands).
  bool connect_at_start = true;
  // Quit: saves the settings, closes the link, ends this program only. Returns when done;
  // the platform then ends its event loop.
  void quitter_Click();
  void Timer1_Timer();
  void active_menus_carte();
  void desactive_menus_carte();
  // Key-down of the main window (it sees keys before its controls). key: the upper-case
  // letter or other key code. True when the key was a shortcut: the controls do not get it.
  bool Form_KeyDown(int key, bool alt, bool shift, bool ctrl);

  // ---------------------------------------------------------------- settings, folders, log
  void Sauve_params_reg();
  void lit_params_reg();
  void lit_fichier_ini();
  // The settings file; empty: solmir.ini in the program's folder. use_ini false: none.
  std::filesystem::path ini_file;
  bool use_ini = true;
  void cherche_dossier_donnees();
  // The log file; empty: nothing is logged (the command line logs only when asked).
  std::filesystem::path log_file;
  bool log_enabled = true;
  // Writes lines to the log, each ended by CR LF; replace: the file starts anew.
  void write_log(const std::vector<std::string>& lines, bool replace = false);
  // The data folder "Solmir" and its sub-folders.
  std::filesystem::path data_folder() const;

  // ---------------------------------------------------------------- scales
  NoteTable table_notes{};
  bool options_validees = false;
  // The custom scale of solmir.ini, when there is one.
  std::vector<int> custom_scale;
  void Def_notes_base();
  void fill_42_notes();
  void fill_percussion();
  void mode42_Click();
  void Option32_Click();
  void Midi_channel_Click(int index);
  void option32N_Click();
  void form2_Valider_Click();
  // After a scale or channel box changed: the "Rafraichir" prompt. append: append the message
  // (after a mode42 change), else replace the service messages.
  void reload_prompt(bool append);

  // ---------------------------------------------------------------- note extraction
  std::string chemin_midi;
  bool recharger_fichier = false;
  std::int64_t duree_action_totale = 0;
  int code_erreur_midi = 0;
  std::string message_erreur_midi;
  score::NoteList Liste1;
  void Ouvre_midi_Click();
  // The message of the failure that stopped the last command, empty when none did.
  std::string last_failure;
  void traite_midi_Click();
  void form8_Valider_Click();
  // The separation and alignment passes on Liste1.
  void separation_pass();
  void alignment_pass();

  // ---------------------------------------------------------------- card image
  std::vector<std::string> Liste_tran;  // the records of the card image
  std::int32_t nb_macro_evenements = 0;
  std::int32_t taille_requise = 0;
  double duree_prog_estimee = 0;
  std::int32_t evenements_par_seconde = 0;
  bool mode_demo = false;
  bool option32_avant_demo = false;
  bool mode42_avant_demo = false;
  void cree_fichier_carte();
  void Prog_demo_Click();

  // ---------------------------------------------------------------- preview, transposition
  // "Aperçu de la carte": the menu entry (Ctrl+P), the button beside `programmer`, the window.
  MenuEntry Apercu{"Apercu", "Aperçu de la carte", "Montre la carte telle que l'orgue la jouera"};
  Button Apercu_carte{"Apercu_carte", "Aperçu", "Montre la carte avant de l'écrire"};
  Window Apercu_window{"Apercu_window", "Aperçu de la carte"};
  // Semitones added to every kept note before the scale maps it (-24 to +24).
  TextBox Transposition{"Transposition", "0", "Transposition en demi-tons (-24 à +24)"};
  Button Meilleure_transposition{"Meilleure_transposition", "Meilleure transposition",
                                 "Choisit la transposition qui garde le plus de notes"};
  // The notes of the last extraction that no output plays, and the kept notes by key.
  std::vector<score::DroppedNote> notes_hors_gamme;
  std::optional<score::KeyCounts> cles_extraites;
  // The card image came from a card (piece copy) rather than from the MIDI file.
  bool image_from_card() const {
    return state.image.present && state.image.source == ImageSource::card_copy;
  }
  // Called after the card image was rebuilt, read back, or turned stale.
  std::vector<std::function<void()>> image_observers;
  void notify_image();
  // The current card image as the preview draws it.
  score::CardPreview card_preview() const;
  // The value of the Transposition box; a RunFailure when it is not a whole number from -24
  // to +24.
  int transposition_value() const;
  bool percussion_scale() const;
  void Apercu_Click();
  void Transposition_Change();
  void Meilleure_transposition_Click();

  // ---------------------------------------------------------------- MIDI export
  std::int32_t nb_octets_ecrits = 0;
  void Sauve_midi_Click();

  // ---------------------------------------------------------------- listening to the card
  // "Écouter" plays the card image as the board will (the button beside `programmer` and the
  // entry of "Fichier"); pressed again ("Arrêter") it stops. `Son` is the organ sound, kept in
  // the settings (key "son": its General MIDI program).
  Button Ecouter{"Ecouter", "Écouter", "Joue l'image de la carte comme le lecteur la jouera"};
  MenuEntry Ecoute_carte{"Ecoute_carte", "Écouter la carte"};
  ComboBox Son{"Son", organ_sound_names(), "Son de l'écoute"};
  // The sound output, given by the platform; none: listening is refused with a message.
  CardPlayer* card_player = nullptr;
  bool ecoute_en_cours = false;
  // Where the piece being heard is, in ticks of the card; nothing once it no longer plays.
  std::function<void(std::optional<std::int64_t>)> on_play_position;
  void Ecouter_Click();
  void stop_listening();
  // A card operation runs: listening is refused meanwhile.
  bool card_operation_running() const;
  // The General MIDI program of `Son`.
  int son_program() const;
  void save_son_setting();
  void read_son_setting();
  // The seconds of a tick of the card image (0 when the boxes do not give one).
  double listening_tick_seconds() const;

  // ---------------------------------------------------------------- the link
  std::unique_ptr<board::Link> link;
  void init_port();
  void connexion_on();
  void connexion_off();
  void port_Change();
  void Label2_Click();  // the port scan
  // Start-up's port step: open the saved port, or scan when it does not open.
  void start_link();
  // Device notifications from the platform: a serial port appeared (its `port` text), a
  // device went away (its port text; empty when unknown).
  void device_arrival(const std::string& port_text);
  void device_removal(const std::string& port_text);
  // The port text the link is open on.
  std::string open_port_name;
  // Changes of `port` open the link only once start-up has reached its port step (the saved
  // port number is put into the box earlier, while the settings are read).
  bool link_follows_port = false;

  // ---------------------------------------------------------------- card operations
  std::array<std::string, 5> titres{"     ", "     ", "     ", "     ", "     "};
  std::string titre_lu_A, titre_lu_B;
  int lignes_par_bloc = 14;
  bool programming_running = false;
  // Quitting while a card operation runs: ask_quit asks first (No by default). It returns true
  // when the program may quit now; on Yes during an operation it asks the exchange to stop,
  // sets quit_pending and returns false: quit once board_operation_running() is false.
  bool board_operation_running() const;
  bool ask_quit();
  bool quit_pending = false;
  void lit_version();
  void Infos_carte_Click();
  void lit_titres();
  void programmer_Click();
  void envoie_titre();
  void Copier_carte_Click();
  void Effacer_carte_Click();
  void Tester_carte_Click();

  // ---------------------------------------------------------------- board configuration
  // The board's parameters as last read or sent, and the dialogs of the configuration.
  board::ParamsLus params_lus;
  board::Form5 form5;
  board::Form6 form6;
  // "Paramètres": places Form9, checks the version, reads the parameters, shows the dialog.
  void fenetre_params_Click();
  void lecture_params();
  // The acknowledged parameter commands.
  void efface_table_F9();
  void tachydef_F9();
  void tachy2_F9();
  void tachy4_F9();
  void efface_table_instrus_F9();
  void active_nf_F9();
  void desactive_nf_F9();
  void cde_relais_midi_F9();
  void cde_relais_seuls_F9();
  void cde_mute_relais_RF_F9();
  void cde_midi_seul_F9();
  void cde_mute_midi_RF_F9();
  void cde_mute_relais_midi_RF_F9();
  void sortie_midi_D9_F9();
  void sortie_midi_TX_F9();
  // The commands with data. Each returns false when nothing reached the board: a value or a
  // file refused (said in a message box), or a board that fell silent.
  bool prog_div(const std::string& diviseur);
  bool ordre_sorties_29_32_F9(const std::string& path);
  bool ordre_sorties_42_F9(const std::string& path);
  bool table_instruments_F9(const std::string& path);
  void Aucun_instrument_F9();
  void init_params_click();
  // The parameter dialog: its file question (the chosen path, empty when cancelled) and its
  // handlers.
  std::string nom_fich_params(const std::string& extension);
  void Form9_Check5_Click();
  void Form9_Check6_Click();
  void Form9_Text1_Change();
  void Form9_Combo1_Click();
  void Form9_Combo2_Click();
  void Form9_Valider_Click();
  void Form9_KeyDown(int key, bool alt, bool shift, bool ctrl);
  void Form9_Unload();
  // The odometer and the EEPROM utility.
  void Lect_odometre_click();
  void Modif_odometre_click();
  void read_EEPROM();
  void write_EEPROM();
  // The firmware upload through avrdude, at the bootloader's baud rate ("115200", "57600").
  void prog_atmega(const std::string& baud);
  bool upload_running = false;
  // Ties the configuration's menu entries and dialog controls to their handlers.
  void wire_board_config();

  // ---------------------------------------------------------------- the window state
  // Asked before programming an image made from a MIDI file that could not be read whole.
  static constexpr const char* kMsgIncompleteQuestion =
      "Ce morceau vient d'un fichier midi incomplet ou corrompu : seules les notes lues avant "
      "l'erreur seront programmées. Programmer quand même ?";
  // What the program is doing, the card image and its freshness, copy mode and the link. The
  // enables and the caption of `programmer` come from it (derive_enables), never the reverse.
  WindowState state;
  // Puts on the controls what the state decides; runs after every change of the state and
  // whenever an input of the image changes.
  void apply_state();
  // The inputs of the card image as the boxes hold them now.
  ImageInputs image_inputs() const;
  // The image in Liste_tran was made from other inputs than the boxes now hold.
  bool card_image_stale() const { return state.stale(image_inputs()); }
  // Liste_tran now holds the image made from the boxes as they are (no image when it holds no
  // record). programmable: the builder's rule.
  void card_image_made(ImageSource source, bool programmable);
  // There is no card image any more (a failed road leaves none behind).
  void card_image_dropped();

 private:
  std::vector<std::unique_ptr<CheckBox>> midi_channel_;
  std::vector<std::unique_ptr<Label>> num_canal_;
  void wire_controls();
  void wire_listening();
  void show_listening(bool on);
  bool reading_son_ = false;
  void wire_state();
  bool applying_state_ = false;
  bool notified_stale_ = false;           // what the image observers were last told of the image
  std::vector<std::string> last_inputs_;  // what the input boxes held when last looked at
};

}  // namespace solmir
