// The MIDI road of the command line: the preparation options are taken from the command's
// arguments, then the pure road runs only as far as the command needs, its service messages
// on standard error.
#pragma once

#include <optional>
#include <string>

#include "cli/cli.h"
#include "score/card_image.h"
#include "score/dropped_notes.h"
#include "score/road.h"

namespace solmir::cli {

struct RoadRun {
  score::NotesRead read;
  score::NoteList Liste1;  // after the passes
  // The notes of the kept channels that no output of the scale plays.
  std::vector<score::DroppedNote> dropped;
  // With the image: the records, their layout and note table, the summary.
  std::optional<score::Records> image;
  score::RecordLayout layout = score::RecordLayout::notes29;
  NoteTable table{};
  score::CardImageSummary summary;
  bool incomplete() const { return read.listing.incomplete(); }
};

enum class RoadEnd { notes, image };

// Reads path and runs the road to `end`. A failure (file unreadable or not MIDI, a box that is
// not a number, no note) is told on standard error and thrown as a CliError; a file that
// cannot be read whole gives what was read (finish_road tells it).
RoadRun run_road(const Args& a, const std::string& path, RoadEnd end);

// Tells a file read only in part on standard error; the exit status of the command.
int finish_road(const RoadRun& r);

// "Image de la carte : N enregistrements, ..." on standard error.
void print_image_summary(const RoadRun& r);

}  // namespace solmir::cli
