#include "audio/sound_font.h"

#include <cstdlib>
#include <system_error>

#include "audio/audio_failure.h"

namespace solmir::audio {

namespace {
bool is_file(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}
}  // namespace

std::vector<std::filesystem::path> sound_font_places() {
  const std::filesystem::path sf2 = "/usr/share/sounds/sf2";
  return {sf2 / "FluidR3_GM.sf2", sf2 / "default-GM.sf2", sf2 / "TimGM6mb.sf2"};
}

std::filesystem::path find_sound_font(const std::string& asked) {
  std::string chosen = asked;
  if (chosen.empty()) {
    if (const char* env = std::getenv(kSoundFontVariable)) chosen = env;
  }
  if (!chosen.empty()) {
    const std::filesystem::path p = std::filesystem::u8path(chosen);
    if (!is_file(p)) throw AudioFailure(kMsgSoundFontMissing + chosen);
    return p;
  }
  for (const auto& p : sound_font_places())
    if (is_file(p)) return p;
  throw AudioFailure(kMsgNoSoundFont);
}

}  // namespace solmir::audio
