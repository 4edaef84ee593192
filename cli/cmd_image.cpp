// image and export: the card image of a MIDI file, as its records or as a MIDI file.
#include <iostream>

#include "base/numbers.h"
#include "cli/cli.h"

namespace solmir::cli {
namespace {

std::string only_file(const Args& a, const char* command, const char* more = "") {
  if (a.positional.size() != 1)
    throw CliError{std::string("Usage : solmir-cli ") + command + " FICHIER.mid" + more + " ...",
                   2};
  return a.positional[0];
}

void print_summary(Form1& f) {
  std::cerr << "Image de la carte :" << str_num(std::int64_t{f.nb_macro_evenements})
            << " enregistrements," << str_num(std::int64_t{f.taille_requise})
            << " octets, programmation estimée à" << str_num(f.duree_prog_estimee) << " s"
            << std::endl;
}

int run_image(const Args& a) {
  const std::string path = only_file(a, "image");
  StdEventLoop loop;
  Session s(loop, nullptr);
  s.start(a);
  s.open_midi(path);
  std::string out;
  for (const std::string& record : s.form().Liste_tran) {
    out += record;
    out += '\n';
  }
  std::cout << out << std::flush;
  print_summary(s.form());
  return 0;
}

int run_export(const Args& a) {
  const std::string path = only_file(a, "export", " -o SORTIE.mid");
  if (!a.has("-o") || a.get("-o").empty())
    throw CliError{"Usage : solmir-cli export FICHIER.mid -o SORTIE.mid ...", 2};
  StdEventLoop loop;
  Session s(loop, nullptr);
  s.start(a);
  s.open_midi(path);
  print_summary(s.form());
  s.dialogs().file_answer = a.get("-o");
  s.form().Sauve_midi_Click();
  // The failure was told in its message box.
  return s.form().last_failure.empty() ? 0 : 1;
}

Register image{{"image", "FICHIER.mid [options de préparation]", kPrepareFlags, run_image}};
Register export_{
    {"export", "FICHIER.mid -o SORTIE.mid [options de préparation]", kPrepareFlags, run_export}};

}  // namespace
}  // namespace solmir::cli
