// The "Infos" and "Programmer" buttons, lit_titres and envoie_titre, over the board's
// exchanges.
//
// Enables: Infos_carte_Click disables the card buttons while the block is read and gives them
// back at its end (run_board_operation gives them back on a failure); program_card disables
// Infos/Effacer/Tester/Copier and the scale boxes when the transfer starts
// (WindowPrompts::progress_start) and gives them back in finish_transfer or, on a failure, in
// its catch; `programmer` itself is left as the card image builder set it.
#include "app/card_commands.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "app/window_prompts.h"
#include "base/numbers.h"
#include "base/text.h"
#include "board/card_info.h"
#include "board/operation.h"
#include "score/record_format.h"

namespace solmir {

namespace board {

namespace {

std::string trimmed(const std::string& s) {
  std::size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return s.substr(0, e);
}

}  // namespace

std::vector<std::string> render_form4(const Form4& f) {
  std::vector<std::string> lines;
  lines.push_back(f.Label1.caption() + " " + f.carte.caption() + " " + f.Label4.caption());
  auto piece_line = [](const Label& normal, const Label& l42, const Label& size, const Label& unit,
                       const Label& title) {
    std::string s = (l42.visible() && !normal.visible() ? l42 : normal).caption();
    s += " " + size.caption() + " " + unit.caption();
    if (!title.caption().empty()) s += " " + title.caption();
    return s;
  };
  lines.push_back(piece_line(f.Label2, f.Label242, f.mA, f.Label5, f.titredeA));
  std::string b = piece_line(f.Label3, f.Label342, f.mB, f.Label6, f.titredeB);
  if (f.Label7.visible() && !f.Label7.caption().empty()) b += " " + f.Label7.caption();
  lines.push_back(b);
  if (f.Label9.visible())
    lines.push_back(trimmed(f.Label9.caption()) + " " + f.Label11.caption() + " " +
                    f.Label10.caption());
  if (f.Label8.visible()) lines.push_back(trimmed(f.Label8.caption()));
  if (f.Label12.visible()) lines.push_back(f.Label12.caption());
  return lines;
}

}  // namespace board

namespace {

std::string quoted(const std::string& latin1) {
  return "\"" + latin1_to_utf8(latin1) + "\"";
}

void show_seconds(TextBox& box, double seconds) {
  box.set_text(std::to_string(static_cast<std::int64_t>(seconds)));
}

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

// The window's side of a programming run: message boxes, the gauge, the countdown in Text1
// and the status line.
class WindowPrompts : public WindowAnswers<board::Prompts> {
 public:
  using WindowAnswers::WindowAnswers;
  void progress_start(std::int64_t total) override {
    // No other board command may start while the piece goes out, and the scale must not
    // change under it; each gets its state back at the end.
    for (Control* c : std::initializer_list<Control*>{&f_.Infos_carte, &f_.Effacer_carte,
                                                      &f_.Tester_carte, &f_.Copier_carte})
      c->set_enabled(false);
    for (Control* c :
         std::initializer_list<Control*>{&f_.fenetre_params, &f_.mode42, &f_.Option32}) {
      held.emplace_back(c, c->enabled());
      c->set_enabled(false);
    }
    f_.gauge1.set_max(total);
    f_.gauge1.set_value(0);
    f_.gauge1.repaint();
  }
  void progress(std::int64_t done) override {
    f_.gauge1.set_value(done);
    if (done >= f_.gauge1.max()) return;  // the end: no countdown step
    if (countdown_ >= f_.evenements_par_seconde) {
      countdown_ = 0;
      // The countdown is kept here, never read back from the box that shows it.
      seconds_left_ = std::max(0.0, seconds_left_ - 1);
      show_seconds(f_.Text1, seconds_left_);
    } else {
      countdown_ += f_.lignes_par_bloc;
    }
  }
  // The boxes held while the piece went out, with their state before.
  std::vector<std::pair<Control*, bool>> held;

