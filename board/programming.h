// Card programming: the card image in memory written into slot A, slot B or the demo area of
// the card in the reader board, then its title.
//
// The exchange, each answer awaited within the silence limit of the link:
//   slot A or B   "PRACP" / "PRBCP" -> the card information block; then "NUuLL" (cancel) or
//                 "PRgCP" (go on);
//   demo area     "PRDCP", then "PRgCP" at once, nothing read first;
//   transfer      the format signature line ("VELoR" 27/29 notes and the demo, "VELor" 32,
//                 "VELOR" 42) -> "A"; the record count in five digits -> "A"; the data lines,
//                 K records each (14 of 5 bytes, 10 of 7 bytes, 1 for the demo: 70 or 5 bytes),
//                 the last padded with copies of the last record, each -> "A" (the last one
//                 too: the title waits until the board has written the last block);
//   title         "TitrA" / "TitrB" -> "A"; title characters 1-5 -> "A"; characters 6-10 and,
//                 when the extra notes are validated, their three bytes (no answer).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace solmir {
class Form1;
}

namespace solmir::board {

inline constexpr const char* kMsgDemoQuestion =
    "Voulez-vous vraiment reprogrammer la démo intégrée ?\r\n";
inline constexpr const char* kMsgAbandoned = "Opération abandonnée";
// + "(" + the card size in bytes + " octets)" + CR LF
inline constexpr const char* kMsgCardTooSmall = "Taille carte insuffisante";
inline constexpr const char* kMsgAAndBThere =
    "Attention les morceau A et B sont déjà programmés\r\n"
    "                       Ils seront effacés !";
inline constexpr const char* kMsgAThere =
    "Attention le morceau A est déjà programmés\r\n"
    "                    Il sera effacé";
inline constexpr const char* kMsgNoPieceA =
    "       Le morceau A est absent\r\n"
    "La programmation de B est impossible";
// + "(" + the room left + " octets)" + CR LF
inline constexpr const char* kMsgNoRoomB = "Espace mémoire disponible insuffisant";
inline constexpr const char* kMsgBThere =
    "Attention le morceau B est déjà programmé\r\n"
    "                    Il sera effacé";
inline constexpr const char* kMsgProgrammingDemo = "Programmation démo en cours";
inline constexpr const char* kMsgProgramming = "Programmation en cours. Ne pas retirer la carte";
inline constexpr const char* kMsgProgrammed = "Programmation terminée";
inline constexpr const char* kMsgNothingToProgram = "Aucun enregistrement à programmer";
inline constexpr const char* kMsgBadRecord =
    "L'image de la carte ne correspond pas au format choisi (enregistrement ";
inline constexpr const char* kMsgBadExtraNote = "Numéro de note supplémentaire non valide : ";

// How long the last title line (which has no answer) is given to leave the port before
// anything else may be sent: 9 bytes take 1.6 ms at 57600 baud, a USB adapter adds a few.
inline constexpr int kTitleLeaveMs = 20;

enum class ProgramOutcome {
  programmed,  // the piece and its title were written
  reloaded,    // the caption read "Rafraichir": the MIDI file was opened again instead
  busy,        // a transfer is already running
  cancelled,   // the user answered No, or the card or the image does not allow it
  no_card,     // "Carte muette ou absente"
  failed,      // the board fell silent or the link went away
};

// The click on `programmer`, with its outcome.
ProgramOutcome program_card(Form1& f);

// The data lines of a card image: K records per line, the last line padded with copies of
// the last record. Nothing for no record.
std::vector<std::string> data_lines(const std::vector<std::string>& record_bytes, int k);

// The three extra-note bytes from note30..note32 (numbers from 0 to 255); nothing, with the
// box's text in `bad`, when a box holds something else.
std::optional<std::string> extra_note_bytes(const Form1& f, std::string& bad);

}  // namespace solmir::board
