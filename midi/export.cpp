#include "midi/export.h"

#include <algorithm>

namespace solmir::midi {

namespace {

constexpr const char* kHex = "0123456789ABCDEF";
// The longest delta one variable-length quantity holds (four bytes).
constexpr std::uint64_t kMaxDelta = 0x0FFFFFFF;

std::string hex_pair(unsigned v) {
  return {kHex[(v >> 4) & 0xF], kHex[v & 0xF]};
}

bool is_record(const std::string& line, score::RecordLayout layout) {
  return line.size() == static_cast<std::size_t>(score::record_digits(layout)) &&
         std::all_of(line.begin(), line.end(), [](char c) { return c == '0' || c == '1'; });
}

}  // namespace

void write_string(std::string& file, std::string_view text, std::int32_t& nb_octets_ecrits) {
  for (std::size_t i = 0; i < text.size(); i += 3) {
    file += static_cast<char>(hex_vers_octet(text.substr(i, 2)));
    ++nb_octets_ecrits;
  }
}

void write_string_nb_oct(std::string& file, std::string_view text) {
  std::size_t at = 18;
  for (std::size_t i = 0; i < text.size(); i += 3, ++at) {
    const char byte = static_cast<char>(hex_vers_octet(text.substr(i, 2)));
    if (at < file.size()) {
      file[at] = byte;
    } else {
      file.resize(at, '\0');
      file += byte;
    }
  }
}

std::string delta_text(std::uint32_t ticks) {
  ticks = std::min<std::uint32_t>(ticks, kMaxDelta);
  std::string s = hex_pair(ticks & 0x7F);
  for (ticks >>= 7; ticks != 0; ticks >>= 7) s.insert(0, hex_pair(0x80 | (ticks & 0x7F)) + " ");
  return s;
}

MidiExport card_image_to_midi(const std::vector<std::string>& records, score::RecordLayout layout,
                              const NoteTable& table,
                              const std::function<void(std::size_t)>& after_line) {
  MidiExport x;
  std::string& f = x.bytes;
  std::int32_t& n = x.nb_octets_ecrits;
  f.reserve(64 + records.size() * 8);
  write_string(f, "4D 54 68 64 00 00 00 06 00 01 00 01", n);
  write_string(f, "00 78", n);
  write_string(f, "4D 54 72 6B", n);
  write_string(f, "00 00 00 00", n);
  n = 0;
  write_string(f, "00 C0 4F", n);
  write_string(f, "00 FF 03 05 56 45 4C 6F 52", n);
  write_string(f, "00 FF 58 04 04 02 18 08", n);
  write_string(f, "00 FF 51 03 07 A1 20", n);

  const int delay_width = score::delay_digits(layout);
  const int outputs = score::output_count(layout);
  std::string previous(static_cast<std::size_t>(outputs), '0');
  std::uint64_t carried = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& line = records[i];
    if (!is_record(line, layout)) {
      ++x.skipped_lines;
      if (after_line) after_line(i);
      continue;
    }
    std::uint64_t delay = static_cast<std::uint32_t>(score::decode_delay(line, layout)) + carried;
    bool first_event = true;
    for (int j = 0; j < outputs; ++j) {
      const std::size_t at = static_cast<std::size_t>(delay_width + j);
      const char digit = line[at];
      if (digit == previous[static_cast<std::size_t>(j)]) continue;
      const int note = table[static_cast<std::size_t>(outputs - 1 - j)];
      if (note < 1 || note > 127) continue;
      std::string delta = "00";
      if (first_event) {
        // A silence longer than one delta holds rides on empty marker events.
        for (; delay > kMaxDelta; delay -= kMaxDelta)
          write_string(f, delta_text(kMaxDelta) + " FF 06 00", n);
        delta = delta_text(static_cast<std::uint32_t>(delay));
        first_event = false;
      }
      write_string(f,
                   delta + (digit == '1' ? " 90 " : " 80 ") + hex_pair(unsigned(note)) +
                       (digit == '1' ? " 64" : " 00"),
                   n);
    }
    carried = first_event ? delay : 0;
    previous.assign(line, static_cast<std::size_t>(delay_width), std::string::npos);
    if (after_line) after_line(i);
  }

  write_string(f, "00 FF 2F 00", n);
  std::string length;
  for (int shift = 24; shift >= 0; shift -= 8) {
    if (!length.empty()) length += ' ';
    length += hex_pair((static_cast<std::uint32_t>(n) >> shift) & 0xFF);
  }
  write_string_nb_oct(f, length);
  return x;
}

}  // namespace solmir::midi
