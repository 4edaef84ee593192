// The card image builder: the note event list becomes the records the reader board plays
// (see score/record_format.h), with the size the piece needs on a card, the programming time
// estimate, the service message and the log summary.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/inpout.h"
#include "score/note_list.h"
#include "score/record_format.h"

namespace solmir::score {

// The records of a note event list, in one pass over it. Every instant (a time at which
// events happen) gives one record: the delay since the previous instant (initial_delay ticks
// for the first), then the outputs after all of the instant's events. An output is on while
// at least one of the notes mapped to it (table entries equal to the note; 0 is no note)
// sounds. A delay too long for one field is preceded by filler records that carry the
// previous outputs (all off before the first record). With start_pattern, the first record's
// delay field is the start pattern; when the initial delay does not fit one field, the
// pattern goes on an extra first record with every output off and the rest of the delay
// follows, so that the piece keeps its initial silence.
// A piece that needs more than the largest card (524288 bytes) is not built: the builder stops
// there (too_long, no record kept), so that its memory stays bounded whatever the delays.
struct Records {
  std::vector<std::string> Liste_tran;
  std::int32_t nb_macro_evenements = 0;  // filler records included
  bool too_long = false;
};
inline constexpr std::int32_t kLargestCardBytes = 524288;
// The most records a piece of this layout may have: 10 bytes of a piece are not records.
constexpr std::int32_t max_card_records(RecordLayout l) {
  return (kLargestCardBytes - 10) / record_bytes(l);
}
inline constexpr const char* kMsgImageTooLong =
    "Morceau trop long : il faut plus de 524288 octets, la taille de la plus grande carte";
Records build_records(const NoteList& Liste1, const NoteTable& table, RecordLayout layout,
                      std::int64_t initial_delay, bool start_pattern,
                      const std::function<void(std::size_t)>& progress = {});

// What the builder does with the `programmer` button.
enum class ProgrammerRule {
  unchanged,
  enable,   // enabled, and a "Rafraichir" caption becomes "Programmer" again
  disable,  // the demo piece is too long
};

inline constexpr std::int32_t kDemoMaxRecords = 178;

struct CardImageSummary {
  std::int32_t taille_requise = 0;
  double duree_prog_estimee = 0;  // seconds
  std::int32_t evenements_par_seconde = 0;
  std::string message;  // the service message
  ProgrammerRule programmer = ProgrammerRule::unchanged;
  std::vector<std::string> log;  // the lines of the log block
};

struct CardImageOptions {
  RecordLayout layout = RecordLayout::notes29;
  bool demo = false;
  bool marks = false;
  bool loop = false;
  bool link_open = false;
  std::int64_t duree_action_totale = 0;  // ticks
};

CardImageSummary summarize_card_image(std::int32_t nb_macro_evenements, const CardImageOptions& o);

// The initial delay in ticks: millimetres of cardboard divided by the millimetres per tick,
// fraction dropped. Nothing when the step is 0 or the result is negative or too long for the
// counters of a card image.
std::optional<std::int64_t> initial_delay_ticks(double millimetres, double pas_ech);

inline constexpr const char* kMsgBuildingImage = "Création du fichier carte";

}  // namespace solmir::score
