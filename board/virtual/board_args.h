// The virtual board's options on a command line, shared by solmir-carte-virtuelle,
// `solmir-cli ... --port virtual` and `solmir --carte-virtuelle`.
#pragma once

#include <string>
#include <vector>

#include "board/virtual/virtual_board.h"

namespace solmir::board::virt {

// The options, for help texts.
extern const char* const kBoardOptionsUsage;
// The options that take no value.
const std::vector<std::string>& board_flags();

// Takes the board options out of args ("--option value" or "--option=value"), leaving the
// others in order. Pieces go on the card as A, then B, then the demo. Throws
// std::invalid_argument with a French message for a bad value.
BoardOptions take_board_options(std::vector<std::string>& args);

}  // namespace solmir::board::virt
