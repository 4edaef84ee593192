// What the window plays the card image through. The platform gives one (FluidSynth through its
// own audio drivers); without one, listening is refused with a message.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "score/card_sound.h"

namespace solmir {

class CardPlayer {
 public:
  virtual ~CardPlayer() = default;
  // Starts playing the sound from its beginning, without waiting for it. Throws RunFailure
  // with the French message when no sound can go out. Both callbacks come on the thread of
  // the window's event loop; on_finished (failure: the French message, empty at the end of
  // the piece) is not called after stop().
  virtual void play(const score::CardSound& sound, int program,
                    std::function<void(std::int64_t tick)> on_position,
                    std::function<void(const std::string& failure)> on_finished) = 0;
  // Stops at once.
  virtual void stop() = 0;
};

}  // namespace solmir
