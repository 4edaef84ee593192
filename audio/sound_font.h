// Where the General MIDI sound font is: the file asked for, else the one named by the
// environment variable SOLMIR_SOUNDFONT, else the Debian packages' files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace solmir::audio {

inline constexpr const char* kSoundFontVariable = "SOLMIR_SOUNDFONT";

// The places looked at when nothing is asked for, in order.
std::vector<std::filesystem::path> sound_font_places();

// asked: a path given by the user (empty: none). Throws AudioFailure when the file asked for
// does not exist, or when no sound font is found.
std::filesystem::path find_sound_font(const std::string& asked = {});

}  // namespace solmir::audio
