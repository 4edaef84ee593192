// A user command that talks to the board runs its exchange through run_board_operation, so
// that a board that falls silent (or a link that goes away) never leaves the command waiting
// or the window half disabled.
#pragma once

#include <functional>

namespace solmir {
class Form1;
}

namespace solmir::board {

// Runs body. When a wait of the link gives up (BoardSilent): appends "La carte arduino ne
// répond pas" to the service messages, gives the card buttons, the board menus and the scale
// boxes back the enabled state they had before body ran (unless the link itself went away,
// which leaves them as connexion_off set them), stops Timer1, puts the receive handler back
// into one-character mode, restores the normal pointer, and returns false.
// Nested calls (an exchange run from inside another command) let the failure go on to the
// outer one, which handles it once.
bool run_board_operation(Form1& f, const std::function<void()>& body);

}  // namespace solmir::board
