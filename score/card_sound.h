// The sound of a card image: the note-on and note-off events the reader board makes while it
// plays the records, each output sounding the MIDI note it drives, at the card's own timing.
// Pure: the players and the WAV renderer turn these events into sound.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/inpout.h"
#include "score/record_format.h"

namespace solmir::score {

inline constexpr int kMelodyChannel = 0;  // MIDI channel 1
inline constexpr int kDrumChannel = 9;    // MIDI channel 10, the General MIDI drums
inline constexpr int kVelocity = 100;

struct SoundEvent {
  std::int64_t tick = 0;  // from the start of the piece
  int channel = kMelodyChannel;
  int note = 0;
  bool on = false;
  bool operator==(const SoundEvent&) const = default;
};

struct CardSound {
  std::vector<SoundEvent> events;  // in time order; every note-on has its note-off
  std::int64_t end_tick = 0;       // the end of the piece: the last record, and any last note
  double tick_seconds = 1.0 / 240.0;
  std::size_t skipped_lines = 0;  // lines that are not records of the layout
  double seconds(std::int64_t tick) const { return static_cast<double>(tick) * tick_seconds; }
  double duration() const { return seconds(end_tick); }
};

// The seconds of one tick: the time the cardboard takes to move by one step (mm) at the
// speed (mm/s). Nothing unless both are positive numbers.
std::optional<double> tick_seconds(double vitesse, double pas_ech);

// A note left sounding by the last record rings for this long before the piece ends.
inline constexpr double kLastNoteSeconds = 1.0;

// The events of the records read in the layout and mapped through table (an entry that is
// not a MIDI note 1 to 127 sounds nothing). percussion: every output plays its drum note on
// the drum channel. Two outputs on the same note keep it sounding until both are off. The
// initial delay, fillers and records that change nothing are silence, or hold what sounds.
CardSound card_sound(const std::vector<std::string>& records, RecordLayout layout,
                     const NoteTable& table, bool percussion, double tick_seconds);

// The General MIDI programs (0 to 127) that suit an organ, offered as the "Son" choice.
struct OrganSound {
  int program;
  const char* name;
};
inline constexpr std::array<OrganSound, 5> kOrganSounds = {{
    {20, "Orgue à anches"},
    {82, "Calliope"},
    {21, "Accordéon"},
    {19, "Orgue d'église"},
    {16, "Orgue à tirettes"},
}};

}  // namespace solmir::score
