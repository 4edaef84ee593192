#include "audio/synth.h"

#include <fluidsynth.h>

#include <mutex>

#include "audio/audio_failure.h"

namespace solmir::audio {

namespace {
// FluidSynth's own messages would go to the terminal; its failures are told in French here.
void quiet_fluidsynth() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
      fluid_set_log_function(level, nullptr, nullptr);
  });
}
}  // namespace

void check_program(int program) {
  if (program < 0 || program > 127) throw AudioFailure(kMsgBadProgram + std::to_string(program));
}

Synth::Synth(const std::filesystem::path& sound_font, double sample_rate) : Synth(sample_rate) {
  load_sound_font(sound_font);
}

Synth::Synth(double sample_rate) : sample_rate_(sample_rate) {
  quiet_fluidsynth();
  settings_ = new_fluid_settings();
  if (!settings_) throw AudioFailure(kMsgNoSynth);
  fluid_settings_setnum(settings_, "synth.sample-rate", sample_rate);
  fluid_settings_setint(settings_, "synth.reverb.active", 0);
  fluid_settings_setint(settings_, "synth.chorus.active", 0);
  fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
  fluid_settings_setint(settings_, "synth.lock-memory", 0);
  synth_ = new_fluid_synth(settings_);
  if (!synth_) {
    delete_fluid_settings(settings_);
    throw AudioFailure(kMsgNoSynth);
  }
}

void Synth::load_sound_font(const std::filesystem::path& sound_font) {
  if (fluid_synth_sfload(synth_, sound_font.string().c_str(), 1) == FLUID_FAILED)
    throw AudioFailure(kMsgBadSoundFont + sound_font.string());
}

Synth::~Synth() {
  delete_fluid_synth(synth_);
  delete_fluid_settings(settings_);
}

void Synth::reset(int program) {
  check_program(program);
  fluid_synth_system_reset(synth_);
  fluid_synth_program_change(synth_, score::kMelodyChannel, program);
}

void Synth::apply(const score::SoundEvent& e) {
  if (e.on)
    fluid_synth_noteon(synth_, e.channel, e.note, score::kVelocity);
  else
    fluid_synth_noteoff(synth_, e.channel, e.note);
}

void Synth::all_notes_off() {
  for (int c : {score::kMelodyChannel, score::kDrumChannel}) fluid_synth_all_notes_off(synth_, c);
}

}  // namespace solmir::audio
