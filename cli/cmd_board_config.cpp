// The reader board's own settings from the command line: params (what the board holds),
// set-params (change them as the parameter dialog does, then read them back), eeprom (one byte)
// and odometer.
#include <QCoreApplication>
#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "base/numbers.h"
#include "board/params.h"
#include "board/virtual/board_args.h"
#include "board/virtual/virtual_serial_port.h"
#include "cli/cli.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_serial_port.h"

namespace solmir::cli {
namespace {

const char* const kParamsUsage =
    "--port N|CHEMIN|virtual\n"
    "        (avec --port virtual, les options de la carte virtuelle "
    "de solmir-carte-virtuelle)";
const char* const kSetParamsUsage =
    "--port N|CHEMIN|virtual [--reset] [--sensor all|first|period:N]\n"
    "        [--order default|29-32:FICHIER.sor|42-45:FICHIER.sor]\n"
    "        [--instruments default|none|FICHIER.txt] [--relays on|off] [--midi on|off]\n"
    "        [--mute on|off] [--note-filler on|off] [--midi-out D9|TX]";
const char* const kEepromUsage = "--port N|CHEMIN|virtual --read ADRESSE [--write VALEUR]";
const char* const kOdometerUsage = "--port N|CHEMIN|virtual [--set N]";

// A main window without a window, its link open on the port the command names.
class BoardSession {
 public:
  BoardSession(const Args& a, const std::vector<std::string>& own, const std::string& usage) {
    if (!a.has("--port") || !a.positional.empty()) throw CliError{"Usage : solmir-cli " + usage, 2};
    const std::string port = a.get("--port");
    const bool is_virtual = port == "virtual";
    std::vector<std::string> rest;
    for (const auto& [k, value] : a.options) {
      if (k == "--port" || std::find(own.begin(), own.end(), k) != own.end()) continue;
      rest.push_back(k);
      const auto& flags = board::virt::board_flags();
      if (std::find(flags.begin(), flags.end(), k) == flags.end()) rest.push_back(value);
    }
    board::virt::BoardOptions options;
    try {
      options = board::virt::take_board_options(rest);
    } catch (const std::invalid_argument& e) {
      throw CliError{e.what(), 2};
    }
    if (!rest.empty()) throw CliError{"Option inconnue : " + rest.front(), 2};
    if (!is_virtual && a.options.size() > 1 + count_own(a, own))
      throw CliError{"Les options de la carte virtuelle vont avec --port virtual", 2};

    app_ = std::make_unique<QCoreApplication>(argc_, argv_);
    loop_ = std::make_unique<qt::QtEventLoop>();
    if (is_virtual) {
      try {
        serial_ = std::make_unique<board::virt::VirtualSerialPort>(*loop_, std::move(options));
      } catch (const std::exception& e) {
        throw CliError{e.what(), 1};
      }
    } else {
      serial_ = std::make_unique<qt::QtSerialPort>();
    }
    session_ = std::make_unique<Session>(*loop_, serial_.get());
    session_->start(Args{});
    Form1& f = form();
    f.port.set_text(is_virtual ? "0" : port);
    f.link_follows_port = true;
    f.port_Change();
    // The reasons are already in the service messages, on standard error.
    if (!f.link->is_open()) throw CliError{{}, 1};
  }
  ~BoardSession() {
    session_.reset();
    serial_.reset();
    loop_.reset();
    app_.reset();
  }
  Form1& form() { return session_->form(); }
  TerminalDialogs& dialogs() { return session_->dialogs(); }
  // The board fell silent or the link went away: said already.
  void check() {
    if (form().link->operation_failed) throw CliError{{}, 1};
  }

