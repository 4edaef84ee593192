// The pre-processing dialog "Pré-traitements...": the thresholds of the separation and
// alignment passes.
#pragma once

#include "app/controls.h"

namespace solmir::score {

struct Form8 {
  Window window{"Form8", "Pré-traitements midi"};
  Label Label1{"Label1", "Écartement entre notes successives"};
  Label Label2{"Label2", "Réalignement des débuts de notes"};
  Label Label3{"Label3",
               "Une unité = 1/240 s =  0.25 mm de carton                La valeur 0 supprime le "
               "traitement correspondant"};
  TextBox Text1{"Text1", "0"};
  TextBox Text2{"Text2", "0"};
  Button Valider{"Valider", "Valider"};
};

}  // namespace solmir::score
