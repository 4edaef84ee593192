// The two optional passes over the note event list before the card image is built:
// separation (a repeated note gets a silence before it is struck again, so that the pipe
// speaks twice) and alignment (notes that start almost together start together).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "score/note_list.h"

namespace solmir::score {

// Both passes take the note event list in its sorted order and return it sorted.
struct PassResult {
  NoteList Liste1;  // sorted; the lines carry no trailing blank
  std::int64_t count = 0;
};

// Where the same note is struck again at most S ticks after its release, the release comes
// earlier: by S - gap ticks when the note before the release lasted more than S ticks (S ticks
// of silence remain), else by 1 tick. A release never comes at or before its own note-on: a
// note of 1 tick keeps its length and is not counted. Gaps are taken from the times as read.
// progress(position) follows the walk.
PassResult separate_notes(NoteList Liste1, double S,
                          const std::function<void(std::size_t)>& progress = {});

// Note-ons that follow one another at most A ticks apart (neighbour to neighbour) form a chain
// and all start at the time of its first; every note-on of a chain but the first is counted,
// moved or not. Note-offs keep their times (a moved note gets longer).
PassResult align_notes(NoteList Liste1, double A,
                       const std::function<void(std::size_t)>& progress = {});

// The service message and the log lines of each pass. threshold_text: the text of the box.
std::string separation_message(const std::string& threshold_text);
std::vector<std::string> separation_log(double S, std::int64_t count);
std::string alignment_message(const std::string& threshold_text);
std::vector<std::string> alignment_log(double A, std::int64_t count);

}  // namespace solmir::score
