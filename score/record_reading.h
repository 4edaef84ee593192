// Reading the card image back as the reader board plays it: each record waits its delay, then
// sets the outputs; what changes from one record to the next is a note starting or ending.
// The MIDI export and the sound of the card both read the records through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "score/record_format.h"

namespace solmir::score {

// True when line is a record of the layout: its width, and only '0' and '1' digits.
bool is_record(std::string_view line, RecordLayout layout);

struct RecordWalk {
  std::int64_t end_tick = 0;      // the time of the last record, from the start of the piece
  std::size_t skipped_lines = 0;  // lines that are not records of the layout
};

// Walks the records in order. Every output whose state differs from the previous record (all
// outputs off before the first) gives change(line, tick, output, on), tick being the sum of the
// delays up to and including that record (a start pattern or a filler reads as an ordinary
// delay); within a record the highest output comes first. A line that is not a record of the
// layout is skipped: it adds no delay and does not change the outputs. after_line(line) runs
// after each line, skipped or not.
using OutputChange = std::function<void(std::size_t line, std::int64_t tick, int output, bool on)>;
RecordWalk walk_records(const std::vector<std::string>& records, RecordLayout layout,
                        const OutputChange& change,
                        const std::function<void(std::size_t)>& after_line = {});

}  // namespace solmir::score
