// The odometer dialog "Odomètre": the number of speed sensor pulses the board counts for 5 cm
// of cardboard, read when the dialog opens and changed by "Modifier".
#pragma once

#include "app/controls.h"

namespace solmir::board {

struct Form5 {
  Window window{"Form5", "Odomètre"};
  Label Label1{"Label1", "Nombre d'impulsions pour 5 cm de carton"};
  TextBox Text1{"Text1", "Text1"};
  Button Command1{"Command1", "Modifier"};

  Form5() { window.set_visible(false); }
};

}  // namespace solmir::board
