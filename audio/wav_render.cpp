#include "audio/wav_render.h"

#include <fluidsynth.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <system_error>

#include "audio/audio_failure.h"

namespace solmir::audio {

namespace {

void put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
void put32(std::string& s, std::uint32_t v) {
  put16(s, static_cast<std::uint16_t>(v & 0xFFFF));
  put16(s, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

namespace {

// The WAV header of `frames` stereo 16-bit frames.
std::string wav_header(std::uint64_t frames, int sample_rate) {
  const auto data_bytes = static_cast<std::uint32_t>(frames * 4);
  std::string h;
  h += "RIFF";
  put32(h, 36 + data_bytes);
  h += "WAVEfmt ";
  put32(h, 16);
  put16(h, 1);  // PCM
  put16(h, 2);  // stereo
  put32(h, static_cast<std::uint32_t>(sample_rate));
  put32(h, static_cast<std::uint32_t>(sample_rate) * 4);
  put16(h, 4);
  put16(h, 16);
  h += "data";
  put32(h, data_bytes);
  return h;
}

// The longest sound a WAV file holds: its sizes are 32-bit.
constexpr std::uint64_t kMaxWavFrames = (0xFFFFFFFFull - 36) / 4;

std::int64_t frames_of(double seconds, double rate) {
  return static_cast<std::int64_t>(std::llround(seconds * rate));
}

// Renders the sound block after block; sink(samples, frames) gets each, interleaved.
void render_blocks(Synth& synth, const score::CardSound& sound, int program, double tail_seconds,
                   const std::function<void(const std::int16_t*, std::size_t)>& sink) {
  synth.reset(program);
  const double rate = synth.sample_rate();
  const std::int64_t total = frames_of(sound.duration() + tail_seconds, rate);
  constexpr std::int64_t kBlock = 4096;
  std::vector<std::int16_t> block(static_cast<std::size_t>(kBlock) * 2);
  std::int64_t done = 0;
  auto render_to = [&](std::int64_t frame) {
    frame = std::min(frame, total);
    while (done < frame) {
      const int n = static_cast<int>(std::min(frame - done, kBlock));
      fluid_synth_write_s16(synth.synth(), n, block.data(), 0, 2, block.data(), 1, 2);
      sink(block.data(), static_cast<std::size_t>(n));
      done += n;
    }
  };
  for (const score::SoundEvent& e : sound.events) {
    render_to(frames_of(sound.seconds(e.tick), rate));
    synth.apply(e);
  }
  synth.all_notes_off();
  render_to(total);
}

// Writes through a sibling temporary file, so that a failed write leaves any file already
// there as it was.
void write_through_part(const std::filesystem::path& path,
                        const std::function<bool(std::ofstream&)>& write) {
  std::filesystem::path part = path;
  part += ".part";
  std::error_code ec;
  {
    std::ofstream f(part, std::ios::binary | std::ios::trunc);
    const bool written = f && write(f);
    if (f) f.close();
    if (!written || !f) {
      std::filesystem::remove(part, ec);
      throw AudioFailure(kMsgWavNotWritten + path.string());
    }
  }
  std::filesystem::rename(part, path, ec);
  if (ec) {
    std::filesystem::remove(part, ec);
    throw AudioFailure(kMsgWavNotWritten + path.string());
  }
}

void append_le(std::string& out, const std::int16_t* samples, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) put16(out, static_cast<std::uint16_t>(samples[i]));
}

}  // namespace

std::vector<std::int16_t> render_samples(Synth& synth, const score::CardSound& sound, int program,
                                         double tail_seconds) {
  std::vector<std::int16_t> out;
  render_blocks(
      synth, sound, program, tail_seconds,
      [&](const std::int16_t* s, std::size_t frames) { out.insert(out.end(), s, s + 2 * frames); });
  return out;
}

void write_wav(const std::filesystem::path& path, const std::vector<std::int16_t>& samples,
               int sample_rate) {
  write_through_part(path, [&](std::ofstream& f) {
    std::string bytes = wav_header(samples.size() / 2, sample_rate);
    append_le(bytes, samples.data(), samples.size());
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
  });
}

void render_wav(const score::CardSound& sound, int program, const std::filesystem::path& sound_font,
                const std::filesystem::path& out) {
  check_program(program);
  const std::int64_t frames = frames_of(sound.duration() + kTailSeconds, kSampleRate);
  if (frames < 0 || static_cast<std::uint64_t>(frames) > kMaxWavFrames)
    throw AudioFailure(kMsgSoundTooLong);
  Synth synth(sound_font, kSampleRate);
  // Block after block into the file: a long piece never sits whole in memory.
  write_through_part(out, [&](std::ofstream& f) {
    const std::string h =
        wav_header(static_cast<std::uint64_t>(frames), static_cast<int>(kSampleRate));
    f.write(h.data(), static_cast<std::streamsize>(h.size()));
    std::string bytes;
    render_blocks(synth, sound, program, kTailSeconds, [&](const std::int16_t* s, std::size_t n) {
      bytes.clear();
      append_le(bytes, s, 2 * n);
      f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    return static_cast<bool>(f);
  });
}

}  // namespace solmir::audio
