// The settings kept between runs: the per-user settings store, the settings file solmir.ini
// beside the program, the data folder and the log file.
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "app/form1.h"
#include "base/file_read.h"
#include "base/numbers.h"

namespace solmir {

namespace {

constexpr const char* kIniFile = "solmir.ini";
constexpr const char* kCustomCaption = "Programmation de cartes à puces pour orgue de barbarie ";
constexpr const char* kCustomAbout =
    "Logiciel de programmation d'une carte à puces pour orgue de barbarie";
constexpr const char* kIniUnreadable = "Impossible de lire le fichier de réglages : ";
constexpr std::uintmax_t kIniFileLimit = 64 * 1024;
constexpr const char* kLogUnwritable = "Impossible d'écrire le journal : ";

// A line of a text file without its line end (files written on Windows end lines in CR LF).
bool read_line(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// A number read from a file as an int, its fraction dropped; a value beyond the range of an
// int is held at its bound (the plain conversion is undefined there).
int as_int(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

}  // namespace

void Form1::Sauve_params_reg() {
  SettingsStore& s = ports.settings;
  s.save(kAppName, kSection, "Port", port.text());
  s.save(kAppName, kSection, "note30", note30.text());
  s.save(kAppName, kSection, "note31", note31.text());
  s.save(kAppName, kSection, "note32", note32.text());
  s.save(kAppName, kSection, "Option32", Option32.value() ? "1" : "0");
  s.save(kAppName, kSection, "mode42", mode42.value() ? "1" : "0");
  s.save(kAppName, kSection, "separe_note", separe_note.text());
  s.save(kAppName, kSection, "aligne_note", aligne_note.text());
  s.save(kAppName, kSection, "largeur_fenetre", std::to_string(window.width));
  // The transposition is written only once it has left its default, so that the settings of
  // those who never use it stay what they were.
  if (Transposition.text() != "0" || s.get(kAppName, kSection, "transposition", "0") != "0")
    s.save(kAppName, kSection, "transposition", Transposition.text());
}

void Form1::lit_params_reg() {
  SettingsStore& s = ports.settings;
  auto get = [&](const char* key, const char* def) { return s.get(kAppName, kSection, key, def); };
  port.set_text(get("Port", "0"));
  // A custom scale shows its own entries 29 to 31 in the extra-note boxes and decides the
  // scale boxes itself: the saved values do not override them.
  TextBox* notes[3] = {&note30, &note31, &note32};
  TextBox* fields[3] = {&form2.Text1, &form2.Text2, &form2.Text3};
  const char* keys[3] = {"note30", "note31", "note32"};
  for (int i = 0; i < 3; ++i) {
    if (static_cast<int>(custom_scale.size()) > 29 + i) continue;
    const std::string v = get(keys[i], "0");
    notes[i]->set_text(v);
    fields[i]->set_text(v);
  }
  if (custom_scale.empty()) {
    Option32.set_value(get("Option32", "0") == "1");
    mode42.set_value(get("mode42", "0") == "1");
  }
  separe_note.set_text(get("separe_note", "0"));
  aligne_note.set_text(get("aligne_note", "0"));
  form8.Text1.set_text(separe_note.text());
  form8.Text2.set_text(aligne_note.text());
  Transposition.set_text(get("transposition", "0"));
  window.resize(as_int(val(get("largeur_fenetre", "7815"))), window.height);
  read_son_setting();
}

void Form1::lit_fichier_ini() {
  if (!use_ini) return;
  // A settings file of four values and a scale of at most 45 notes: a few hundred bytes. A
  // larger one, or one that is not a regular file, is refused before it is read, and said.
  const std::filesystem::path file = ini_file.empty() ? dossier_programme / kIniFile : ini_file;
  std::string text;
  try {
    text = read_regular_file(file, kIniFileLimit, kIniUnreadable);
  } catch (const FileReadFailure& e) {
    if (e.problem != FileReadProblem::missing) append_message(e.what());
    return;
  }
  std::istringstream in(text);
  std::string line;
  TextBox* boxes[4] = {&vitesse, &Pas_ech, &Delai_init, &Delai_init_demo};
  for (TextBox* box : boxes) {
    if (!read_line(in, line)) return;
    box->set_text(line);
  }
  if (!read_line(in, line) || line.size() < 2 || line.compare(0, 2, "##") != 0) return;
  const int n = as_int(val(line.size() > 3 ? line.substr(3) : std::string()));
  window.set_caption(kCustomCaption + str_num(static_cast<std::int64_t>(n)) + " notes");
  form3.Label1.set_caption(kCustomAbout + str_num(static_cast<std::int64_t>(n)) + " notes");
  // The organ's own scale: the scale boxes may not replace it (the state keeps them disabled).
  state.custom_scale = true;
  apply_state();
  Option32.set_value(false);
  // The table has outputs 0 to 44: further lines are read past.
  custom_scale.clear();
  for (int k = 0; k < n; ++k) {
    if (!read_line(in, line)) break;
    const auto v = parse_number(line);
    if (!v) break;
    if (k > 44) continue;
    const int note = static_cast<int>(round_half_even(*v));
    custom_scale.push_back(note);
    table_notes[static_cast<std::size_t>(k)] = note;
    if (k > 28) Option32.set_value(true);
  }
  note30.set_text(std::to_string(table_notes[29]));
  note31.set_text(std::to_string(table_notes[30]));
  note32.set_text(std::to_string(table_notes[31]));
}

std::filesystem::path Form1::data_folder() const {
  return dossier_donnees / "Solmir";
}

void Form1::cherche_dossier_donnees() {
  dossier_donnees = ports.environment.documents_folder();
  // A fresh installation has no data folder yet: make it, with its working folders.
  std::error_code ec;
  std::filesystem::create_directories(data_folder() / "Temp", ec);
  std::filesystem::create_directories(data_folder() / "Params", ec);
  if (log_enabled && log_file.empty()) log_file = data_folder() / "Solmir.log";
}

void Form1::write_log(const std::vector<std::string>& lines, bool replace) {
  if (!log_enabled || log_file.empty()) return;
  std::ofstream out(log_file, std::ios::binary | (replace ? std::ios::trunc : std::ios::app));
  for (const std::string& l : lines) out << l << "\r\n";
  out.flush();
  if (!out) append_message(kLogUnwritable + log_file.string());
}

}  // namespace solmir
