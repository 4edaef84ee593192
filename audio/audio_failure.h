// The failures of sound: no sound font, no sound output, a sound file that cannot be written.
// Each carries the French message the user is shown.
#pragma once

#include <string>

#include "base/failure.h"

namespace solmir::audio {

class AudioFailure : public RunFailure {
 public:
  explicit AudioFailure(const std::string& message) : RunFailure(message) {}
};

inline constexpr const char* kMsgNoSoundFont =
    "Aucune banque de sons General MIDI (.sf2) trouvée : installer le paquet fluid-soundfont-gm, "
    "ou indiquer le fichier par la variable SOLMIR_SOUNDFONT";
inline constexpr const char* kMsgSoundFontMissing = "Banque de sons introuvable : ";
inline constexpr const char* kMsgBadSoundFont = "Banque de sons illisible : ";
inline constexpr const char* kMsgNoSoundOutput =
    "Aucune sortie son disponible (PulseAudio, PipeWire ou ALSA) : écoute impossible";
inline constexpr const char* kMsgNoSynth = "Le synthétiseur FluidSynth n'a pas pu démarrer";
inline constexpr const char* kMsgWavNotWritten = "Impossible d'écrire le fichier son : ";
inline constexpr const char* kMsgSoundTooLong =
    "Le son de la carte est trop long pour un fichier WAV (plus de 6 heures)";
inline constexpr const char* kMsgBadProgram =
    "Le programme General MIDI doit être un nombre de 0 à 127 : ";

}  // namespace solmir::audio