 private:
  std::int32_t countdown_ = 0;
  double seconds_left_ = f_.duree_prog_estimee;
};

}  // namespace

void fill_form4(board::Form4& f, const board::CardInfo& info) {
  f.carte.set_caption("0");
  f.mA.set_caption("0");
  f.mB.set_caption("0");
  f.Label7.set_caption("");
  f.Label7.set_visible(false);
  for (Label* l : {&f.Label8, &f.Label9, &f.Label10, &f.Label11, &f.Label12}) l->set_visible(false);
  f.Label11.set_caption("0");
  // The titles and line labels of an earlier card would otherwise stay on show beside the
  // sizes of this one.
  f.titredeA.set_caption("");
  f.titredeB.set_caption("");
  f.Label2.set_visible(true);
  f.Label242.set_visible(false);
  f.Label3.set_visible(true);
  f.Label342.set_visible(false);
  if (!info.card_present) return;

  const board::CardInfoBlock& b = info.block;
  const auto& titres = info.titres;
  f.carte.set_caption(std::to_string(b.card_size));
  f.mA.set_caption(b.count_a() == 0 ? "0" : std::to_string(b.room_a()));
  if (b.demo) {
    f.mB.set_caption(std::to_string(5 * (b.count_demo() + 2)));
    f.Label7.set_caption("(*)");
    f.Label7.set_visible(true);
    f.Label8.set_visible(true);
    f.titredeB.set_caption("Sans titre");
  }
  if (b.has_b()) {
    f.Label342.set_visible(b.b42);
    f.Label3.set_visible(!b.b42);
    f.mB.set_caption(std::to_string(board::piece_size(b.count_b(), b.b42)));
    f.Label7.set_caption("");
    f.Label12.set_visible(true);
    f.titredeB.set_caption(quoted(titres[3] + titres[4]));
  }
  if (b.has_a()) {
    if (!b.demo && !b.has_b()) {
      f.Label9.set_visible(true);
      f.Label10.set_visible(true);
      f.Label11.set_caption(std::to_string(b.free_space()));
      f.Label11.set_visible(true);
    }
    if (b.demo) {
      f.titredeA.set_caption(b.b_normal ? quoted(titres[1] + titres[2]) : "Sans titre");
    } else {
      f.titredeA.set_caption(quoted(titres[1] + titres[2]));
      f.Label242.set_visible(b.a42);
      f.Label2.set_visible(!b.a42);
    }
  }
}

void Form1::Infos_carte_Click() {
  ActivityScope reading(*this, Activity::reading_card);
  board::run_board_operation(*this, [this] {
    Infos_carte.set_enabled(false);
    // No other board command may start while the block is read: its exchange would mix with
    // this one on the link. They get their state back at the end.
    std::vector<std::pair<Control*, bool>> others;
    for (Control* c : std::initializer_list<Control*>{&programmer, &Effacer_carte, &Tester_carte,
                                                      &Copier_carte, &fenetre_params}) {
      others.emplace_back(c, c->enabled());
      c->set_enabled(false);
    }
    auto done = [&] {
      for (auto& [c, enabled] : others) c->set_enabled(enabled);
      Infos_carte.set_enabled(true);
    };
    fill_form4(form4, board::CardInfo{});
    const board::CardInfo info = board::read_card_info(*link);
    if (!info.card_present) {
      ports.dialogs.message(board::kMsgNoCard);
      msg_variable.set_text(kMsgSelect);
      done();
      return;
    }
    titres = info.titres;
    fill_form4(form4, info);
    form4.window.move(window.left + 400, window.top - 400);
    form4.window.show();
    done();
  });
}

void Form1::lit_titres() {
  board::run_board_operation(*this, [this] {
    const board::CardInfo info = board::read_card_info(*link);
    if (!info.card_present) {
      ports.dialogs.message(board::kMsgNoCard);
      msg_variable.set_text(kMsgSelect);
      return;
    }
    titres = info.titres;
    titre_lu_A = info.title_a();
    titre_lu_B = info.title_b();
  });
}

namespace {

std::optional<std::string> window_extra_notes(Form1& f, bool& ok) {
  ok = true;
  if (!f.options_validees) return std::nullopt;
  std::string bad;
  auto b = board::extra_note_bytes({f.note30.text(), f.note31.text(), f.note32.text()}, bad);
  if (!b) {
    f.append_message(board::kMsgBadExtraNote + bad);
    ok = false;
  }
  return b;
}

std::string window_title(const Form1& f) {
  return board::fixed_text(utf8_to_latin1(utf8_fixed(f.Titre.text(), 10)), 10);
}

}  // namespace

namespace {

board::ProgramOutcome program_card_once(Form1& f);

}  // namespace

board::ProgramOutcome program_card(Form1& f) {
  using board::ProgramOutcome;
  if (f.programming_running) return ProgramOutcome::busy;
  const bool copying = f.state.copy_mode;
  const ProgramOutcome o = program_card_once(f);
  if (copying && o != ProgramOutcome::reloaded) {
    // The second half of a copy ends here, whichever way: the card buttons come back (they
    // already did after a programmed piece).
    f.state.copy_mode = false;
    if (f.link->is_open())
      for (Control* c : std::initializer_list<Control*>{&f.Infos_carte, &f.Effacer_carte,
                                                        &f.Tester_carte, &f.Copier_carte})
        c->set_enabled(true);
  }
  return o;
}

namespace {

board::ProgramOutcome program_card_once(Form1& f) {
  using board::ProgramOutcome;
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
  board::ProgramRequest rq;
  rq.demo = f.mode_demo;
  rq.layout = score::record_layout(f.mode42.value(), f.Option32.value(), rq.demo);
  rq.records = f.Liste_tran;
  rq.slot_a = f.choixa.value();
  rq.image_size = f.taille_requise;
  rq.title = window_title(f);
  bool notes_ok = true;
  rq.extra_notes = window_extra_notes(f, notes_ok);
  if (!notes_ok) return ProgramOutcome::cancelled;

  show_seconds(f.Text1, f.duree_prog_estimee);
  WindowPrompts prompts(f);
  f.lignes_par_bloc = rq.demo ? 1 : rq.layout == score::RecordLayout::notes42 ? 10 : 14;
  board::ProgramResult r;
  if (f.link->operation_depth > 0) {
    // Run from inside another board command: a failure is its to report.
    r = board::program_piece(*f.link, rq, prompts);
  } else
    try {
      ++f.link->operation_depth;
      f.link->operation_failed = false;
      r = board::program_piece(*f.link, rq, prompts);
      --f.link->operation_depth;
    } catch (const board::BoardFailure& e) {
      --f.link->operation_depth;
      f.link->operation_failed = true;
      f.Timer1.set_enabled(false);
      f.link->end_text();
      f.ports.dialogs.set_busy(false);
      if (f.link->is_open()) {
        for (Control* c : std::initializer_list<Control*>{&f.Infos_carte, &f.Effacer_carte,
                                                          &f.Tester_carte, &f.Copier_carte})
          c->set_enabled(true);
        for (auto& [c, enabled] : prompts.held) c->set_enabled(enabled);
      }
      if (!prompts.held.empty()) {
        // The transfer had begun: what is on the card now is not a whole piece.
        const std::string m = std::string(board::kMsgIncompletePiece) + (rq.demo     ? "démo"
                                                                         : rq.slot_a ? "A"
                                                                                     : "B");
        f.append_message(m);
        f.write_log({m});
      }
      f.append_message(e.what());
      f.msg_variable.set_text(kMsgSelect);
      return ProgramOutcome::failed;
    }
  f.titres = r.titres;

  if (!r.message.empty()) {
    // The image was not sent.
    f.append_message(r.message);
    return r.outcome;
  }
  switch (r.outcome) {
    case ProgramOutcome::cancelled:
    case ProgramOutcome::no_card:
      f.msg_variable.set_text(rq.demo ? board::kMsgAbandoned : kMsgSelect);
      return r.outcome;
    default:
      break;
  }

  f.gauge1.set_value(static_cast<std::int64_t>(rq.records.size()));
  f.Text1.set_text("0");
  f.msg_variable.set_text(board::kMsgProgrammed);
  if (rq.demo) {
    if (f.option32_avant_demo) f.Option32.set_value(true);
    if (f.mode42_avant_demo) f.mode42.set_value(true);
    f.mode_demo = false;
  }
  f.link->reponse_7 = false;
  f.append_message(f.msg_variable.text());
  f.Timer1.set_enabled(false);
  // `programmer` stays as the card image builder left it: an image built during the
  // transfer (a demo too long for its area) may have disabled it.
  for (Control* c : std::initializer_list<Control*>{&f.Infos_carte, &f.Effacer_carte,
                                                    &f.Tester_carte, &f.Copier_carte})
    c->set_enabled(true);
  f.Sauve_midi.set_enabled(false);
  for (auto& [c, enabled] : prompts.held) c->set_enabled(enabled);
  return ProgramOutcome::programmed;
}

}  // namespace

bool Form1::board_operation_running() const {
  return programming_running || link->operation_depth > 0;
}

bool Form1::ask_quit() {
  if (!board_operation_running()) return true;
  if (quit_pending) return false;
  if (!ports.dialogs.ask_yes_no(board::kMsgQuitDuringOperation)) return false;
  // The running wait ends with a failure; the operation reports it (programming names the
  // piece left incomplete, in the messages and the log), then the quit goes on.
  quit_pending = true;
  link->request_stop();
  return false;
}

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
  if (program_card(*this) == board::ProgramOutcome::programmed) {
    // The piece is on the card: a copy is done, and the image has been used.
    state.copy_mode = false;
    state.image.saveable = false;
  }
}

void Form1::envoie_titre() {
  board::run_board_operation(*this, [this] {
    bool ok = true;
    const auto notes = window_extra_notes(*this, ok);
    if (!ok) return;
    board::send_title(*link, choixa.value(), window_title(*this), notes);
  });
}

}  // namespace solmir
