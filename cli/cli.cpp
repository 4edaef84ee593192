#include "cli/cli.h"

#include <cctype>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "base/absent_serial_port.h"
#include "base/file_read.h"
#include "base/numbers.h"

namespace solmir::cli {

const char* const kPrepareUsage =
    "[--channels 1,2,10] [--speed 60] [--step 0.25] [--scale 29|32|42|percussion]\n"
    "        [--separate S] [--align A] [--delay MM] [--demo] [--demo-delay MM] [--marks]\n"
    "        [--loop] [--extra-notes N30,N31,N32] [--ini solmir.ini] [--log FICHIER]\n"
    "        [--transpose N|auto]";
const std::vector<std::string> kPrepareFlags = {"--demo", "--marks", "--loop", "--yes"};

std::vector<Command>& commands() {
  static std::vector<Command> all;
  return all;
}

Args parse_args(const std::vector<std::string>& argv, const std::vector<std::string>& flags) {
  Args a;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& s = argv[i];
    if (s.size() > 2 && s.compare(0, 2, "--") == 0) {
      const auto eq = s.find('=');
      if (eq != std::string::npos) {
        a.options[s.substr(0, eq)] = s.substr(eq + 1);
      } else if (std::find(flags.begin(), flags.end(), s) != flags.end()) {
        a.options[s] = "";
      } else {
        if (i + 1 >= argv.size()) throw CliError{"Option " + s + " : valeur manquante", 2};
        a.options[s] = argv[++i];
      }
    } else if (s == "-o") {
      if (i + 1 >= argv.size()) throw CliError{"Option -o : valeur manquante", 2};
      a.options["-o"] = argv[++i];
    } else {
      a.positional.push_back(s);
    }
  }
  return a;
}

void TerminalDialogs::message(const std::string& text) {
  std::string t = text;
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
  std::cerr << "Solmir : " << t << std::endl;
}

bool TerminalDialogs::ask_ok_cancel(const std::string& text) {
  std::string t = text;
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
  std::cerr << "Solmir : " << t << " (OK/a pour annuler) " << std::flush;
  if (assume_yes) {
    std::cerr << "OK" << std::endl;
    return true;
  }
  std::string answer;
  if (!std::getline(std::cin, answer)) {
    std::cerr << std::endl;
    return true;
  }
  const char c =
      answer.empty() ? 'o' : static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
  return c != 'a' && c != 'n';
}

bool TerminalDialogs::ask_yes_no(const std::string& text) {
  std::string t = text;
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
  std::cerr << "Solmir : " << t << " (o/N) " << std::flush;
  if (assume_yes) {
    std::cerr << "o" << std::endl;
    return true;
  }
  std::string answer;
  if (!std::getline(std::cin, answer)) {
    std::cerr << std::endl;
    return false;
  }
  return !answer.empty() &&
         (answer[0] == 'o' || answer[0] == 'O' || answer[0] == 'y' || answer[0] == 'Y');
}

std::string TerminalDialogs::open_file(const std::string&, const std::string&, const std::string&) {
  return file_answer;
}

std::string TerminalDialogs::save_file(const std::string&, const std::string&, const std::string&,
                                       const std::string&) {
  return file_answer;
}

std::string MemorySettingsStore::get(const std::string& app, const std::string& section,
                                     const std::string& key, const std::string& def) {
  auto it = values_.find(app + "/" + section + "/" + key);
  return it == values_.end() ? def : it->second;
}

void MemorySettingsStore::save(const std::string& app, const std::string& section,
                               const std::string& key, const std::string& value) {
  values_[app + "/" + section + "/" + key] = value;
}

int CliProcessRunner::run_and_wait(const std::string&, const std::vector<std::string>&) {
  return -1;
}

std::filesystem::path program_path;

std::filesystem::path CliEnvironment::program_folder() {
  std::error_code ec;
  auto p = std::filesystem::absolute(program_path, ec);
  return ec || p.empty() ? std::filesystem::current_path() : p.parent_path();
}

std::filesystem::path CliEnvironment::documents_folder() {
  // The command line keeps its working folders out of the user's documents.
  return std::filesystem::temp_directory_path() / "solmir-cli";
}

Session::Session(EventLoop& loop, SerialPort* serial) : loop_(loop) {
  if (!serial) {
    no_serial_ = std::make_unique<AbsentSerialPort>();
    serial = no_serial_.get();
  }
  ports_ =
      std::make_unique<Ports>(Ports{loop_, dialogs_, *serial, settings_, processes_, environment_});
  form_ = std::make_unique<Form1>(*ports_);
  echoed_ = form_->Label_defautP.text();
  subscription_ = form_->Label_defautP.subscribe([this] {
    const std::string& t = form_->Label_defautP.text();
    std::string fresh = t.compare(0, echoed_.size(), echoed_) == 0 ? t.substr(echoed_.size()) : t;
    echoed_ = t;
    std::string out;
    for (char c : fresh)
      if (c != '\r') out += c;
    if (out.empty()) return;
    if (before_message) before_message();
    std::cerr << out << std::flush;
  });
}

