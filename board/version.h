// The board firmware's version letter and the program's own version.
#pragma once

#include <string>

namespace solmir::board {

inline constexpr const char* kProgramVersion = "7.0";
inline constexpr const char* kMsgVersionMismatch =
    "! Les versions Solmir et arduino sont différentes !";
inline constexpr const char* kCaptionForm9 = "Paramétrage de la carte arduino (v ";

// The version text of a letter "a" ... "n" ("n" is "7.0"); "inconnue" for any other.
std::string version_text(char letter);

}  // namespace solmir::board
