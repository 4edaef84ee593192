// A FluidSynth synthesizer with a General MIDI sound font loaded, dry (no reverb, no chorus),
// that plays the note events of a card's sound.
#pragma once

#include <filesystem>
#include <memory>

#include "score/card_sound.h"

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace solmir::audio {

class Synth {
 public:
  // Loads the sound font (only the samples of the programs used are read). Throws
  // AudioFailure when the synthesizer cannot start or the sound font cannot be read.
  Synth(const std::filesystem::path& sound_font, double sample_rate);
  // A synthesizer without a sound font yet (loading one takes seconds: a player does it on its
  // own thread). Throws AudioFailure when it cannot start.
  explicit Synth(double sample_rate);
  void load_sound_font(const std::filesystem::path& sound_font);
  ~Synth();
  Synth(const Synth&) = delete;
  Synth& operator=(const Synth&) = delete;

  // Silence, every controller reset, and `program` (0 to 127) on the melody channel.
  void reset(int program);
  void apply(const score::SoundEvent& e);
  void all_notes_off();
  double sample_rate() const { return sample_rate_; }

  _fluid_hashtable_t* settings() const { return settings_; }
  _fluid_synth_t* synth() const { return synth_; }

 private:
  _fluid_hashtable_t* settings_ = nullptr;
  _fluid_synth_t* synth_ = nullptr;
  double sample_rate_;
};

// Throws AudioFailure unless program is 0 to 127.
void check_program(int program);

}  // namespace solmir::audio