Session::~Session() {
  form_->Label_defautP.unsubscribe(subscription_);
}

namespace {

int as_int(const std::string& option, const std::string& text) {
  const auto v = parse_number(text);
  if (!v) throw CliError{"Option " + option + " : nombre attendu, reçu \"" + text + "\"", 2};
  return static_cast<int>(*v);
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> v;
  std::stringstream ss(s);
  for (std::string item; std::getline(ss, item, sep);) v.push_back(item);
  return v;
}

}  // namespace

void Session::start(const Args& a) {
  Form1& f = *form_;
  f.connect_at_start = false;
  f.log_enabled = a.has("--log");
  if (f.log_enabled) f.log_file = a.get("--log");
  f.use_ini = a.has("--ini");
  if (f.use_ini) f.ini_file = a.get("--ini");
  f.Form_Load();
  if (a.has("--speed")) f.vitesse.set_text(a.get("--speed"));
  if (a.has("--step")) f.Pas_ech.set_text(a.get("--step"));
  if (a.has("--delay")) f.Delai_init.set_text(a.get("--delay"));
  if (a.has("--demo-delay")) f.Delai_init_demo.set_text(a.get("--demo-delay"));
  if (a.has("--separate")) f.separe_note.set_text(a.get("--separate"));
  if (a.has("--align")) f.aligne_note.set_text(a.get("--align"));
  if (a.has("--extra-notes")) {
    const auto n = split(a.get("--extra-notes"), ',');
    if (n.size() != 3)
      throw CliError{"Option --extra-notes : trois numéros attendus (N30,N31,N32)", 2};
    f.note30.set_text(n[0]);
    f.note31.set_text(n[1]);
    f.note32.set_text(n[2]);
    f.options_validees = true;
  }
  const std::string scale = a.get("--scale", "29");
  if (scale == "32") {
    f.Option32.set_value(true);
  } else if (scale == "42") {
    f.mode42.set_value(true);
  } else if (scale == "percussion") {
    f.Midi_channel(9).set_value(true);
  } else if (scale != "29" && scale != "27" && scale != "27/29") {
    throw CliError{"Option --scale : 29, 32, 42 ou percussion attendu, reçu \"" + scale + "\"", 2};
  }
  // The scale rules run again with the extra notes now in place.
  if (a.has("--extra-notes")) {
    if (f.mode42.value() && f.Midi_channel(9).value()) {
      f.fill_percussion();
    } else if (f.mode42.value()) {
      f.fill_42_notes();
    } else {
      f.Def_notes_base();
    }
  }
  if (a.has("--channels")) {
    for (const std::string& c : split(a.get("--channels"), ',')) {
      const int ch = as_int("--channels", c);
      if (ch < 1 || ch > 16) throw CliError{"Option --channels : canaux de 1 à 16", 2};
      f.Midi_channel(ch - 1).set_value(true);
    }
  }
  if (a.has("--transpose")) {
    const std::string t = a.get("--transpose");
    auto_transpose_ = t == "auto";
    const auto v = parse_number(t);
    if (!auto_transpose_ && (!v || *v != static_cast<int>(*v) || *v < -24 || *v > 24))
      throw CliError{
          "Option --transpose : nombre entier de -24 à +24 ou auto attendu, reçu \"" + t + "\"", 2};
    if (!auto_transpose_) f.Transposition.set_text(t);
  }
  if (a.has("--marks")) f.Check_marque.set_value(true);
  if (a.has("--loop")) f.Check_boucle.set_value(true);
  if (a.has("--demo")) {
    f.Prog_demo.set_enabled(true);
    f.Prog_demo_Click();
  }
}

void Session::open_midi(const std::string& path) {
  Form1& f = *form_;
  f.chemin_midi = path;
  f.recharger_fichier = true;
  f.Ouvre_midi_Click();
  if (!f.last_failure.empty()) throw CliError{f.last_failure, 1};
  if (auto_transpose_) {
    // The shift that keeps the most notes, then the file again under it.
    const std::string before = f.Transposition.text();
    f.Meilleure_transposition_Click();
    if (f.Transposition.text() != before) {
      f.recharger_fichier = true;
      f.Ouvre_midi_Click();
      if (!f.last_failure.empty()) throw CliError{f.last_failure, 1};
    }
  }
}

std::string read_binary_file(const std::string& path) {
  try {
    return read_regular_file(path, kMidiFileLimit, "Impossible de lire le fichier : ");
  } catch (const FileReadFailure& e) {
    throw CliError{e.what(), 1};
  }
}

}  // namespace solmir::cli
