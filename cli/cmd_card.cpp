// program, read, copy, erase and test-card: the card exchanges of board/ on a reader board
// behind a serial port or on the virtual board in the process. `program` prepares its card
// image as the window does (a window model without a window); the others use no window model.
// Questions are asked on the terminal (--yes answers them); progress goes to standard error,
// as a bar on a terminal, else as a line every 10 %.
#include <QCoreApplication>
#include <algorithm>
#include <iostream>
#include <optional>
#include <set>
#include <stdexcept>

#include "app/card_commands.h"
#include "base/inpout.h"
#include "base/numbers.h"
#include "base/text.h"
#include "board/card_work.h"
#include "board/piece_copy.h"
#include "board/programming.h"
#include "board/virtual/board_args.h"
#include "board/virtual/virtual_serial_port.h"
#include "cli/board_session.h"
#include "cli/cli.h"
#include "cli/terminal.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_serial_port.h"
#include "score/record_format.h"

namespace solmir::cli {
namespace {

const std::vector<std::string> kPrepareKeys = {
    "--channels",   "--speed", "--step", "--scale",       "--separate", "--align", "--delay",
    "--demo-delay", "--marks", "--loop", "--extra-notes", "--ini",      "--log",   "--transpose"};

const char* const kPortUsage =
    "--port N|CHEMIN|virtual [--card FICHIER] (avec --port virtual, les options de la carte "
    "virtuelle de solmir-carte-virtuelle)";

// The port of the link, forwarding to one of the ports of the command: the copy reads from
// one board and writes through another.
class SwitchedPort : public SerialPort {
 public:
  void use(SerialPort& p) {
    if (current_) {
      current_->on_bytes_arrived = nullptr;
      current_->on_port_lost = nullptr;
    }
    current_ = &p;
    p.on_bytes_arrived = [this] {
      if (on_bytes_arrived) on_bytes_arrived();
    };
    p.on_port_lost = [this] {
      if (on_port_lost) on_port_lost();
    };
  }
  ~SwitchedPort() override {
    if (current_) {
      current_->on_bytes_arrived = nullptr;
      current_->on_port_lost = nullptr;
    }
  }
  bool open(const std::string& name) override { return current_->open(name); }
  void close() override { current_->close(); }
  bool is_open() const override { return current_->is_open(); }
  void write(std::string_view bytes) override { current_->write(bytes); }
  std::string read(std::size_t n) override { return current_->read(n); }
  std::size_t bytes_available() const override { return current_->bytes_available(); }
  void discard_buffers() override { current_->discard_buffers(); }
  void discard_received() override { current_->discard_received(); }
  void set_dtr(bool on) override { current_->set_dtr(on); }
  void set_rts(bool on) override { current_->set_rts(on); }

 private:
  SerialPort* current_ = nullptr;
};

// A board as the command line names it: a port, and the virtual board's options.
struct BoardChoice {
  std::string port;
  bool is_virtual = false;
  std::vector<std::string> options;  // in command-line form
  board::virt::BoardOptions parsed;
};

bool is_board_flag(const std::string& k) {
  const auto& f = board::virt::board_flags();
  return std::find(f.begin(), f.end(), k) != f.end();
}

// The board on `port`, with the options of the command that are not in `own`; with `prefix`
// ("--to-"), only the options that carry it, without it.
BoardChoice board_choice(const Args& a, const std::string& port, const std::set<std::string>& own,
                         const std::string& prefix = {}) {
  BoardChoice b;
  b.port = port;
  b.is_virtual = port == "virtual";
  for (const auto& [k, value] : a.options) {
    if (own.count(k) ||
        std::find(kPrepareKeys.begin(), kPrepareKeys.end(), k) != kPrepareKeys.end())
      continue;
    const bool prefixed = k.compare(0, 5, "--to-") == 0;
    if (prefix.empty() == prefixed) continue;
    const std::string name = prefix.empty() ? k : "--" + k.substr(prefix.size());
    b.options.push_back(name);
    if (!is_board_flag(name)) b.options.push_back(value);
  }
  std::vector<std::string> rest = b.options;
  try {
    b.parsed = board::virt::take_board_options(rest);
  } catch (const std::invalid_argument& e) {
    throw CliError{e.what(), 2};
  }
  if (!rest.empty()) throw CliError{"Option inconnue : " + rest.front(), 2};
  if (!b.is_virtual && !b.options.empty())
    throw CliError{"Les options de la carte virtuelle vont avec --port virtual", 2};
  return b;
}

// The preparation of `program`: the Qt loop, the port, a window model without a window.
class CardRun {
 public:
  CardRun() : app_(argc_, argv_) {}
  ~CardRun() {
    if (session) session->before_message = nullptr;
  }

