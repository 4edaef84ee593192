// The card commands of the main window: they read its controls, run the board's exchange
// (board/card_info.h, board/programming.h) and show its result.
#pragma once

#include "board/card_work.h"
#include "board/programming.h"

namespace solmir {

class Form1;
namespace board {
struct Form4;
}

// Form4 as the card information shows it (all reset when no card is present).
void fill_form4(board::Form4& f, const board::CardInfo& info);

// The click on `programmer`, with its outcome.
board::ProgramOutcome program_card(Form1& f);

// The click on "Effacer" (board::kErase) or "Tester" (board::kTest), with its outcome.
board::WorkOutcome run_card_work(Form1& f, const board::WorkSpec& w);

}  // namespace solmir
