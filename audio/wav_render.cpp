#include "audio/wav_render.h"

#include <fluidsynth.h>

#include <cmath>
#include <fstream>
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

std::vector<std::int16_t> render_samples(Synth& synth, const score::CardSound& sound, int program,
                                         double tail_seconds) {
  synth.reset(program);
  const double rate = synth.sample_rate();
  auto frame_of = [&](double seconds) {
    return static_cast<std::int64_t>(std::llround(seconds * rate));
  };
  const std::int64_t total = frame_of(sound.duration() + tail_seconds);
  std::vector<std::int16_t> out(static_cast<std::size_t>(total) * 2);
  std::int64_t done = 0;
  auto render_to = [&](std::int64_t frame) {
    frame = std::min(frame, total);
    while (done < frame) {
      const int n = static_cast<int>(std::min<std::int64_t>(frame - done, 4096));
      std::int16_t* at = out.data() + done * 2;
      fluid_synth_write_s16(synth.synth(), n, at, 0, 2, at, 1, 2);
      done += n;
    }
  };
  for (const score::SoundEvent& e : sound.events) {
    render_to(frame_of(sound.seconds(e.tick)));
    synth.apply(e);
  }
  synth.all_notes_off();
  render_to(total);
  return out;
}

void write_wav(const std::filesystem::path& path, const std::vector<std::int16_t>& samples,
               int sample_rate) {
  const std::uint32_t data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
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
  std::string body(samples.size() * 2, '\0');
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto v = static_cast<std::uint16_t>(samples[i]);
    body[2 * i] = static_cast<char>(v & 0xFF);
    body[2 * i + 1] = static_cast<char>(v >> 8);
  }

  std::filesystem::path part = path;
  part += ".part";
  std::error_code ec;
  {
    std::ofstream f(part, std::ios::binary | std::ios::trunc);
    if (f) {
      f.write(h.data(), static_cast<std::streamsize>(h.size()));
      f.write(body.data(), static_cast<std::streamsize>(body.size()));
      f.close();
    }
    if (!f) {
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

void render_wav(const score::CardSound& sound, int program, const std::filesystem::path& sound_font,
                const std::filesystem::path& out) {
  check_program(program);
  Synth synth(sound_font, kSampleRate);
  write_wav(out, render_samples(synth, sound, program), static_cast<int>(kSampleRate));
}

}  // namespace solmir::audio
