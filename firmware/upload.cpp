// The firmware upload: "Programmation Atmega" writes the script that runs avrdude, releases the
// link's port, runs the script while the window goes on (its commands disabled), takes the port
// back and says whether avrdude succeeded.
#include "firmware/upload.h"

#include <cctype>
#include <fstream>
#include <system_error>

#include "app/form1.h"
#include "base/numbers.h"
#include "board/params.h"

namespace solmir {

namespace firmware {

ScriptForm platform_script_form() {
#ifdef _WIN32
  return ScriptForm::batch;
#else
  return ScriptForm::shell;
#endif
}

UploadFiles upload_files(const std::filesystem::path& program_folder,
                         const std::filesystem::path& data_folder, ScriptForm form) {
  UploadFiles f;
  f.uploader = program_folder / "VELoR_uploader";
  f.image = f.uploader / "Binaire" / "VELoR.cpp.hex";
  f.script = data_folder / "Temp" / (form == ScriptForm::batch ? "avrdude.bat" : "avrdude.sh");
  f.log = data_folder / "Temp" / "avrdude.log";
  return f;
}

std::string batch_quoted(const std::string& s) {
  std::string q = "\"";
  for (const char c : s) {
    if (c == '"' || c == '\r' || c == '\n') continue;
    q += c;
    if (c == '%') q += '%';
  }
  return q + "\"";
}

std::string batch_script(const std::string& folder, unsigned com_port, const std::string& baud) {
  return "cd /d " + batch_quoted(folder + "VELoR_uploader") + "\r\n" + "avrdude -v -" + "pm328p" +
         " -carduino -P\\\\.\\COM" + std::to_string(com_port) + " -b" + baud +
         " -D -Uflash:w:" + batch_quoted(folder + "VELoR_uploader\\Binaire\\VELoR.cpp.hex") +
         ":i\r\n" + "Pause\r\n";
}

namespace {

bool digits_only(const std::string& s) {
  if (s.empty() || s.size() > 6) return false;
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string without_blanks_around(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

}  // namespace

std::optional<unsigned> com_port_number(const std::string& text) {
  std::string t = without_blanks_around(text);
  if (t.rfind("\\\\.\\", 0) == 0) t.erase(0, 4);
  if (t.size() > 3 && (t[0] == 'C' || t[0] == 'c') && (t[1] == 'O' || t[1] == 'o') &&
      (t[2] == 'M' || t[2] == 'm'))
    t.erase(0, 3);
  if (!digits_only(t)) return std::nullopt;
  return static_cast<unsigned>(std::stoul(t));
}

std::optional<std::string> device_for_port_text(const std::string& text) {
  const std::string t = without_blanks_around(text);
  if (digits_only(t)) {
    const std::string n = std::to_string(std::stoul(t));
    std::error_code ec;
    const std::filesystem::path acm = "/dev/ttyACM" + n;
    if (std::filesystem::exists(acm, ec)) return acm.string();
    return "/dev/ttyUSB" + n;
  }
  if (t.empty() || t[0] != '/') return std::nullopt;
  for (const char c : t)
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) return std::nullopt;
  return t;
}

std::string shell_quoted(const std::string& s) {
  std::string q = "'";
  for (const char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

std::string shell_script(const UploadFiles& f, const std::string& device, const std::string& baud) {
  return "#!/bin/sh\n"
         "# Written by Solmir for each firmware upload; its exit status is avrdude's.\n"
         "cd " +
         shell_quoted(f.uploader.string()) + " || exit 1\n" + "avrdude -v -pm328p -carduino -P" +
         shell_quoted(device) + " -b" + baud + " -D -Uflash:w:" + shell_quoted(f.image.string()) +
         ":i >" + shell_quoted(f.log.string()) + " 2>&1\n";
}

std::string failure_reason(const std::string& report) {
  std::string reason;
  std::size_t b = 0;
  while (b < report.size()) {
    std::size_t e = report.find('\n', b);
    if (e == std::string::npos) e = report.size();
    std::string line = report.substr(b, e - b);
    b = e + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    std::size_t s = 0;
    while (s < line.size() && line[s] == ' ') ++s;
    line.erase(0, s);
    if (line.rfind("avrdude", 0) != 0) continue;
    if (line.find("done.") != std::string::npos && line.find("Thank you") != std::string::npos)
      continue;
    reason = line;
  }
  return reason;
}

}  // namespace firmware

namespace {

std::string trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// The device avrdude is given: the one the link is open on, else what the port box names.
std::optional<std::string> upload_device(Form1& f) {
  std::string d = f.link->port().device_path();
  if (!d.empty()) return firmware::device_for_port_text(d);
  const std::string name = f.open_port_name.empty() ? trimmed(f.port.text()) : f.open_port_name;
  return firmware::device_for_port_text(name);
}

// While avrdude has the port: every command is disabled, the pointer is busy, and the link
// does not follow the port box or the devices. Afterwards the commands get their state back,
// except those that the link's state decides (connexion_on / connexion_off set them).
class UploadRunning {
 public:
  explicit UploadRunning(Form1& f) : f_(f), activity_(f, Activity::firmware_upload) {
    f.upload_running = true;
    for (Control* c : all(f)) {
      before_.emplace_back(c, c->enabled());
      c->set_enabled(false);
    }
  }
  ~UploadRunning() {
    const bool link_up = f_.link->is_open();
    for (auto& [c, enabled] : before_) {
      if (c == &f_.programmer) {
        // A card image made before the upload can still be programmed.
        if (link_up) c->set_enabled(enabled);
      } else if (!follows_link(c)) {
        c->set_enabled(enabled);
      }
    }
    f_.upload_running = false;
    f_.ports.dialogs.set_busy(false);
  }
  UploadRunning(const UploadRunning&) = delete;
  UploadRunning& operator=(const UploadRunning&) = delete;

 private:
  static std::vector<Control*> all(Form1& f) {
    return {&f.Ouvre_midi,    &f.Sauve_midi,     &f.traite_midi,      &f.quitter,
            &f.Atmega328,     &f.Prog_Uno,       &f.Prog_Duemilanove, &f.Prog_Nano,
            &f.Prog_Nano_N,   &f.fenetre_params, &f.Prog_demo,        &f.option32N,
            &f.apropos,       &f.Infos_carte,    &f.Effacer_carte,    &f.Tester_carte,
            &f.Copier_carte,  &f.programmer,     &f.Label2,           &f.port,
            &f.form9.Valider, &f.form5.Command1, &f.form6.Command1,   &f.form6.Command3};
  }
  bool follows_link(const Control* c) const {
    for (const Control* l : std::initializer_list<const Control*>{
             &f_.Sauve_midi, &f_.Infos_carte, &f_.Effacer_carte, &f_.Tester_carte, &f_.Copier_carte,
             &f_.fenetre_params, &f_.Prog_demo, &f_.option32N})
      if (c == l) return true;
    return false;
  }

  Form1& f_;
  ActivityScope activity_;  // first in, last out: the state has the last word
  std::vector<std::pair<Control*, bool>> before_;
};

std::string read_all(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

void Form1::prog_atmega(const std::string& baud) {
  using namespace firmware;
  const ScriptForm form = platform_script_form();
  const UploadFiles files = upload_files(dossier_programme, data_folder(), form);

  // The script is written first, so that it is up to date even when the user declines.
  std::string script;
  if (form == ScriptForm::batch) {
    std::string folder = dossier_programme.string();
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    const auto com = com_port_number(port.text());
    if (!com) {
      ports.dialogs.message(kBoxNoPort);
      return;
    }
    script = batch_script(folder, *com, baud);
  } else {
    const auto device = upload_device(*this);
    if (!device) {
      ports.dialogs.message(kBoxNoPort);
      return;
    }
    script = shell_script(files, *device, baud);
  }
  {
    std::error_code ec;
    std::filesystem::create_directories(files.script.parent_path(), ec);
    std::ofstream out(files.script, std::ios::binary | std::ios::trunc);
    out << script;
    out.close();
    if (!out) {
      ports.dialogs.message(kBoxScriptUnwritable + files.script.string() + "\r\n");
      return;
    }
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(files.image, ec)) {
    ports.dialogs.message(kBoxImageMissing + files.image.string() + "\r\n");
    return;
  }
  if (!ports.dialogs.ask_yes_no(kAskUpload)) return;
  if (!link->is_open()) {
    ports.dialogs.message(kBoxNoPort);
    return;
  }

  const std::string port_name = open_port_name;
  int code = -1;
  {
    UploadRunning running(*this);
    connexion_off();
    ports.dialogs.set_busy(true);
    append_message(kMsgWait);
    attente(ports.loop, 200);
    std::filesystem::remove(files.log, ec);
    if (form == ScriptForm::batch) {
      code = execute_et_attend(ports.processes, "cmd.exe", {"/c", files.script.string()});
    } else {
      code = execute_et_attend(ports.processes, "/bin/sh", {files.script.string()});
    }
    // The port again, as it was; when it does not open (the board came back elsewhere), the
    // ports are searched as at start-up.
    if (!port_name.empty() && link->port().open(port_name)) {
      open_port_name = port_name;
      connexion_on();
    } else {
      connexion_off();
      Label2_Click();
    }
  }

  if (code == 0) {
    append_message(kMsgUploadDone);
  } else if (code == -1) {
    append_message(kMsgScriptNotStarted + files.script.string());
  } else if (form == ScriptForm::shell && code == 127) {
    append_message(kMsgAvrdudeMissing);
  } else {
    append_message(kMsgUploadFailed + str_num(static_cast<std::int64_t>(code)));
    if (form == ScriptForm::shell) {
      const std::string reason = failure_reason(read_all(files.log));
      if (!reason.empty()) append_message(reason);
      append_message(kMsgUploadLog + files.log.string());
    }
  }
}

}  // namespace solmir
