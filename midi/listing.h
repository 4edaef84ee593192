// The event listing: one typed line per MIDI event of interest, with every time already in
// milliseconds through the file's tempo map. Each line renders to its exact fixed-column
// text; the note extraction reads the typed values (true durations, orphan note ends).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace solmir::midi {

enum class Code : std::uint8_t {
  NOTE,
  NOOF,
  KAFT,
  CONC,
  PRGC,
  CAFT,
  PBEN,
  MQTR,
  SNGP,
  SNGS,
  SYSTEM,  // one-byte system messages, "F4XX" ... "FEXX"
  SEQN,
  TEXT,
  AUTH,
  TNAM,
  INST,
  LYRC,
  MARK,
  CUEP,
  TEMP,
  TIME,
  SMPT,
  KEYS,
  HEAD,
  ENDF
};

struct ListingLine {
  Code code = Code::NOTE;
  std::uint8_t status = 0;   // SYSTEM: the status byte, 244 to 254
  bool orphan = false;       // NOTE: the end of a key that was not sounding
  std::int32_t time_ms = 0;  // HEAD: the largest note end
  std::int32_t tick = 0;
  // The fields after time and tick, in the order the line writes them. NOTE: channel, key,
  // duration (end - start, not cut to the field), velocity.
  std::int32_t f[5] = {0, 0, 0, 0, 0};
  std::uint32_t text = 0;  // index into Listing::texts (text events and HEAD)
};

struct Listing {
  std::vector<ListingLine> lines;
  std::vector<std::string> texts;

  std::size_t size() const { return lines.size(); }
  // The exact text of line i.
  std::string render(std::size_t i) const;
  void render_into(std::size_t i, std::string& out) const;
};

// How a conversion ended.
enum class ListingEnd {
  completed,     // HEAD and ENDF were added
  format_error,  // code_erreur_midi and message_erreur_midi tell which
  abnormal,      // the file cannot be converted (time-code division, key above 127, ...);
                 // abnormal_message tells why, in French
};

struct ListingResult {
  Listing listing;
  ListingEnd end = ListingEnd::completed;
  int code_erreur_midi = 0;
  std::string message_erreur_midi;
  std::string abnormal_message;
};

// Converts the bytes of a Standard MIDI File. chemin_midi is written into the HEAD line.
// progress(consumed, total) is called as the bytes are read.
ListingResult desassemble_midi(std::string_view bytes, const std::string& chemin_midi,
                               const std::function<void(std::size_t, std::size_t)>& progress = {});

// The name of a key in a NOTE line: "C3" for 60, "C#3" for 61, "C-2" for 0.
std::string note_name(int key);

}  // namespace solmir::midi