 private:
  static std::size_t count_own(const Args& a, const std::vector<std::string>& own) {
    std::size_t n = 0;
    for (const auto& o : own) n += a.has(o) ? 1 : 0;
    return n;
  }
  int argc_ = 1;
  char name_[16] = "solmir-cli";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
  std::unique_ptr<qt::QtEventLoop> loop_;
  std::unique_ptr<SerialPort> serial_;
  std::unique_ptr<Session> session_;
};

// The version text of the dialog's caption "... (v 7.0)".
std::string version_of(const std::string& caption) {
  const auto b = caption.rfind("(v ");
  const auto e = caption.rfind(')');
  if (b == std::string::npos || e == std::string::npos || e < b) return "x.x";
  return caption.substr(b + 3, e - b - 3);
}

void print_params(Form1& f) {
  std::cout << "version : " << version_of(f.form9.window.caption()) << '\n';
  for (const std::string& line : board::render_params(f.params_lus)) std::cout << line << '\n';
  std::cout.flush();
}

void open_params(BoardSession& s) {
  Form1& f = s.form();
  f.fenetre_params_Click();
  s.check();
  if (!f.form9.window.visible()) throw CliError{{}, 1};
}

int run_params(const Args& a) {
  BoardSession s(a, {}, std::string("params ") + kParamsUsage);
  open_params(s);
  print_params(s.form());
  return 0;
}

bool on_off(const Args& a, const std::string& option) {
  const std::string v = a.get(option);
  if (v == "on") return true;
  if (v == "off") return false;
  throw CliError{"Option " + option + " : on ou off attendu, reçu \"" + v + "\"", 2};
}

int run_set_params(const Args& a) {
  const std::vector<std::string> own = {"--reset",       "--sensor",      "--order",
                                        "--instruments", "--relays",      "--midi",
                                        "--mute",        "--note-filler", "--midi-out"};
  // The values are checked before the board is reached.
  std::string period, order_entry, order_file, instruments_entry, instruments_file;
  const std::string sensor = a.get("--sensor");
  if (a.has("--sensor")) {
    if (sensor.rfind("period:", 0) == 0) {
      period = sensor.substr(7);
      if (period.empty()) throw CliError{"Option --sensor : period:N attendu", 2};
    } else if (sensor != "all" && sensor != "first") {
      throw CliError{"Option --sensor : all, first ou period:N attendu, reçu \"" + sensor + "\"",
                     2};
    }
  }
  if (a.has("--order")) {
    const std::string o = a.get("--order");
    if (o == "default") {
      order_entry = board::kDefaut;
    } else if (o.rfind("29-32:", 0) == 0 || o.rfind("42-45:", 0) == 0) {
      order_entry = o[0] == '2' ? board::kTable2932 : board::kTable4245;
      order_file = o.substr(6);
    } else {
      throw CliError{
          "Option --order : default, 29-32:FICHIER ou 42-45:FICHIER attendu, reçu \"" + o + "\"",
          2};
    }
  }
  if (a.has("--instruments")) {
    const std::string i = a.get("--instruments");
    if (i == "default") {
      instruments_entry = board::kDefaut;
    } else if (i == "none") {
      instruments_entry = board::kAucun;
    } else {
      instruments_entry = board::kListePerso;
      instruments_file = i;
    }
  }
  const std::string midi_out = a.get("--midi-out");
  if (a.has("--midi-out") && midi_out != "D9" && midi_out != "TX")
    throw CliError{"Option --midi-out : D9 ou TX attendu, reçu \"" + midi_out + "\"", 2};
  for (const char* o : {"--relays", "--midi", "--mute", "--note-filler"})
    if (a.has(o)) on_off(a, o);

  BoardSession s(a, own, std::string("set-params ") + kSetParamsUsage);
  Form1& f = s.form();
  if (a.has("--reset")) {
    // The dialog's Alt+Z, without its question.
    f.init_params_click();
    s.check();
  } else {
    open_params(s);
  }
  board::Form9& d = f.form9;
  if (sensor == "all") {
    d.Check5.set_value(true);
    d.Check6.set_value(true);
  } else if (sensor == "first") {
    d.Check5.set_value(true);
    d.Check6.set_value(false);
  } else if (!period.empty()) {
    d.Text1.set_text(period);
  }
  auto choose = [&](ComboBox& list, const std::string& entry, const std::string& file) {
    const auto& e = list.entries();
    s.dialogs().file_answer = file;
    list.select(static_cast<int>(std::find(e.begin(), e.end(), entry) - e.begin()));
  };
  if (!order_entry.empty()) choose(d.Combo1, order_entry, order_file);
  if (!instruments_entry.empty()) choose(d.Combo2, instruments_entry, instruments_file);
  if (a.has("--relays")) d.Check1.set_value(on_off(a, "--relays"));
  if (a.has("--midi")) d.Check2.set_value(on_off(a, "--midi"));
  if (a.has("--mute")) d.Check4.set_value(on_off(a, "--mute"));
  if (a.has("--note-filler")) d.Check3.set_value(on_off(a, "--note-filler"));
  if (a.has("--midi-out")) d.Combo4.select(midi_out == "D9" ? 0 : 1);
  f.Form9_Valider_Click();
  s.check();

  // What the board holds now, and whether it took what was asked.
  f.lecture_params();
  s.check();
  print_params(f);
  const board::ParamsLus& p = f.params_lus;
  std::vector<std::string> refused;
  if (sensor == "all" && !(p.tous_fronts_1 && p.tous_fronts_2)) refused.push_back("--sensor");
  if (sensor == "first" && !(p.tous_fronts_1 && !p.tous_fronts_2)) refused.push_back("--sensor");
  if (!period.empty()) {
    const auto n = parse_number(period);
    if (!n || std::to_string(static_cast<long long>(*n)) != p.periode)
      refused.push_back("--sensor");
  }
  if (!order_entry.empty() && p.ordre_sorties != order_entry) refused.push_back("--order");
  if (!instruments_entry.empty() && p.instruments != instruments_entry)
    refused.push_back("--instruments");
  if (a.has("--midi-out") && p.sortie_midi != midi_out) refused.push_back("--midi-out");
  if (a.has("--note-filler") && (p.note_filler != 0) != on_off(a, "--note-filler"))
    refused.push_back("--note-filler");
  for (const char* o : {"--relays", "--midi", "--mute"}) {
    if (!a.has(o)) continue;
    const int got = std::string(o) == "--relays" ? p.relais
                    : std::string(o) == "--midi" ? p.midi
                                                 : p.mute_rf;
    if ((got != 0) != on_off(a, o)) refused.push_back(o);
  }
  if (!refused.empty()) {
    std::string list;
    for (const auto& r : refused) list += (list.empty() ? "" : ", ") + r;
    throw CliError{"La carte n'a pas pris : " + list, 1};
  }
  return 0;
}

int run_eeprom(const Args& a) {
  const std::string usage = std::string("eeprom ") + kEepromUsage;
  if (!a.has("--read"))
    throw CliError{"Usage : solmir-cli " + usage +
                       "\n(la valeur de --write est écrite à l'adresse lue par --read)",
                   2};
  BoardSession s(a, {"--read", "--write"}, usage);
  Form1& f = s.form();
  f.form6.adress.set_text(a.get("--read"));
  f.read_EEPROM();
  s.check();
  if (a.has("--write")) {
    const std::string before = f.form6.value.text();
    f.form6.value.set_text(a.get("--write"));
    f.write_EEPROM();
    s.check();
    f.read_EEPROM();
    s.check();
    const auto want = parse_number(a.get("--write"));
    if (!want || f.form6.value.text() != std::to_string(static_cast<long long>(*want))) {
      std::cout << f.form6.value.text() << std::endl;
      throw CliError{"La valeur n'a pas été écrite", 1};
    }
  } else if (f.form6.value.text().empty()) {
    throw CliError{{}, 1};
  }
  std::cout << f.form6.value.text() << std::endl;
  return 0;
}

int run_odometer(const Args& a) {
  BoardSession s(a, {"--set"}, std::string("odometer ") + kOdometerUsage);
  Form1& f = s.form();
  if (a.has("--set")) {
    f.form5.Text1.set_text(a.get("--set"));
    f.Modif_odometre_click();
    s.check();
  }
  f.form5.Text1.set_text("");
  f.Lect_odometre_click();
  s.check();
  std::cout << f.form5.Text1.text() << std::endl;
  if (a.has("--set")) {
    const auto want = parse_number(a.get("--set"));
    if (!want || f.form5.Text1.text() != std::to_string(static_cast<long long>(*want)))
      throw CliError{"Le compteur n'a pas pris la valeur demandée", 1};
  }
  return 0;
}

std::vector<std::string> with_board_flags(std::vector<std::string> own) {
  const auto& b = board::virt::board_flags();
  own.insert(own.end(), b.begin(), b.end());
  return own;
}

Register params{{"params", kParamsUsage, board::virt::board_flags(), run_params}};
Register set_params{{"set-params", kSetParamsUsage, with_board_flags({"--reset"}), run_set_params}};
Register eeprom{{"eeprom", kEepromUsage, board::virt::board_flags(), run_eeprom}};
Register odometer{{"odometer", kOdometerUsage, board::virt::board_flags(), run_odometer}};

}  // namespace
}  // namespace solmir::cli
