// The extra-notes dialog "Notes optionnelles...": the three extra notes of the scale and the
// marks and looping options.
#pragma once

#include "app/controls.h"

namespace solmir::score {

struct Form2 {
  Window window{"Form2", "Notes supplémentaires en 32 notes"};
  Label Frame1{"Frame1", "Numéros midi des notes"};
  Label Label1{"Label1", "Note 30"};
  Label Label2{"Label2", "Note 31"};
  Label Label3{"Label3", "Note 32"};
  TextBox Text1{"Text1", "0"};
  TextBox Text2{"Text2", "0"};
  TextBox Text3{"Text3", "0"};
  CheckBox Check1{"Check1", "Marque"};
  CheckBox Check2{"Check2", "Bouclage"};
  Button Valider{"Valider", "Valider"};
};

}  // namespace solmir::score
