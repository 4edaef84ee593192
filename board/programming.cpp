// The "Programmer" button and envoie_titre.
#include "board/programming.h"

#include <algorithm>
#include <utility>

#include "app/form1.h"
#include "base/numbers.h"
#include "base/text.h"
#include "board/card_info.h"
#include "board/commands.h"
#include "board/operation.h"
#include "score/record_format.h"

namespace solmir {

namespace board {

namespace {

// Set for as long as one run of the button lasts, whichever way it ends.
class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningFlag() { flag_ = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& flag_;
};

// The bytes of a record: its digits eight at a time, each group a byte, first digit most
// significant. Nothing when the record is not `bytes` bytes of binary digits.
std::optional<std::string> record_to_bytes(const std::string& record, int bytes) {
  if (record.size() != static_cast<std::size_t>(bytes) * 8) return std::nullopt;
  std::string out;
  out.reserve(static_cast<std::size_t>(bytes));
  for (std::size_t i = 0; i < record.size(); i += 8) {
    int v = 0;
    for (std::size_t k = i; k < i + 8; ++k) {
      if (record[k] != '0' && record[k] != '1') return std::nullopt;
      v = v * 2 + (record[k] - '0');
    }
    out += static_cast<char>(v);
  }
  return out;
}

void show_seconds(TextBox& box, double seconds) {
  box.set_text(std::to_string(static_cast<std::int64_t>(seconds)));
}

}  // namespace

std::vector<std::string> data_lines(const std::vector<std::string>& records, int k) {
  std::vector<std::string> lines;
  if (records.empty() || k < 1) return lines;
  std::size_t next = 0;
  while (next < records.size()) {
    std::string line;
    for (int j = 0; j < k; ++j) {
      if (next < records.size()) ++next;
      line += records[next - 1];
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::optional<std::string> extra_note_bytes(const Form1& f, std::string& bad) {
  std::string out;
  for (const TextBox* box : {&f.note30, &f.note31, &f.note32}) {
    const auto v = parse_number(box->text());
    const std::int64_t n = v ? round_half_even(*v) : -1;
    if (!v || n < 0 || n > 255) {
      bad = box->text();
      return std::nullopt;
    }
    out += static_cast<char>(n);
  }
  return out;
}

ProgramOutcome program_card(Form1& f) {
  // The button stays enabled while a piece goes out: a second click must not start a second
  // transfer in the middle of the first.
  if (f.programming_running) return ProgramOutcome::busy;
  RunningFlag running(f.programming_running);

  if (f.card_image_stale()) {
    f.recharger_fichier = true;
    f.Ouvre_midi_Click();
    return ProgramOutcome::reloaded;
  }

  // The piece as it is now: the window stays usable during the transfer and may build
  // another image meanwhile.
  const bool demo = f.mode_demo;
  const score::RecordLayout layout =
      score::record_layout(f.mode42.value(), f.Option32.value(), demo);
  const int bytes = score::record_bytes(layout);
  std::vector<std::string> records;
  records.reserve(f.Liste_tran.size());
  for (std::size_t i = 0; i < f.Liste_tran.size(); ++i) {
    auto r = record_to_bytes(f.Liste_tran[i], bytes);
    if (!r) {
      f.append_message(kMsgBadRecord + std::to_string(i + 1) + ")");
      return ProgramOutcome::cancelled;
    }
    records.push_back(std::move(*r));
  }
  if (records.empty()) {
    f.append_message(kMsgNothingToProgram);
    return ProgramOutcome::cancelled;
  }
  if (f.options_validees) {
    std::string bad;
    if (!extra_note_bytes(f, bad)) {
      f.append_message(kMsgBadExtraNote + bad);
      return ProgramOutcome::cancelled;
    }
  }
  const auto n = static_cast<std::int64_t>(records.size());

  ProgramOutcome outcome = ProgramOutcome::programmed;
  const bool ok = run_board_operation(f, [&] {
    Link& link = *f.link;
    link.discard_buffers();
    double seconds_left = f.duree_prog_estimee;
    show_seconds(f.Text1, seconds_left);
    const std::int64_t required = std::int64_t{f.taille_requise} + 16;

    auto cancel = [&] {
      f.msg_variable.set_text(kMsgSelect);
      link.send_word(cmd::NUuLL);
      outcome = ProgramOutcome::cancelled;
    };

    if (demo) {
      if (!f.ports.dialogs.ask_yes_no(kMsgDemoQuestion)) {
        f.msg_variable.set_text(kMsgAbandoned);
        outcome = ProgramOutcome::cancelled;
        return;
      }
      link.send_word(cmd::PRDCP);
      link.send_word(cmd::PRgCP);
    } else {
      const bool slot_a = f.choixa.value();
      link.send_word(slot_a ? cmd::PRACP : cmd::PRBCP);
      CardInfoBlock b;
      b.size_digit = link.wait_char();
      link.send_lf();
      const int d = size_digit_value(b.size_digit);
      if (d == 0) {
        f.ports.dialogs.message(kMsgNoCard);
        f.msg_variable.set_text(kMsgSelect);
        link.send_word(cmd::NUuLL);
        link.send_lf();
        outcome = ProgramOutcome::no_card;
        return;
      }
      b.card_size = card_size_for_digit(d);
      read_card_block_rest(link, b, f.titres);
      Dialogs& dialogs = f.ports.dialogs;
      if (slot_a) {
        if (required > b.card_size - kReservedBytes) {
          dialogs.message(std::string(kMsgCardTooSmall) + "(" + str_num(b.card_size) +
                          " octets)\r\n");
          return cancel();
        }
        const bool others = b.demo || b.has_b();
        if (b.has_a() && others) {
          if (!dialogs.ask_yes_no(kMsgAAndBThere)) return cancel();
        } else if (b.has_a()) {
          if (!dialogs.ask_yes_no(kMsgAThere)) return cancel();
        } else if (others) {
          // A new piece A takes the card from its start: what is after it goes too.
          if (!dialogs.ask_yes_no(kMsgBThere)) return cancel();
        }
      } else {
        if (!b.has_a()) {
          dialogs.message(kMsgNoPieceA);
          return cancel();
        }
        const std::int64_t room = b.card_size - b.room_a() - kReservedBytes;
        if (required > room) {
          dialogs.message(std::string(kMsgNoRoomB) + "(" + str_num(room) + " octets)\r\n");
          return cancel();
        }
        if (b.demo || b.has_b()) {
          if (!dialogs.ask_yes_no(kMsgBThere)) return cancel();
        }
      }
      link.send_word(cmd::PRgCP);
    }

    // No other board command may start while the piece goes out, and the scale must not
    // change under it; each gets its state back at the end.
    for (Control* c : std::initializer_list<Control*>{&f.Infos_carte, &f.Effacer_carte,
                                                      &f.Tester_carte, &f.Copier_carte})
      c->set_enabled(false);
    std::vector<std::pair<Control*, bool>> held;
    for (Control* c : std::initializer_list<Control*>{&f.fenetre_params, &f.mode42, &f.Option32}) {
      held.emplace_back(c, c->enabled());
      c->set_enabled(false);
    }
    f.gauge1.set_max(n);
    f.gauge1.set_value(0);
    f.gauge1.repaint();

    std::string_view signature = cmd::VELoR;
    int k = 14;
    if (demo) {
      k = 1;
    } else if (layout == score::RecordLayout::notes42) {
      signature = cmd::VELOR;
      k = 10;
    } else if (layout == score::RecordLayout::notes32) {
      signature = cmd::VELor;
    }
    f.lignes_par_bloc = k;
    f.msg_variable.set_text(demo ? kMsgProgrammingDemo : kMsgProgramming);
    f.Timer1.set_enabled(true);

    // Each line waits for the board's "A", the last one too: the title goes out once the
    // board has written the last block.
    auto exchange = [&link](std::string_view line) {
      link.etat_A = false;
      link.send_line(line);
      link.wait_until([&link] { return link.etat_A; });
    };
    exchange(signature);
    exchange(zero_pad(n, 5));
    std::int64_t progress = 0;
    std::int32_t countdown = 0;
    for (const std::string& line : data_lines(records, k)) {
      link.etat_A = false;
      link.send_line(line);
      f.gauge1.set_value(progress);
      progress += k;
      if (countdown >= f.evenements_par_seconde) {
        countdown = 0;
        seconds_left = std::max(0.0, seconds_left - 1);
        show_seconds(f.Text1, seconds_left);
      } else {
        countdown += k;
      }
      link.wait_until([&link] { return link.etat_A; });
    }
    f.gauge1.set_value(n);

    f.Text1.set_text("0");
    f.envoie_titre();
    f.msg_variable.set_text(kMsgProgrammed);

    if (demo) {
      if (f.option32_avant_demo) f.Option32.set_value(true);
      if (f.mode42_avant_demo) f.mode42.set_value(true);
      f.mode_demo = false;
    }
    link.reponse_7 = false;
    f.append_message(f.msg_variable.text());
    f.Timer1.set_enabled(false);
    for (Control* c : std::initializer_list<Control*>{
             &f.programmer, &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte})
      c->set_enabled(true);
    f.Sauve_midi.set_enabled(false);
    for (auto& [c, enabled] : held) c->set_enabled(enabled);
  });
  if (!ok) {
    f.msg_variable.set_text(kMsgSelect);
    return ProgramOutcome::failed;
  }
  return outcome;
}

}  // namespace board

void Form1::programmer_Click() {
  // A stale image is reloaded instead, and a click during the transfer is refused: neither
  // is a programming run of its own.
  const bool run = !card_image_stale() && !programming_running;
  if (run && state.image.incomplete_file && !ports.dialogs.ask_yes_no(kMsgIncompleteQuestion)) {
    append_message(board::kMsgAbandoned);
    return;
  }
  std::optional<ActivityScope> programming;
  if (run) programming.emplace(*this, Activity::programming);
  if (board::program_card(*this) == board::ProgramOutcome::programmed) {
    // The piece is on the card: a copy is done, and the image has been used.
    state.copy_mode = false;
    state.image.saveable = false;
  }
}

void Form1::envoie_titre() {
  board::run_board_operation(*this, [this] {
    std::string notes;
    if (options_validees) {
      std::string bad;
      const auto b = board::extra_note_bytes(*this, bad);
      if (!b) {
        append_message(board::kMsgBadExtraNote + bad);
        return;
      }
      notes = *b;
    }
    link->discard_buffers();
    link->send_word(choixa.value() ? board::cmd::TitrA : board::cmd::TitrB);
    const std::string title = board::fixed_text(utf8_to_latin1(utf8_fixed(Titre.text(), 10)), 10);
    link->wait_letter("A");
    link->send_line(title.substr(0, 5));
    link->wait_letter("A");
    link->send_line(title.substr(5, 5) + notes);
    // The board does not answer this line. The next command starts by discarding the port's
    // buffers, which would drop the line if it had not left yet: give it time to go.
    attente(ports.loop, board::kTitleLeaveMs);
  });
}

}  // namespace solmir
