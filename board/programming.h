// Card programming: a card image written into slot A, slot B or the demo area of the card in
// the reader board, then the title of the slot.
//
// The exchange, each answer awaited within the limit of the link:
//   slot A or B   "PRACP" / "PRBCP" -> the card information block; then "NUuLL" (cancel) or
//                 "PRgCP" (go on);
//   demo area     "PRDCP", then "PRgCP" at once, nothing read first;
//   transfer      the format signature line ("VELoR" 27/29 notes and the demo, "VELor" 32,
//                 "VELOR" 42) -> "A"; the record count in five digits -> "A"; the data lines,
//                 K records each (14 of 5 bytes, 10 of 7 bytes, 1 for the demo: 70 or 5 bytes),
//                 the last padded with copies of the last record, each -> "A" (the last one
//                 too: the title waits until the board has written the last block);
//   title         "TitrA" / "TitrB" -> "A"; title characters 1-5 -> "A"; characters 6-10 and,
//                 when the extra notes are validated, their three bytes (no answer). The demo
//                 has no title of its own: the titles of A and B stay as they are.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/card_info.h"
#include "board/link.h"
#include "board/prompts.h"
#include "score/record_format.h"

namespace solmir::board {

inline constexpr const char* kMsgDemoQuestion =
    "Voulez-vous vraiment reprogrammer la démo intégrée ?\r\n";
inline constexpr const char* kMsgAbandoned = "Opération abandonnée";
// + "(" + the card size in bytes + " octets)" + CR LF
inline constexpr const char* kMsgCardTooSmall = "Taille carte insuffisante";
inline constexpr const char* kMsgAAndBThere =
    "Attention les morceaux A et B sont déjà programmés\r\n"
    "                       Ils seront effacés !";
inline constexpr const char* kMsgAThere =
    "Attention le morceau A est déjà programmé\r\n"
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
inline constexpr const char* kMsgQuitDuringOperation =
    "Une opération carte est en cours : l'interrompre laisse la carte incomplète.\r\n"
    "Quitter quand même ?";
// + "A", "B" or "démo": a transfer that began and did not end.
inline constexpr const char* kMsgIncompletePiece = "Morceau incomplet sur la carte : ";
inline constexpr const char* kMsgNothingToProgram = "Aucun enregistrement à programmer";
inline constexpr const char* kMsgBadRecord =
    "L'image de la carte ne correspond pas au format choisi (enregistrement ";
inline constexpr const char* kMsgBadExtraNote = "Numéro de note supplémentaire non valide : ";
// + the record count and the size; the board keeps the count on five digits and the largest
// card (size digit 9) holds 524288 bytes.
inline constexpr const char* kMsgPieceTooBig = "Morceau trop grand pour une carte :";
inline constexpr std::int64_t kMaxRecords = 99999;
inline constexpr std::int64_t kLargestCard = 524288;

// How long the last title line (which has no answer) is given to leave the port before
// anything else may be sent: 9 bytes take 1.6 ms at 57600 baud, a USB adapter adds a few.
inline constexpr int kTitleLeaveMs = 20;

enum class ProgramOutcome {
  programmed,  // the piece and its title were written
  reloaded,    // (window) the caption read "Rafraichir": the MIDI file was opened again
  busy,        // (window) a transfer is already running
  cancelled,   // the user answered No, the card does not allow it, or the image is not one
               // of the format (nothing sent; then `message` says why)
  too_big,     // no card can hold the image (nothing sent; `message` says why)
  no_card,     // "Carte muette ou absente"
  failed,      // (window) the board fell silent, the link went away or the user stopped it
};

// What to write.
struct ProgramRequest {
  std::vector<std::string> records;  // the card image: one text of binary digits per record
  score::RecordLayout layout = score::RecordLayout::notes29;
  bool demo = false;                       // into the demo area (no title)
  bool slot_a = true;                      // else slot B
  std::int64_t image_size = 0;             // taille_requise: the image's bytes on the card
  std::string title;                       // Latin-1, cut or padded to 10 characters
  std::optional<std::string> extra_notes;  // the three note bytes after the title
};

struct ProgramResult {
  ProgramOutcome outcome = ProgramOutcome::cancelled;
  std::string message;  // an image not sent: why, in French
  // What the information block said (slot A or B only).
  CardInfoBlock block;
  std::array<std::string, 5> titres;
  int lines_per_block = 0;  // K
};

// Checks the image, then runs the exchange above. Questions and the "Taille carte
// insuffisante" family of messages go to `prompts`, with the progress of the transfer (one
// step per record). A refused image sends nothing. Throws BoardFailure when the board falls
// silent, the link goes away (at any point, the last title line included) or the user stops
// the exchange: the piece on the card is then incomplete.
ProgramResult program_piece(Link& link, const ProgramRequest& request, Prompts& prompts);

// Writes the title of slot A or B (TitrA / TitrB exchange). Throws BoardFailure.
void send_title(Link& link, bool slot_a, const std::string& title,
                const std::optional<std::string>& extra_notes);

// The image's record texts as bytes for the wire; nothing, with the 0-based index of the
// first bad record in `bad`, when a record is not of the layout's length or holds another
// digit than 0 and 1.
std::optional<std::vector<std::string>> records_to_bytes(const std::vector<std::string>& records,
                                                         score::RecordLayout layout,
                                                         std::size_t& bad);

// Why an image of n records and `size` bytes cannot go onto any card: the count field holds
// five digits, the largest card 524288 bytes. Nothing when it can.
std::optional<std::string> piece_too_big(std::int64_t n, std::int64_t size);

// The data lines of a card image: K records per line, the last line padded with copies of
// the last record. Nothing for no record.
std::vector<std::string> data_lines(const std::vector<std::string>& record_bytes, int k);

// The three extra-note bytes from the texts of note30..note32 (numbers from 0 to 255);
// nothing, with the offending text in `bad`, when one holds something else.
std::optional<std::string> extra_note_bytes(const std::array<std::string, 3>& texts,
                                            std::string& bad);

}  // namespace solmir::board