  // The port object of a board.
  SerialPort& add(const BoardChoice& b) {
    if (b.is_virtual) {
      try {
        owned_.push_back(std::make_unique<board::virt::VirtualSerialPort>(loop, b.parsed));
      } catch (const std::exception& e) {
        throw CliError{e.what(), 1};
      }
    } else {
      owned_.push_back(std::make_unique<qt::QtSerialPort>());
    }
    return *owned_.back();
  }

  Form1& start(SerialPort& first, const Args& prepare, bool assume_yes) {
    port.use(first);
    session = std::make_unique<Session>(loop, &port);
    session->start(prepare);
    session->dialogs().assume_yes = assume_yes;
    Form1& f = session->form();
    // The blinking status line of the window: progress is shown otherwise here.
    f.Timer1.on_tick = [] {};
    return f;
  }

  // Opens the link on the board's port; false (the reason told on standard error) when it
  // does not open.
  bool connect(const BoardChoice& b) {
    Form1& f = session->form();
    f.link_follows_port = false;
    f.port.set_text(b.is_virtual ? "0" : b.port);
    f.link_follows_port = true;
    f.port_Change();
    return f.link->is_open();
  }

  // Lets the last bytes written leave before the port closes.
  void settle() { attente(loop, 100); }

 private:
  static inline int argc_ = 1;
  static inline char name_[] = "solmir-cli";
  static inline char* argv_[] = {name_, nullptr};
  QCoreApplication app_;

 public:
  qt::QtEventLoop loop;

 private:
  std::vector<std::unique_ptr<SerialPort>> owned_;

