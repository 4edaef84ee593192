// The reader board's parameter dialog. Its caption carries the board's firmware version once
// the version check has run.
#pragma once

#include "app/controls.h"

namespace solmir::board {

struct Form9 {
  Window window{"Form9", "Paramétrage carte arduino"};

  Form9() { window.set_visible(false); }
};

}  // namespace solmir::board
