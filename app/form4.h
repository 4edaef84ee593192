// The card information window "Infos sur la carte".
#pragma once

#include <string>
#include <vector>

#include "app/controls.h"

namespace solmir::board {

struct Form4 {
  Window window{"Form4", "Infos sur la carte"};
  Label Label1{"Label1", "Taille de la carte :"};
  Label carte{"carte", "0"};
  Label Label4{"Label4", "octets"};
  Label Label2{"Label2", "A :"};
  Label Label242{"Label242", "A(42) :"};
  Label mA{"mA", "0"};
  Label Label5{"Label5", "octets"};
  Label titredeA{"titredeA", ""};
  Label Label3{"Label3", "B :"};
  Label Label342{"Label342", "B(42) :"};
  Label mB{"mB", "0"};
  Label Label6{"Label6", "octets"};
  Label titredeB{"titredeB", ""};
  Label Label7{"Label7", ""};
  Label Label9{"Label9", "Espace disponible : "};
  Label Label11{"Label11", "0"};
  Label Label10{"Label10", "octets"};
  Label Label8{"Label8", "* Adresse fixe : 16384  "};
  Label Label12{"Label12", "La carte est complète"};

  Form4() {
    window.set_visible(false);
    Label242.set_visible(false);
    Label342.set_visible(false);
  }
};

// Form4 as text lines, the lines of the window that are shown: the card size, the A line,
// the B line, the free space, the fixed-address note and "La carte est complète".
std::vector<std::string> render_form4(const Form4& f);

}  // namespace solmir::board
