// The window's sound output: the card played live through FluidSynth's audio drivers, its
// position and its end brought back to the window's thread. The drivers tried are PulseAudio
// (also served by PipeWire) then ALSA, or those listed in SOLMIR_AUDIO_DRIVER ("alsa,jack");
// the sound font is found as the command line finds it (SOLMIR_SOUNDFONT, then Debian's).
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>

#include "app/card_player.h"

namespace solmir::audio {
class LivePlayer;
}

namespace solmir::ui {

class QtCardPlayer : public QObject, public CardPlayer {
  Q_OBJECT
 public:
  explicit QtCardPlayer(QObject* parent = nullptr);
  ~QtCardPlayer() override;

  void play(const score::CardSound& sound, int program,
            std::function<void(std::int64_t tick)> on_position,
            std::function<void(const std::string& failure)> on_finished) override;
  void stop() override;

 private:
  std::unique_ptr<audio::LivePlayer> player_;
  std::uint64_t generation_ = 0;  // callbacks of an earlier play are dropped
};

}  // namespace solmir::ui
