// The "Effacer" and "Tester" buttons over the board's erase and test exchange.
//
// Enables: the button pressed is disabled before the question, the other card buttons and
// the parameters once the word has gone (WorkWindow::work_started); all come back at the end
// (run_board_operation gives them back on a failure), `programmer` as it was.
#include <algorithm>

#include "app/card_commands.h"
#include "app/form1.h"
#include "app/window_prompts.h"
#include "board/card_info.h"
#include "board/card_work.h"
#include "board/operation.h"

namespace solmir {

namespace {

class WorkWindow : public WindowAnswers<board::WorkPrompts> {
 public:
  WorkWindow(Form1& f, bool test) : WindowAnswers(f), test_(test) {}
  void progress_start(std::int64_t total) override {
    f_.gauge1.set_max(total);
    f_.gauge1.set_value(0);
  }
  void progress(std::int64_t done) override {
    f_.gauge1.set_value(done);
    f_.gauge1.repaint();
  }
  void seconds_left(std::int64_t s) override { f_.Text1.set_text(std::to_string(s)); }
  void work_started() override {
    for (Button* b : {&f_.programmer, &f_.Infos_carte, test_ ? &f_.Effacer_carte : &f_.Tester_carte,
                      &f_.Copier_carte})
      b->set_enabled(false);
    // No parameter exchange may start while the board works either.
    f_.fenetre_params.set_enabled(false);
  }

 private:
  bool test_;
};

}  // namespace

board::WorkOutcome run_card_work(Form1& f, const board::WorkSpec& w) {
  using board::WorkOutcome;
  // The image in memory stays good whatever the board does to the card: the button that
  // writes it gets back the state it had.
  const bool programmer_was = f.programmer.enabled();
  const bool params_was = f.fenetre_params.enabled();
  board::WorkResult r;
  WorkWindow window(f, w.test);
  const bool ok = board::run_board_operation(f, [&] {
    (w.test ? f.Tester_carte : f.Effacer_carte).set_enabled(false);
    r = board::card_work(*f.link, w, window);
    if (r.outcome == WorkOutcome::no_card) f.msg_variable.set_text(kMsgSelect);
  });
  if (!ok) r.outcome = WorkOutcome::failed;
  f.Timer1.set_enabled(false);
  if (ok) {
    for (Button* b : {&f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte})
      b->set_enabled(true);
    f.fenetre_params.set_enabled(params_was);
  }
  if (f.link->is_open()) f.programmer.set_enabled(programmer_was);
  if (r.outcome == WorkOutcome::finished) {
    f.append_message(w.test ? board::kMsgCardGood : board::kMsgErased);
  } else if (r.outcome == WorkOutcome::defective) {
    f.append_message(board::kMsgCardDefective);
  } else if (r.outcome == WorkOutcome::unexpected) {
    f.msg_variable.set_text(kMsgSelect);
    f.append_message(r.message);
  }
  return r.outcome;
}

void Form1::Effacer_carte_Click() {
  ActivityScope work(*this, Activity::erasing_testing);
  run_card_work(*this, board::kErase);
}

void Form1::Tester_carte_Click() {
  ActivityScope work(*this, Activity::erasing_testing);
  run_card_work(*this, board::kTest);
}

}  // namespace solmir
