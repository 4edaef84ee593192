// libFuzzer target: the files the program reads besides MIDI files, given as bytes in a file
// on disk as the program meets them: solmir.ini (read by the window model at start-up, then
// its scale rules), the output-order and instrument table files, a card file given with
// --card, and the settings values read at start-up (the input split at each 0 byte into the
// values of the settings store). The first byte chooses which.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "board/params.h"
#include "board/virtual/card.h"
#include "score/scales.h"
#include "tests/support/fakes.h"

namespace {

struct Shared {
  solmir::test::Rig rig;
  solmir::Form1* form = nullptr;
  std::filesystem::path file;
  Shared() {
    form = &rig.start();
    file = rig.dir.path() / "entree";
  }
};

Shared& shared() {
  static Shared s;
  return s;
}

void write(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace solmir;
  if (size == 0) return 0;
  Shared& s = shared();
  Form1& f = *s.form;
  f.replace_messages("");
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 5) {
    case 0: {  // solmir.ini, then the scale rules that follow it at start-up
      write(s.file, bytes);
      f.ini_file = s.file;
      f.use_ini = true;
      f.custom_scale.clear();
      f.lit_fichier_ini();
      f.Def_notes_base();
      f.fill_42_notes();
      f.fill_percussion();
      break;
    }
    case 1: {  // an output-order table for each scale, and an instrument table
      write(s.file, bytes);
      board::read_order_table_29_32(s.file, f.table_notes);
      board::read_order_table_42_45(s.file, f.table_notes);
      board::read_instrument_table(s.file);
      break;
    }
    case 2:
    case 3: {  // a card file: loaded, then what the board reads of it
      write(s.file, bytes);
      try {
        const board::virt::Card c = board::virt::Card::load(s.file);
        (void)c.size_code();
      } catch (const std::runtime_error&) {
        // A file that is not a card is refused with its message: that is the expected end.
      }
      break;
    }
    default: {  // the settings values read at start-up
      static const char* kKeys[] = {"Port",        "note30",      "note31",
                                    "note32",      "Option32",    "mode42",
                                    "separe_note", "aligne_note", "largeur_fenetre"};
      std::size_t at = 0;
      for (const char* key : kKeys) {
        const std::size_t end = std::min(bytes.find('\0', at), bytes.size());
        s.rig.settings.values[std::string(kAppName) + "/" + kSection + "/" + key] =
            std::string(bytes.substr(std::min(at, bytes.size()), end - std::min(at, end)));
        at = end + 1;
      }
      f.custom_scale.clear();
      f.lit_params_reg();
      if (f.mode42.value()) f.mode42_Click();
      if (f.Midi_channel(9).value()) f.Midi_channel_Click(9);
      f.Def_notes_base();
      break;
    }
  }
  return 0;
}
