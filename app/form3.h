// The About box.
#pragma once

#include <string>

#include "app/controls.h"

namespace solmir {

inline constexpr const char* kVersion = "7.0";
inline constexpr const char* kProjectUrl = "https://github.com/solmir-orgue/solmir";

struct Form3 {
  Window window{"Form3", "À propos de Solmir"};
  Label Label1{"Label1", "Logiciel de programmation d'une carte à puces pour orgue de barbarie"};
  Label Label2{"Label2", std::string("Version ") + kVersion};
  Label Label3{"Label3", "Auteur : l'équipe Solmir"};
  Label Label4{"Label4", kProjectUrl};  // the link label: opens the project's web page
};

}  // namespace solmir
