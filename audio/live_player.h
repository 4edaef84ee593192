// Plays the sound of a card through FluidSynth's own audio drivers (PulseAudio, which PipeWire
// also serves, then ALSA), on a thread of its own, telling where it is in ticks.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "score/card_sound.h"

struct _fluid_audio_driver_t;

namespace solmir::audio {

class Synth;

class LivePlayer {
 public:
  // Both run on the player's thread and must not call stop(): post them to your own thread.
  struct Callbacks {
    std::function<void(std::int64_t tick)> position;  // about 20 times a second
    // At the end of the piece, or when it could not go on (failure: the French message).
    // Not called after stop().
    std::function<void(const std::string& failure)> finished;
  };

  // drivers: FluidSynth's audio drivers to try, in order; settings: more settings of the
  // synthesizer as text ("audio.file.name" for the "file" driver, for instance).
  explicit LivePlayer(std::vector<std::string> drivers = default_drivers(),
                      std::map<std::string, std::string> settings = {});
  static std::vector<std::string> default_drivers() { return {"pulseaudio", "alsa"}; }
  ~LivePlayer();  // stops
  LivePlayer(const LivePlayer&) = delete;
  LivePlayer& operator=(const LivePlayer&) = delete;

  // Stops what plays, opens the sound output and starts the piece; the sound font is loaded
  // on the player's thread, so this returns at once. Throws AudioFailure when there is no
  // sound output or the program is not 0 to 127.
  void play(score::CardSound sound, int program, const std::filesystem::path& sound_font,
            Callbacks callbacks);
  // Stops at once and closes the sound output. Returns when the thread has ended.
  void stop();
  bool playing() const { return running_; }

 private:
  void run(score::CardSound sound, int program, std::filesystem::path sound_font);
  void close();

  std::vector<std::string> drivers_;
  std::map<std::string, std::string> settings_;
  std::unique_ptr<Synth> synth_;
  _fluid_audio_driver_t* driver_ = nullptr;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_requested_ = false;
  std::atomic<bool> running_{false};
  Callbacks callbacks_;
};

}  // namespace solmir::audio
