// listing and notes: the MIDI file as the event listing, and as the note event list.
#include <cstdio>
#include <iostream>

#include "cli/cli.h"
#include "cli/road_run.h"
#include "midi/listing.h"

namespace solmir::cli {
namespace {

std::string only_file(const Args& a, const char* command) {
  if (a.positional.size() != 1)
    throw CliError{std::string("Usage : solmir-cli ") + command + " FICHIER.mid ...", 2};
  return a.positional[0];
}

// Standard output in large blocks.
void write_out(const std::string& s) {
  std::fwrite(s.data(), 1, s.size(), stdout);
}

int run_listing(const Args& a) {
  const std::string path = only_file(a, "listing");
  const std::string bytes = read_binary_file(path);
  const midi::ListingResult r = midi::desassemble_midi(bytes, path);
  std::string out, line;
  for (std::size_t i = 0; i < r.listing.size(); ++i) {
    r.listing.render_into(i, line);
    out += line;
    out += '\n';
    if (out.size() >= (1u << 20)) {
      write_out(out);
      out.clear();
    }
  }
  write_out(out);
  std::fflush(stdout);
  if (r.sequences_played_together) std::cerr << midi::kMsgSequencesTogether << std::endl;
  if (r.end == midi::ListingEnd::format_error) {
    std::string m = r.message_erreur_midi;
    for (std::size_t p; (p = m.find('\r')) != std::string::npos;) m.erase(p, 1);
    throw CliError{m, 1};
  }
  if (r.end == midi::ListingEnd::abnormal) throw CliError{r.abnormal_message, 1};
  return 0;
}

int run_notes(const Args& a) {
  const std::string path = only_file(a, "notes");
  const RoadRun r = run_road(a, path, RoadEnd::notes);
  if (a.has("--dropped")) {
    // The notes no output plays: time in ticks, note, name.
    std::string out;
    char line[32];
    for (const auto& d : r.dropped) {
      std::snprintf(line, sizeof line, "%07lld %05d ", static_cast<long long>(d.time), d.note);
      out += line;
      out += d.name;
      out += '\n';
    }
    write_out(out);
    std::fflush(stdout);
    return finish_road(r);
  }
  std::string out;
  score::append_note_lines(r.Liste1, out, write_out);
  write_out(out);
  std::fflush(stdout);
  return finish_road(r);
}

std::vector<std::string> notes_flags() {
  std::vector<std::string> f = kPrepareFlags;
  f.push_back("--dropped");
  return f;
}

Register listing{{"listing", "FICHIER.mid", {}, run_listing}};
Register notes{
    {"notes", "FICHIER.mid [--dropped] [options de préparation]", notes_flags(), run_notes}};

}  // namespace
}  // namespace solmir::cli
