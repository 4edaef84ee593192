#include "midi/export.h"

#include <algorithm>

#include "score/record_reading.h"

namespace solmir::midi {

namespace {

constexpr const char* kHex = "0123456789ABCDEF";
// The longest delta one variable-length quantity holds (four bytes).
constexpr std::uint64_t kMaxDelta = 0x0FFFFFFF;

std::string hex_pair(unsigned v) {
  return {kHex[(v >> 4) & 0xF], kHex[v & 0xF]};
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

  // The delta of each event counts from the last event written: records that change nothing,
  // and outputs that drive no note, add their delay to the next event.
  std::int64_t written_at = 0;
  const score::RecordWalk w = score::walk_records(
      records, layout,
      [&](std::size_t, std::int64_t tick, int output, bool on) {
        const int note = table[static_cast<std::size_t>(output)];
        if (note < 1 || note > 127) return;
        auto delay = static_cast<std::uint64_t>(tick - written_at);
        written_at = tick;
        // A silence longer than one delta holds rides on empty marker events.
        for (; delay > kMaxDelta; delay -= kMaxDelta)
          write_string(f, delta_text(kMaxDelta) + " FF 06 00", n);
        write_string(f,
                     delta_text(static_cast<std::uint32_t>(delay)) + (on ? " 90 " : " 80 ") +
                         hex_pair(unsigned(note)) + (on ? " 64" : " 00"),
                     n);
      },
      after_line);
  x.skipped_lines = w.skipped_lines;

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
