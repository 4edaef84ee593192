// The EEPROM utility "Utilitaire EEPROM": reads the byte at an address of the board's EEPROM
// and writes a byte back. The board writes to the address of the read before, so the dialog is
// used as read, then write.
#pragma once

#include "app/controls.h"

namespace solmir::board {

struct Form6 {
  Window window{"Form6", "Utilitaire EEPROM"};
  Label Label1{"Label1", "Adresse "};
  TextBox adress{"adress", "77"};
  Label Label2{"Label2", "Valeur"};
  TextBox value{"value", ""};
  Button Command1{"Command1", "Read"};
  Button Command3{"Command3", "Write"};
  // A button without any action: not shown.
  Button Command2{"Command2", "Command2"};

  Form6() {
    window.set_visible(false);
    Command2.set_visible(false);
  }
};

}  // namespace solmir::board
