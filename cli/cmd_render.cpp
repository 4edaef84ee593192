// render: the card image heard as the reader board plays it, written to a WAV file. The image
// is built from a MIDI file with the preparation options, or is a piece read back from a
// virtual card file.
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "audio/audio_failure.h"
#include "audio/sound_font.h"
#include "audio/wav_render.h"
#include "base/numbers.h"
#include "board/piece_copy.h"
#include "board/virtual/board_args.h"
#include "board/virtual/virtual_serial_port.h"
#include "cli/cli.h"
#include "score/card_sound.h"

namespace solmir::cli {
namespace {

const char* const kRenderUsage =
    "FICHIER.mid -o CARTE.wav [options de préparation] [--program N] [--soundfont F.sf2]\n"
    "        solmir-cli render --card FICHIER --slot A|B -o CARTE.wav [--scale percussion]\n"
    "        [--speed 60] [--step 0.25] [--program N] [--soundfont F.sf2]\n"
    "        (--program : programme General MIDI de 0 à 127, 20 par défaut : orgue à anches ;\n"
    "        sans --soundfont, la variable SOLMIR_SOUNDFONT, sinon /usr/share/sounds/sf2)";

int program_of(const Args& a) {
  if (!a.has("--program")) return score::kOrganSounds[0].program;
  const std::string t = a.get("--program");
  const auto v = parse_number(t);
  if (!v || *v != static_cast<double>(static_cast<int>(*v)) || *v < 0 || *v > 127)
    throw CliError{
        "Option --program : programme General MIDI de 0 à 127 attendu, reçu \"" + t + "\"", 2};
  return static_cast<int>(*v);
}

// The piece of a slot of a virtual card file, read back as the copy reads it.
void read_card(Session& s, bool slot_a) {
  Form1& f = s.form();
  f.link_follows_port = false;
  f.port.set_text("0");
  f.link_follows_port = true;
  f.port_Change();
  if (!f.link->is_open()) throw CliError{{}, 1};
  f.choixa.set_value(slot_a);
  f.choixb.set_value(!slot_a);
  if (board::read_piece_back(f) != board::ReadOutcome::read) throw CliError{{}, 1};
}

int run_render(const Args& a) {
  const std::string usage = std::string("Usage : solmir-cli render ") + kRenderUsage;
  const bool from_card = a.has("--card");
  if ((from_card ? !a.positional.empty() : a.positional.size() != 1) || !a.has("-o") ||
      a.get("-o").empty())
    throw CliError{usage, 2};
  const int program = program_of(a);
  std::filesystem::path sound_font;
  try {
    sound_font = audio::find_sound_font(a.get("--soundfont"));
  } catch (const audio::AudioFailure& e) {
    throw CliError{e.what(), 1};
  }

  StdEventLoop loop;
  std::unique_ptr<board::virt::VirtualSerialPort> card;
  if (from_card) {
    const std::string slot = a.get("--slot");
    if (slot != "A" && slot != "a" && slot != "B" && slot != "b")
      throw CliError{"Option --slot : A ou B attendu, reçu \"" + slot + "\"", 2};
    std::vector<std::string> options = {"--card", a.get("--card")};
    board::virt::BoardOptions parsed;
    try {
      parsed = board::virt::take_board_options(options);
      card = std::make_unique<board::virt::VirtualSerialPort>(loop, parsed);
    } catch (const std::invalid_argument& e) {
      throw CliError{e.what(), 2};
    } catch (const std::exception& e) {
      throw CliError{e.what(), 1};
    }
  }
  Session s(loop, card.get());
  s.start(a);
  Form1& f = s.form();
  if (from_card) {
    read_card(s, a.get("--slot") == "A" || a.get("--slot") == "a");
  } else {
    s.open_midi(a.positional[0]);
  }
  if (f.Liste_tran.empty()) throw CliError{"L'image de la carte est vide : rien à rendre", 1};
  const double tick = f.listening_tick_seconds();
  if (tick <= 0) throw CliError{"La vitesse et le pas doivent être des nombres positifs", 1};
  const bool percussion = f.mode42.value() && f.Midi_channel(9).value() && !f.mode_demo;
  const score::CardSound sound = score::card_sound(
      f.Liste_tran, score::record_layout(f.mode42.value(), f.Option32.value(), f.mode_demo),
      score::record_note_table(f.table_notes, f.mode42.value(), f.mode_demo), percussion, tick);
  try {
    audio::render_wav(sound, program, sound_font, std::filesystem::u8path(a.get("-o")));
  } catch (const audio::AudioFailure& e) {
    throw CliError{e.what(), 1};
  }
  std::ostringstream seconds;
  seconds << std::fixed << std::setprecision(1) << sound.duration();
  std::cerr << "Son de la carte :" << str_num(static_cast<std::int64_t>(f.Liste_tran.size()))
            << " enregistrements, " << seconds.str() << " s, programme"
            << str_num(std::int64_t{program}) << " -> " << a.get("-o") << std::endl;
  return 0;
}

Register render{{"render", kRenderUsage, kPrepareFlags, run_render}};

}  // namespace
}  // namespace solmir::cli
