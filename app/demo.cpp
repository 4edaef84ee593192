// "Démo intégrée (29 notes)": the next piece is prepared as the card's demo piece.
#include "app/form1.h"

namespace solmir {

void Form1::Prog_demo_Click() {
  option32_avant_demo = Option32.value();
  mode42_avant_demo = mode42.value();
  mode_demo = true;
  Option32.set_value(false);
  mode42.set_value(false);
  append_message("Sélectionner un fichier midi pour la démo intégrée");
  // The demo mode is an input of the image: an image made before is stale now.
  apply_state();
}

}  // namespace solmir
