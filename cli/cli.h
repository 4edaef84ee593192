// solmir-cli: the main road without a window. Standard output carries only the data asked
// for; messages go to standard error; the exit status is 0 on success.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/ports.h"
#include "base/std_event_loop.h"

namespace solmir::cli {

// The command line split into positional arguments and --options.
struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--speed" -> "60"; flags map to ""
  bool has(const std::string& o) const { return options.count(o) > 0; }
  std::string get(const std::string& o, const std::string& def = {}) const {
    auto it = options.find(o);
    return it == options.end() ? def : it->second;
  }
};

// Thrown for a usage error or a failed command: the message goes to standard error.
struct CliError {
  std::string message;
  int status = 1;
};

// Parses argv; options listed in `flags` take no value.
Args parse_args(const std::vector<std::string>& argv, const std::vector<std::string>& flags);

// Message boxes on the terminal; questions answered there, or Yes by --yes.
class TerminalDialogs : public Dialogs {
 public:
  void message(const std::string& text) override;
  bool ask_yes_no(const std::string& text) override;
  // OK unless the answer is "a" (annuler) or "n"; --yes, an empty answer and the end of the
  // input are OK.
  bool ask_ok_cancel(const std::string& text) override;
  std::string open_file(const std::string&, const std::string&, const std::string&) override;
  std::string save_file(const std::string&, const std::string&, const std::string&,
                        const std::string&) override;
  void set_busy(bool) override {}
  bool assume_yes = false;
  std::string file_answer;
};

// Settings kept in memory: the command line never touches the user's settings.
class MemorySettingsStore : public SettingsStore {
 public:
  std::string get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& def) override;
  void save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;

 private:
  std::map<std::string, std::string> values_;
};

class CliProcessRunner : public ProcessRunner {
 public:
  int run_and_wait(const std::string& program, const std::vector<std::string>& args) override;
};

class CliEnvironment : public Environment {
 public:
  std::filesystem::path program_folder() override;
  std::filesystem::path documents_folder() override;
};

// A main window without a window, its service messages echoed on standard error.
class Session {
 public:
  // serial: the port behind the link (nullptr: none).
  Session(EventLoop& loop, SerialPort* serial);
  ~Session();
  Form1& form() { return *form_; }
  TerminalDialogs& dialogs() { return dialogs_; }
  // Applies the preparation options (scale, channels, speed, step, passes, ini, log, ...)
  // and starts the window model. Call once, before any command.
  void start(const Args& args);
  // Opens the MIDI file as "Ouvrir fichier Midi..." does, without a dialog.
  void open_midi(const std::string& path);
  // Called before a service message is echoed (a progress bar ends its line there).
  std::function<void()> before_message;

 private:
  EventLoop& loop_;
  std::unique_ptr<SerialPort> no_serial_;
  TerminalDialogs dialogs_;
  MemorySettingsStore settings_;
  CliProcessRunner processes_;
  CliEnvironment environment_;
  std::unique_ptr<Ports> ports_;
  std::unique_ptr<Form1> form_;
  std::string echoed_;
  int subscription_ = 0;
  bool auto_transpose_ = false;  // --transpose auto
};

// A subcommand: its name, a line of help, its flags, and what it runs.
struct Command {
  std::string name;
  std::string usage;
  std::vector<std::string> flags;
  std::function<int(const Args&)> run;
};

// Every subcommand, registered by the files of the command line.
std::vector<Command>& commands();
struct Register {
  explicit Register(Command c) { commands().push_back(std::move(c)); }
};

// The options shared by the commands that prepare a card image.
extern const char* const kPrepareUsage;
extern const std::vector<std::string> kPrepareFlags;

std::string read_binary_file(const std::string& path);

// The path the command line was started with (argv[0]).
extern std::filesystem::path program_path;

}  // namespace solmir::cli
