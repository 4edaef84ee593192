// The reader board's own parameters: what was last read from the board or sent to it, the
// messages of the parameter commands, and the table files (output order tables "sor", MIDI
// instrument tables "txt") read into the bytes the board takes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/inpout.h"

namespace solmir::board {

// The parameters as last read from the board or last sent to it. The dialog sends only the
// groups whose controls differ from these.
struct ParamsLus {
  int tous_fronts_1 = 0;
  int tous_fronts_2 = 0;
  std::string periode;  // "", "1" or the period n
  std::string ordre_sorties;
  std::string instruments;
  int note_filler = 0;
  int relais = 0;
  int midi = 0;
  int mute_rf = 0;
  std::string sortie_midi;
};

// "nom : valeur" lines, one per field, in the order above.
std::vector<std::string> render_params(const ParamsLus& p);

// Messages of the parameter commands.
inline constexpr const char* kMsgEffaceTable = "Effacement de la table d'ordre des sorties";
inline constexpr const char* kMsgCapteur = "Programmation du capteur de vitesse";
inline constexpr const char* kMsgInstrusDefaut = "Table d'instruments midi par défaut";
inline constexpr const char* kMsgNfOn = "Activation note filler midi 42 notes";
inline constexpr const char* kMsgNfOff = "Désactivation note filler 42 notes";
inline constexpr const char* kMsgRelaisMidi = "Commande relais et midi";
inline constexpr const char* kMsgRelaisSeuls = "Commande des relais seuls";
inline constexpr const char* kMsgMuteRelais = "Mute relais en RF";
inline constexpr const char* kMsgMidiSeul = "Commandes midi seulement";
inline constexpr const char* kMsgMuteMidi = "Mute midi en RF";
inline constexpr const char* kMsgMuteRelaisMidi = "Mute relais et midi en RF";
inline constexpr const char* kMsgSortieD9 = "Sortie midi en D9";
inline constexpr const char* kMsgSortieTX = "Sortie midi sur TX";
inline constexpr const char* kMsgTable2932 = "Chargement table d'ordre des sorties 29-32";
inline constexpr const char* kMsgTable4245 = "Chargement table d'ordre des sorties 42-45";
inline constexpr const char* kMsgInstrusPerso = "Table personnalisée d'instruments midi chargée";
inline constexpr const char* kMsgAucunInstru = "Aucun instrument midi prédéfini";
inline constexpr const char* kMsgReinit = "Paramètres de l'Atmega réinitialisés";
inline constexpr const char* kMsgAucuneModif = "Aucune modification apportée";

inline constexpr const char* kBoxTable2932 = "Fichier de table 29-32 notes non compatible";
inline constexpr const char* kBoxTable4245 = "Fichier de table 42-45 notes non compatible";
inline constexpr const char* kBoxInstrus = "Fichier d'instruments midi non compatible";
inline constexpr const char* kBoxDiviseur =
    "Le diviseur du capteur de vitesse doit être un nombre entier de 1 à 255 : ";
inline constexpr const char* kBoxCapteur = "Définir une configuration du capteur de vitesse\r\n";
inline constexpr const char* kBoxCommandes = "Définir les commandes émises\r\n";
inline constexpr const char* kBoxPeriode =
    "La période n doit être un nombre entier de 1 à 256 : rien n'est envoyé pour le capteur "
    "de vitesse\r\n";
inline constexpr const char* kAskReinit =
    "Attention !\r\n"
    "- Tous les paramètres seront réinitialisés à leurs valeurs par défaut\r\n"
    "- Les différentes tables seront effacées (ordre des sorties, instruments midi ...)\r\n"
    "- Et la sortie midi revient en D9";

// The file question of the parameter dialog.
inline constexpr const char* kTitleParamsFile = "Fichier de paramètres";

// An output order table file read into the bytes of the board's table: 35 bytes for a 29-32
// file (outputs 0-31, then 255, 255, 255), 50 for a 42-45 file (outputs 0-47, then 0, 0). Each
// note number becomes its rank in table_notes (rang_note). Nothing when the file cannot be
// read as such: too few lines, or a note line that is not a whole number.
std::optional<std::vector<std::uint8_t>> read_order_table_29_32(const std::filesystem::path& file,
                                                                const NoteTable& table_notes);
std::optional<std::vector<std::uint8_t>> read_order_table_42_45(const std::filesystem::path& file,
                                                                const NoteTable& table_notes);

// An instrument table file: at most 20 lines, lines 4-13 the ten instruments 0-255. Nothing
// when the file has more than 20 lines, fewer than 13, or an instrument that is not a whole
// number from 0 to 255.
std::optional<std::vector<std::uint8_t>> read_instrument_table(const std::filesystem::path& file);

// The lines of a text file without their line ends (LF or CR LF); a last line end does not
// start another line. Nothing when the file cannot be opened.
// Nothing for a file that cannot be read, is not a regular file or is larger than
// kTableFileLimit.
inline constexpr std::uintmax_t kTableFileLimit = 64 * 1024;
std::optional<std::vector<std::string>> read_text_lines(const std::filesystem::path& file);

// A whole number written in decimal, blanks around it allowed ("60", " -1 "); nothing for
// anything else ("", "6O", "60.5") or a number beyond 32 bits.
std::optional<std::int64_t> parse_whole_number(std::string_view text);

}  // namespace solmir::board
