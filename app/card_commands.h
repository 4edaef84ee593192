// The card commands of the main window: they read its controls, run the board's exchange
// (board/card_info.h, board/programming.h) and show its result.
#pragma once

#include "board/programming.h"

namespace solmir {

class Form1;

// The click on `programmer`, with its outcome.
board::ProgramOutcome program_card(Form1& f);

}  // namespace solmir
