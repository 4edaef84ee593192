// The sound of a card written to a WAV file (16-bit stereo PCM), rendered offline: no sound
// device is needed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "audio/synth.h"
#include "score/card_sound.h"

namespace solmir::audio {

inline constexpr double kSampleRate = 44100;
// The sound goes on after the end of the piece, for the last notes to die away.
inline constexpr double kTailSeconds = 1.5;

// The samples, left and right interleaved. Each event takes effect at its own sample (to
// within the synthesizer's block of 64 samples).
std::vector<std::int16_t> render_samples(Synth& synth, const score::CardSound& sound, int program,
                                         double tail_seconds = kTailSeconds);

// Writes samples (stereo, interleaved) as a WAV file, through a sibling temporary file so that
// a failed write leaves any file already there as it was. Throws AudioFailure.
void write_wav(const std::filesystem::path& path, const std::vector<std::int16_t>& samples,
               int sample_rate);

// Both steps with a synthesizer of its own.
void render_wav(const score::CardSound& sound, int program, const std::filesystem::path& sound_font,
                const std::filesystem::path& out);

}  // namespace solmir::audio
