// Piece copy between cards. Its first half reads piece A or B back from the card in the
// reader board and makes it the card image in memory (records, count, size, title, scale and
// time estimate); the second half is ordinary programming into the slot the user then chooses.
//
// The exchange, each answer acknowledged by a lone LF:
//   "CPyCP" (piece A) / "CPYCP" (piece B) -> size digit ("0": no card), format letter ("C"
//   27/29 notes, "D" 32, "E" 42; another letter: no piece), the record count N (5
//   characters), then N + 2 texts of 5 characters (7 for a 42-note piece): two the program
//   does not use, then the N records; then four title chunks of 5 characters.
// The title is chunks 2 and 3, or for a 42-note piece chunk 2 from its third character on,
// then chunks 3 and 4 (13 characters).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/card_work.h"
#include "board/link.h"

namespace solmir {
class Form1;
}

namespace solmir::board {

inline constexpr const char* kMsgNoPieceToCopy = "Le morceau à copier n'existe pas\r\n";
inline constexpr const char* kMsgReading = "Lecture morceau ";  // + "A" + " en cours"
inline constexpr const char* kMsgInsertTarget = "Insérer la carte cible dans le lecteur";
inline constexpr const char* kMsgChooseTarget =
    "Sélectionner l'emplacement cible et cliquer Programmer";

enum class ReadOutcome {
  read,       // the piece is now the card image in memory
  no_card,    // "Carte muette ou absente"
  no_piece,   // "Le morceau à copier n'existe pas"
  cancelled,  // the user cancelled at "Insérer la carte cible dans le lecteur"
  failed,     // the board fell silent or the link went away
};

// A piece read back from the card.
struct PieceRead {
  ReadOutcome outcome = ReadOutcome::failed;
  char letter = 'C';                 // "C" 27/29 notes, "D" 32, "E" 42
  std::vector<std::string> records;  // texts of binary digits, as the card image holds them
  std::int64_t count = 0;
  std::string title;  // Latin-1
  double duree = 0;   // the estimated time in seconds
  std::int32_t per_second = 0;
  bool notes42() const { return letter == 'E'; }
};

// The read-back exchange of piece A or B. Progress: work_started() once the word has gone,
// progress_start(N + 2) and progress(pass), the seconds left; status "Lecture morceau A en
// cours". No card and no piece are told through `prompts`. Throws BoardFailure.
PieceRead read_piece(Link& link, bool slot_a, WorkPrompts& prompts);

// Reads the piece chosen by choixa / choixb back into the card image, as the first half of the
// copy does, without its closing prompts. Nothing of the image in memory changes unless the
// whole piece was read; a run that finds no card or no piece gives the card buttons, the
// title and the file label back as they were.
ReadOutcome read_piece_back(Form1& f);

// The first half of the copy as the "Copier" button runs it: read_piece_back, then, when the
// piece was read, "Insérer la carte cible dans le lecteur" (OK / Annuler): on OK copy mode
// (Form1::mode_copie) and `programmer` ready for the second half; on Annuler the copy ends
// and the card buttons come back (the piece read stays the card image).
ReadOutcome copy_piece(Form1& f);

}  // namespace solmir::board
