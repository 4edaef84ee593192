// Measures on rendered sound: its energy envelope, the onsets of its notes and its silences.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace solmir::test {

struct Wav {
  int sample_rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // interleaved
};

// Reads a 16-bit PCM WAV file; an empty Wav when it is not one.
Wav read_wav(const std::filesystem::path& path);

// The root mean square of the samples (all channels) in frames of 1 ms.
std::vector<double> envelope_ms(const std::vector<std::int16_t>& samples, int channels,
                                int sample_rate);

// The onsets, in seconds: a millisecond of at least `threshold` after at least 30 ms below it.
// The onset is put at the first sample of that rise that stands out of the dither.
std::vector<double> onsets(const std::vector<std::int16_t>& samples, int channels, int sample_rate,
                           double threshold);

// The loudest frame between two times, in seconds.
double loudest(const std::vector<double>& envelope, double from, double to);

}  // namespace solmir::test
