// What the command line asks of the terminal it runs in (terminal_platform.cpp).
#pragma once

namespace solmir::cli {

// Whether standard error is a terminal (a progress bar is drawn there, else progress lines).
bool stderr_is_terminal();

}  // namespace solmir::cli
