// libFuzzer target: the MIDI reader on arbitrary bytes. Besides crashes, hangs and bad memory
// accesses (AddressSanitizer, UndefinedBehaviorSanitizer), it stops on any broken promise of
// the listing: how a conversion ends, the codes and messages of format errors, the fixed
// columns of the NOTE lines that the note extraction reads, and the progress reports.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "midi/listing.h"
#include "score/extraction.h"

namespace {

using solmir::midi::Code;
using solmir::midi::ListingEnd;

[[noreturn]] void broken(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "fuzz_listing: %s %s\n", what, detail.c_str());
  std::abort();
}

void check_note_columns(const std::string& line) {
  // Code 1-4, start 6-12, tick 14-19, channel 21-25, key 27-31, duration 33-37, velocity
  // 39-43, name from 45 (1-based).
  if (line.size() < 46) broken("NOTE line too short:", line);
  for (std::size_t blank : {4, 12, 19, 25, 31, 37, 43})
    if (line[blank] != ' ') broken("NOTE column shifted:", line);
  for (std::size_t i = 5; i < 43; ++i)
    if (line[i] != ' ' && (line[i] < '0' || line[i] > '9')) broken("NOTE field not digits:", line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t last_done = 0;
  const auto r =
      solmir::midi::desassemble_midi(bytes, "fuzz.mid", [&](std::size_t done, std::size_t total) {
        if (total != size || done > size || done < last_done) broken("progress out of order");
        last_done = done;
      });
  const auto& lines = r.listing.lines;
  const std::size_t n = lines.size();

  switch (r.end) {
    case ListingEnd::completed:
      if (n < 2 || lines[n - 2].code != Code::HEAD || lines[n - 1].code != Code::ENDF)
        broken("completed without HEAD and ENDF");
      if (r.code_erreur_midi != 0 || !r.message_erreur_midi.empty()) broken("completed with error");
      break;
    case ListingEnd::format_error: {
      const int c = r.code_erreur_midi;
      if (c != 1 && c != 2 && c != 3 && c != 5 && c != 6 && c != 7) broken("unknown error code");
      const bool located = c <= 3;
      if ((r.message_erreur_midi.find("\r\n    Events processed until loc hex: ") !=
           std::string::npos) != located)
        broken("error location:", r.message_erreur_midi);
      break;
    }
    case ListingEnd::abnormal:
      if (r.abnormal_message.empty() || r.code_erreur_midi != 0) broken("abnormal end");
      break;
  }

  std::string text;
  for (std::size_t i = 0; i < n; ++i) {
    const auto& l = lines[i];
    const bool closing = l.code == Code::HEAD || l.code == Code::ENDF;
    if (closing && r.end != ListingEnd::completed) broken("closing line after an error");
    if (closing && i + 2 < n) broken("closing line inside the listing");
    if (l.tick < 0) broken("negative tick");
    r.listing.render_into(i, text);
    if (text.size() < 4) broken("short line");
    if (l.code == Code::NOTE) {
      if (l.f[0] < 1 || l.f[0] > 16 || l.f[1] < 0 || l.f[1] > 127) broken("channel or key");
      if (!l.orphan) {
        if (l.time_ms < 0 || l.f[2] < 0) broken("note before time 0 or of negative length", text);
        if (l.time_ms < 10000000) check_note_columns(text);
      }
      if (i + 1 >= n || lines[i + 1].code != Code::NOOF) broken("NOTE without NOOF");
    }
  }

  // The note extraction takes whatever the listing holds.
  std::array<bool, 16> ticked{};
  solmir::score::extract_notes(r.listing, ticked, 60, 0.25);
  ticked[0] = ticked[9] = true;
  solmir::score::extract_notes(r.listing, ticked, 60, 0.25);
  return 0;
}
