#include "score/preview.h"

#include "midi/listing.h"

namespace solmir::score {

std::vector<PreviewRow> preview_rows(RecordLayout layout, const NoteTable& table, bool percussion) {
  std::vector<PreviewRow> rows;
  const int width = output_count(layout);
  rows.reserve(static_cast<std::size_t>(width));
  for (int k = 0; k < width; ++k) {
    const int note = table[static_cast<std::size_t>(k)];
    std::string label = "-";
    if (note >= 1 && note <= 127) label = percussion ? std::to_string(note) : midi::note_name(note);
    rows.push_back({k, note, std::move(label)});
  }
  return rows;
}

namespace {
bool is_record(const std::string& line, RecordLayout layout) {
  if (line.size() != static_cast<std::size_t>(record_digits(layout))) return false;
  for (char c : line)
    if (c != '0' && c != '1') return false;
  return true;
}
}  // namespace

CardPreview preview_card(const std::vector<std::string>& records, RecordLayout layout,
                         const NoteTable& table, bool percussion, const PreviewTiming& timing,
                         std::optional<bool> with_pattern) {
  CardPreview p;
  p.layout = layout;
  p.timing = timing;
  p.rows = preview_rows(layout, table, percussion);
  const int width = output_count(layout);
  const auto field = static_cast<std::size_t>(delay_digits(layout));
  const std::string filler_field = encode_delay(filler_delay(layout), layout);

  std::vector<std::int64_t> on_since(static_cast<std::size_t>(width), -1);
  std::string previous(static_cast<std::size_t>(width), '0');
  std::int64_t time = 0;
  bool first = true, seen_start = false;
  for (const std::string& line : records) {
    if (!is_record(line, layout)) {
      ++p.skipped_lines;
      continue;
    }
    const std::string_view delay_field = std::string_view(line).substr(0, field);
    const std::string_view state = std::string_view(line).substr(field);
    const std::int64_t delay = decode_delay(delay_field, layout);
    time += delay;
    if (first) {
      p.start_pattern = with_pattern.value_or(delay_field == start_pattern(layout));
      p.loop_start = time;
    }
    const bool filler = !first && delay_field == filler_field && state == previous;
    p.records.push_back({time, delay, filler});
    // The silence before the piece ends at its first record; a silent start-pattern record
    // followed by fillers only marks the card ahead of a long initial delay.
    const bool silent = state.find('1') == std::string_view::npos;
    if (!seen_start && !filler && !(first && p.start_pattern && silent)) {
      p.initial_delay = time;
      seen_start = true;
    }
    for (int k = 0; k < width; ++k) {
      const bool on = state[static_cast<std::size_t>(width - 1 - k)] == '1';
      std::int64_t& since = on_since[static_cast<std::size_t>(k)];
      if (on && since < 0) {
        since = time;
      } else if (!on && since >= 0) {
        p.spans.push_back({k, since, time});
        since = -1;
      }
    }
    previous.assign(state);
    first = false;
  }
  p.length = time;
  if (!seen_start) p.initial_delay = p.records.empty() ? 0 : p.records.front().time;
  for (int k = 0; k < width; ++k) {
    const std::int64_t since = on_since[static_cast<std::size_t>(k)];
    if (since >= 0 && since < time) p.spans.push_back({k, since, time});
  }
  return p;
}

}  // namespace solmir::score