 public:
  SwitchedPort port;
  std::unique_ptr<Session> session;
};

std::string required(const Args& a, const std::string& option, const std::string& usage) {
  if (!a.has(option) || a.get(option).empty()) throw CliError{"Usage : solmir-cli " + usage, 2};
  return a.get(option);
}

// "A" or "B" (either case).
bool slot_is_a(const std::string& option, const std::string& s) {
  if (s == "A" || s == "a") return true;
  if (s == "B" || s == "b") return false;
  throw CliError{"Option " + option + " : A ou B attendu, reçu \"" + s + "\"", 2};
}

void choose_slot(Form1& f, bool a) {
  f.choixa.set_value(a);
  f.choixb.set_value(!a);
}

// ---------------------------------------------------------------- program

const char* const kProgramUsage =
    "FICHIER.mid --slot A|B|demo --port N|CHEMIN|virtual [--card FICHIER] [--title TITRE]\n"
    "        [options de préparation] [--yes]";

// Writes the request through the link; the outcome told on standard error; the exit status.
int program_on(board::Link& link, const board::ProgramRequest& rq, TerminalDialogs& dialogs) {
  TerminalPrompts prompts(dialogs, "Programmation");
  board::ProgramResult r;
  try {
    r = board::program_piece(link, rq, prompts);
  } catch (const board::BoardFailure& e) {
    if (prompts.started())
      prompts.say(std::string(board::kMsgIncompletePiece) + (rq.demo     ? "démo"
                                                             : rq.slot_a ? "A"
                                                                         : "B"));
    prompts.say(e.what());
    return 1;
  }
  if (!r.message.empty()) prompts.say(r.message);
  if (r.outcome != board::ProgramOutcome::programmed) {
    if (rq.demo && r.outcome == board::ProgramOutcome::cancelled && r.message.empty())
      prompts.say(board::kMsgAbandoned);
    return 1;
  }
  prompts.say(board::kMsgProgrammed);
  return 0;
}

int run_program(const Args& a) {
  const std::string usage = std::string("program ") + kProgramUsage;
  if (a.positional.size() != 1) throw CliError{"Usage : solmir-cli " + usage, 2};
  const std::string slot = required(a, "--slot", usage);
  const bool demo = slot == "demo" || slot == "démo";
  const bool slot_a = demo || slot_is_a("--slot", slot);
  const BoardChoice target =
      board_choice(a, required(a, "--port", usage), {"--slot", "--port", "--title", "--yes"});
  Args prepare;
  for (const std::string& k : kPrepareKeys)
    if (a.has(k)) prepare.options[k] = a.get(k);
  if (demo) prepare.options["--demo"] = "";

  CardRun run;
  Form1& f = run.start(run.add(target), prepare, a.has("--yes"));
  if (!run.connect(target)) throw CliError{{}, 1};
  run.session->open_midi(a.positional[0]);
  if (a.has("--title")) f.Titre.set_text(a.get("--title"));
  if (!demo) choose_slot(f, slot_a);
  // A demo piece too long for its area: the builder said so.
  if (!f.programmer.enabled()) throw CliError{{}, 1};
  // The card image as the preparation left it; the board part is the exchange itself.
  board::ProgramRequest rq;
  rq.demo = f.mode_demo;
  rq.layout = score::record_layout(f.mode42.value(), f.Option32.value(), rq.demo);
  rq.records = f.Liste_tran;
  rq.slot_a = slot_a;
  rq.image_size = f.taille_requise;
  rq.title = board::fixed_text(utf8_to_latin1(utf8_fixed(f.Titre.text(), 10)), 10);
  if (f.options_validees) {
    std::string bad;
    rq.extra_notes =
        board::extra_note_bytes({f.note30.text(), f.note31.text(), f.note32.text()}, bad);
    if (!rq.extra_notes) throw CliError{board::kMsgBadExtraNote + bad, 1};
  }
  const int status = program_on(*f.link, rq, run.session->dialogs());
  run.settle();
  return status;
}

// ---------------------------------------------------------------- read

const char* const kReadUsage =
    "--slot A|B --port N|CHEMIN|virtual [--card FICHIER] [-o SORTIE.mid]";

std::string format_name(char letter) {
  return letter == 'E' ? "42 notes" : letter == 'D' ? "32 notes" : "27/29 notes";
}

// Reads a piece on a board; nothing (the reason told) when it could not be read.
std::optional<board::PieceRead> read_on(DirectBoard& b, bool slot_a, TerminalPrompts& prompts) {
  board::PieceRead p;
  try {
    p = board::read_piece(b.link(), slot_a, prompts);
  } catch (const board::BoardFailure& e) {
    prompts.say(e.what());
    return std::nullopt;
  }
  b.settle();
  if (p.outcome != board::ReadOutcome::read) return std::nullopt;
  return p;
}

int run_read(const Args& a) {
  const std::string usage = std::string("read ") + kReadUsage;
  if (!a.positional.empty()) throw CliError{"Usage : solmir-cli " + usage, 2};
  const bool slot_a = slot_is_a("--slot", required(a, "--slot", usage));
  const BoardChoice source =
      board_choice(a, required(a, "--port", usage), {"--slot", "--port", "-o", "--yes"});
  if (a.has("-o") && a.get("-o").empty()) throw CliError{"Usage : solmir-cli " + usage, 2};

  DirectBoard b(source.port, source.parsed);
  if (!b.connect()) throw CliError{{}, 1};
  TerminalDialogs dialogs;
  dialogs.assume_yes = a.has("--yes");
  TerminalPrompts prompts(dialogs, "Lecture");
  const auto p = read_on(b, slot_a, prompts);
  if (!p) return 1;
  prompts.say(std::string("Morceau ") + (slot_a ? "A" : "B") + " :" +
              str_num(static_cast<std::int64_t>(p->records.size())) + " enregistrements en " +
              format_name(p->letter) + ", titre \"" + latin1_to_utf8(p->title) + "\"");
  if (a.has("-o")) {
    // The MIDI export of the window, on the piece read.
    Session s(b.loop(), nullptr);
    s.start(Args{});
    Form1& f = s.form();
    if (p->letter == 'C') {
      f.Option32.set_value(false);
      f.mode42.set_value(false);
    } else if (p->letter == 'D') {
      f.Option32.set_value(true);
    } else {
      f.mode42.set_value(true);
    }
    f.Liste_tran = p->records;
    f.nb_macro_evenements = static_cast<std::int32_t>(p->count);
    f.Titre.set_text(latin1_to_utf8(p->title));
    s.dialogs().file_answer = a.get("-o");
    f.Sauve_midi_Click();
    return f.last_failure.empty() ? 0 : 1;
  }
  std::string out;
  for (const std::string& record : p->records) {
    out += record;
    out += '\n';
  }
  std::cout << out << std::flush;
  return 0;
}

// ---------------------------------------------------------------- copy

const char* const kCopyUsage =
    "--slot A|B --port N|CHEMIN|virtual [--card FICHIER] --to-slot A|B\n"
    "        [--to-port N|CHEMIN|virtual] [--to-card FICHIER] [--yes]";

int run_copy(const Args& a) {
  const std::string usage = std::string("copy ") + kCopyUsage;
  if (!a.positional.empty()) throw CliError{"Usage : solmir-cli " + usage, 2};
  const bool from_a = slot_is_a("--slot", required(a, "--slot", usage));
  const bool to_a = slot_is_a("--to-slot", required(a, "--to-slot", usage));
  const std::set<std::string> own = {"--slot", "--port", "--to-slot", "--to-port", "--yes"};
  const BoardChoice source = board_choice(a, required(a, "--port", usage), own);
  const BoardChoice target = board_choice(a, a.get("--to-port", source.port), own, "--to-");
  // The same board, unless a second virtual card is named.
  const bool same_board = target.port == source.port && target.options.empty();

  DirectBoard from(source.port, source.parsed);
  if (!from.connect()) throw CliError{{}, 1};
  TerminalDialogs dialogs;
  dialogs.assume_yes = a.has("--yes");
  board::ProgramRequest rq;
  {
    TerminalPrompts prompts(dialogs, "Lecture");
    const auto p = read_on(from, from_a, prompts);
    if (!p) return 1;
    if (!dialogs.ask_ok_cancel(board::kMsgInsertTarget)) {
      prompts.say(board::kMsgAbandoned);
      return 1;
    }
    rq.records = p->records;
    rq.layout = p->letter == 'E'   ? score::RecordLayout::notes42
                : p->letter == 'D' ? score::RecordLayout::notes32
                                   : score::RecordLayout::notes29;
    rq.image_size = board::piece_size(p->count, p->notes42());
    rq.title = board::fixed_text(p->title, 10);
  }
  rq.slot_a = to_a;
  if (same_board) {
    if (!source.is_virtual && !dialogs.ask_yes_no("La carte cible est-elle dans le lecteur ?")) {
      std::cerr << board::kMsgAbandoned << std::endl;
      return 1;
    }
    const int status = program_on(from.link(), rq, dialogs);
    from.settle();
    return status;
  }
  from.close();
  DirectBoard to(target.port, target.parsed);
  if (!to.connect()) throw CliError{{}, 1};
  const int status = program_on(to.link(), rq, dialogs);
  to.settle();
  return status;
}

// ---------------------------------------------------------------- erase and test-card

int run_work(const Args& a, const board::WorkSpec& w, const std::string& name,
             const std::string& label) {
  const std::string usage = name + " " + kPortUsage + " [--yes]";
  if (!a.positional.empty()) throw CliError{"Usage : solmir-cli " + usage, 2};
  const BoardChoice c = board_choice(a, required(a, "--port", usage), {"--port", "--yes"});
  DirectBoard b(c.port, c.parsed);
  if (!b.connect()) throw CliError{{}, 1};
  TerminalDialogs dialogs;
  dialogs.assume_yes = a.has("--yes");
  TerminalPrompts prompts(dialogs, label);
  board::WorkResult r;
  try {
    r = board::card_work(b.link(), w, prompts);
  } catch (const board::BoardFailure& e) {
    prompts.say(e.what());
    return 1;
  }
  b.settle();
  switch (r.outcome) {
    case board::WorkOutcome::finished:
      prompts.say(w.test ? board::kMsgCardGood : board::kMsgErased);
      return 0;
    case board::WorkOutcome::defective:
      prompts.say(board::kMsgCardDefective);
      return 1;
    case board::WorkOutcome::unexpected:
      prompts.say(r.message);
      return 1;
    default:
      return 1;
  }
}

std::vector<std::string> card_flags(bool prepare) {
  std::vector<std::string> v = board::virt::board_flags();
  v.push_back("--yes");
  if (prepare) {
    v.push_back("--marks");
    v.push_back("--loop");
  }
  return v;
}

Register program{{"program",
                  std::string(kProgramUsage) +
                      "\n        (--slot demo : la démo intégrée ; avec --port virtual, --demo N "
                      "met une démo sur la carte virtuelle)",
                  card_flags(true), run_program}};
Register read{{"read", kReadUsage, card_flags(false), run_read}};
Register copy{{"copy", kCopyUsage, card_flags(false), run_copy}};
Register erase{{"erase", std::string(kPortUsage) + " [--yes]", card_flags(false),
                [](const Args& a) { return run_work(a, board::kErase, "erase", "Effacement"); }}};
Register test_card{{"test-card", std::string(kPortUsage) + " [--yes]", card_flags(false),
                    [](const Args& a) { return run_work(a, board::kTest, "test-card", "Test"); }}};

}  // namespace
}  // namespace solmir::cli
