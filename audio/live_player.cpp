#include "audio/live_player.h"

#include <fluidsynth.h>

#include <chrono>

#include "audio/audio_failure.h"
#include "audio/synth.h"

namespace solmir::audio {

namespace {
constexpr double kLiveSampleRate = 44100;
constexpr auto kPositionEvery = std::chrono::milliseconds(50);
}  // namespace

LivePlayer::LivePlayer(std::vector<std::string> drivers,
                       std::map<std::string, std::string> settings)
    : drivers_(std::move(drivers)), settings_(std::move(settings)) {}

LivePlayer::~LivePlayer() {
  stop();
}

void LivePlayer::play(score::CardSound sound, int program, const std::filesystem::path& sound_font,
                      Callbacks callbacks) {
  stop();
  check_program(program);
  auto synth = std::make_unique<Synth>(kLiveSampleRate);
  fluid_audio_driver_t* driver = nullptr;
  for (const auto& [key, value] : settings_)
    fluid_settings_setstr(synth->settings(), key.c_str(), value.c_str());
  for (const std::string& name : drivers_) {
    if (fluid_settings_setstr(synth->settings(), "audio.driver", name.c_str()) != FLUID_OK)
      continue;
    driver = new_fluid_audio_driver(synth->settings(), synth->synth());
    if (driver) break;
  }
  if (!driver) throw AudioFailure(kMsgNoSoundOutput);
  synth_ = std::move(synth);
  driver_ = driver;
  callbacks_ = std::move(callbacks);
  stop_requested_ = false;
  running_ = true;
  thread_ = std::thread(&LivePlayer::run, this, std::move(sound), program, sound_font);
}

void LivePlayer::run(score::CardSound sound, int program, std::filesystem::path sound_font) {
  using clock = std::chrono::steady_clock;
  std::string failure;
  try {
    synth_->load_sound_font(sound_font);
    synth_->reset(program);
    const clock::time_point start = clock::now();
    auto at = [&](std::int64_t tick) {
      return start + std::chrono::duration_cast<clock::duration>(
                         std::chrono::duration<double>(sound.seconds(tick)));
    };
    auto tick_now = [&] {
      const double s = std::chrono::duration<double>(clock::now() - start).count();
      return static_cast<std::int64_t>(s / sound.tick_seconds);
    };
    std::size_t next = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_requested_) {
      while (next < sound.events.size() && at(sound.events[next].tick) <= clock::now())
        synth_->apply(sound.events[next++]);
      const std::int64_t now = std::min(tick_now(), sound.end_tick);
      if (callbacks_.position) callbacks_.position(now);
      if (next >= sound.events.size() && now >= sound.end_tick) break;
      clock::time_point wake = clock::now() + kPositionEvery;
      if (next < sound.events.size()) wake = std::min(wake, at(sound.events[next].tick));
      wake_.wait_until(lock, wake, [this] { return stop_requested_; });
    }
    synth_->all_notes_off();
    if (stop_requested_) {
      running_ = false;
      return;
    }
  } catch (const std::exception& e) {
    failure = e.what();
  }
  running_ = false;
  if (callbacks_.finished) callbacks_.finished(failure);
}

void LivePlayer::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_requested_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  close();
}

void LivePlayer::close() {
  if (driver_) delete_fluid_audio_driver(driver_);
  driver_ = nullptr;
  synth_.reset();
  running_ = false;
}

}  // namespace solmir::audio
