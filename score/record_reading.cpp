#include "score/record_reading.h"

#include <algorithm>

namespace solmir::score {

bool is_record(std::string_view line, RecordLayout layout) {
  return line.size() == static_cast<std::size_t>(record_digits(layout)) &&
         std::all_of(line.begin(), line.end(), [](char c) { return c == '0' || c == '1'; });
}

RecordWalk walk_records(const std::vector<std::string>& records, RecordLayout layout,
                        const OutputChange& change,
                        const std::function<void(std::size_t)>& after_line) {
  RecordWalk w;
  const std::size_t delay_width = static_cast<std::size_t>(delay_digits(layout));
  const int outputs = output_count(layout);
  std::string previous(static_cast<std::size_t>(outputs), '0');
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& line = records[i];
    if (!is_record(line, layout)) {
      ++w.skipped_lines;
      if (after_line) after_line(i);
      continue;
    }
    w.end_tick += decode_delay(line, layout);
    for (int j = 0; j < outputs; ++j) {
      const char digit = line[delay_width + static_cast<std::size_t>(j)];
      if (digit == previous[static_cast<std::size_t>(j)]) continue;
      if (change) change(i, w.end_tick, outputs - 1 - j, digit == '1');
    }
    previous.assign(line, delay_width, std::string::npos);
    if (after_line) after_line(i);
  }
  return w;
}

}  // namespace solmir::score
