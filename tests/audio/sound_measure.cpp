#include "tests/audio/sound_measure.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace solmir::test {

namespace {
std::uint32_t le(const std::string& s, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}
}  // namespace

Wav read_wav(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Wav w;
  if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return w;
  std::size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::string id = b.substr(at, 4);
    const std::uint32_t len = le(b, at + 4, 4);
    if (id == "fmt ") {
      if (le(b, at + 8, 2) != 1 || le(b, at + 22, 2) != 16) return {};
      w.channels = static_cast<int>(le(b, at + 10, 2));
      w.sample_rate = static_cast<int>(le(b, at + 12, 4));
    } else if (id == "data") {
      const std::size_t n = std::min<std::size_t>(len, b.size() - at - 8) / 2;
      w.samples.resize(n);
      for (std::size_t i = 0; i < n; ++i)
        w.samples[i] = static_cast<std::int16_t>(le(b, at + 8 + 2 * i, 2));
      return w;
    }
    at += 8 + len + (len & 1);
  }
  return {};
}

std::vector<double> envelope_ms(const std::vector<std::int16_t>& samples, int channels,
                                int sample_rate) {
  const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
  std::vector<double> env;
  // Millisecond f holds the samples from f x rate / 1000 on (44.1 at 44100 Hz).
  for (std::size_t f = 0;; ++f) {
    const std::size_t a = f * static_cast<std::size_t>(sample_rate) / 1000;
    const std::size_t b = (f + 1) * static_cast<std::size_t>(sample_rate) / 1000;
    if (b > frames) break;
    double sum = 0;
    for (std::size_t i = a * channels; i < b * channels; ++i)
      sum += double(samples[i]) * double(samples[i]);
    env.push_back(std::sqrt(sum / double((b - a) * channels)));
  }
  return env;
}

std::vector<double> onsets(const std::vector<std::int16_t>& samples, int channels, int sample_rate,
                           double threshold) {
  const std::vector<double> env = envelope_ms(samples, channels, sample_rate);
  std::vector<double> found;
  std::size_t quiet = 0;  // milliseconds below the threshold just before
  for (std::size_t t = 0; t < env.size(); ++t) {
    if (env[t] < threshold) {
      ++quiet;
      continue;
    }
    if (quiet >= 30) {
      // The first sample of the rise that stands out of the dither (a sample or two).
      const std::size_t to = (t + 1) * static_cast<std::size_t>(sample_rate) / 1000;
      const std::size_t from = (t - 29) * static_cast<std::size_t>(sample_rate) / 1000;
      std::size_t first = to;
      for (std::size_t i = to; i-- > from;) {
        bool loud = false;
        for (int c = 0; c < channels; ++c)
          loud = loud || std::abs(samples[i * channels + static_cast<std::size_t>(c)]) >= 8;
        if (loud) first = i;
        // Walk back through the rise until 2 ms pass without a sample standing out.
        if (!loud && first - i > static_cast<std::size_t>(sample_rate) / 500) break;
      }
      found.push_back(static_cast<double>(first) / sample_rate);
    }
    quiet = 0;
  }
  return found;
}

double loudest(const std::vector<double>& env, double from, double to) {
  const auto a = static_cast<std::size_t>(std::max(0.0, from * 1000));
  const auto b = std::min(env.size(), static_cast<std::size_t>(std::max(0.0, to * 1000)));
  double m = 0;
  for (std::size_t i = a; i < b; ++i) m = std::max(m, env[i]);
  return m;
}

}  // namespace solmir::test
