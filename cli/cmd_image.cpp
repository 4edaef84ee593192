// image and export: the card image of a MIDI file, as its records or as a MIDI file.
#include <cstdio>
#include <iostream>

#include "base/file_write.h"
#include "base/numbers.h"
#include "cli/cli.h"
#include "cli/road_run.h"
#include "midi/export.h"

namespace solmir::cli {
namespace {

std::string only_file(const Args& a, const char* command, const char* more = "") {
  if (a.positional.size() != 1)
    throw CliError{std::string("Usage : solmir-cli ") + command + " FICHIER.mid" + more + " ...",
                   2};
  return a.positional[0];
}

int run_image(const Args& a) {
  const std::string path = only_file(a, "image");
  const RoadRun r = run_road(a, path, RoadEnd::image);
  std::string out;
  const auto& records = r.image->Liste_tran;
  out.reserve(records.empty() ? 0 : records.size() * (records.front().size() + 1));
  for (const std::string& record : records) {
    out += record;
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  print_image_summary(r);
  return finish_road(r);
}

int run_export(const Args& a) {
  const std::string path = only_file(a, "export", " -o SORTIE.mid");
  if (!a.has("-o") || a.get("-o").empty())
    throw CliError{"Usage : solmir-cli export FICHIER.mid -o SORTIE.mid ...", 2};
  const std::string target = a.get("-o");
  const RoadRun r = run_road(a, path, RoadEnd::image);
  print_image_summary(r);
  const midi::MidiExport x = midi::card_image_to_midi(r.image->Liste_tran, r.layout, r.table);
  if (x.skipped_lines > 0)
    std::cerr << str_num(static_cast<std::int64_t>(x.skipped_lines)) << midi::kMsgExportSkipped
              << std::endl;
  if (!write_whole_file(target, x.bytes)) {
    std::cerr << "Solmir : " << midi::kMsgExportFailed << target << std::endl;
    return 1;
  }
  std::cerr << "Solmir : " << midi::kMsgExportDone << std::endl;
  return finish_road(r);
}

Register image{{"image", "FICHIER.mid [options de préparation]", kPrepareFlags, run_image}};
Register export_{
    {"export", "FICHIER.mid -o SORTIE.mid [options de préparation]", kPrepareFlags, run_export}};

}  // namespace
}  // namespace solmir::cli
