// The "Effacer" and "Tester" buttons.
#include "board/card_work.h"

#include <algorithm>
#include <cmath>

#include "app/form1.h"
#include "board/card_info.h"
#include "board/commands.h"
#include "board/operation.h"

namespace solmir {

namespace board {

const CardWork kErase{
    &Form1::Effacer_carte,
    cmd::DElCP,
    {&Form1::programmer, &Form1::Infos_carte, &Form1::Tester_carte, &Form1::Copier_carte},
    25,
    0.0097,
    kMsgEraseQuestion,
    kMsgErasing,
    false};

// The test writes patterns over the whole card: the same question as the erase.
const CardWork kTest{
    &Form1::Tester_carte,
    cmd::TStCP,
    {&Form1::programmer, &Form1::Infos_carte, &Form1::Effacer_carte, &Form1::Copier_carte},
    50,
    0.0244,
    kMsgEraseQuestion,
    kMsgTesting,
    true};

namespace {

double progress_total(int size_code) {
  return 128.0 * std::pow(2.0, size_code - 1);
}

}  // namespace

int work_estimate(const CardWork& w, int size_code) {
  return static_cast<int>(std::trunc(progress_total(size_code) * w.seconds_per_unit)) + 1;
}

WorkOutcome run_card_work(Form1& f, const CardWork& w) {
  // The image in memory stays good whatever the board does to the card: the button that
  // writes it gets back the state it had.
  const bool programmer_was = f.programmer.enabled();
  const bool params_was = f.fenetre_params.enabled();
  WorkOutcome outcome = WorkOutcome::declined;
  const bool ok = run_board_operation(f, [&] {
    (f.*w.own).set_enabled(false);
    if (!f.ports.dialogs.ask_yes_no(w.question)) return;
    Link& link = *f.link;
    link.send_word(w.word);
    for (Button Form1::*b : w.others) (f.*b).set_enabled(false);
    // No parameter exchange may start while the board works either.
    f.fenetre_params.set_enabled(false);

    const char first = link.wait_char();
    link.send_lf();
    // Anything but a size code 1..9 means the work has not begun.
    const int code = size_digit_value(first);
    if (code == 0) {
      f.ports.dialogs.message(kMsgNoCard);
      f.msg_variable.set_text(kMsgSelect);
      link.send_lf();
      outcome = WorkOutcome::no_card;
      return;
    }
    const double total = progress_total(code);
    f.gauge1.set_max(static_cast<std::int64_t>(total));
    f.gauge1.set_value(0);
    const double total_time = work_estimate(w, code);
    f.Text1.set_text(std::to_string(static_cast<std::int64_t>(total_time)));
    const double step = total / w.steps;
    const double time_per_step = total_time / w.steps;
    f.msg_variable.set_text(w.status);
    f.Timer1.set_enabled(true);

    double progress = 0;
    int counter = 1;
    for (;;) {
      const char c = link.wait_char(kLongWorkSilenceMs);
      link.send_lf();
      if (c == '5') {
        ++counter;
        progress = std::min(total, progress + step);
        f.gauge1.set_value(static_cast<std::int64_t>(progress));
        f.gauge1.repaint();
        const double left = std::floor(total_time - counter * time_per_step);
        f.Text1.set_text(std::to_string(static_cast<std::int64_t>(std::max(0.0, left))));
      } else if (c == '7') {
        outcome = WorkOutcome::finished;
        break;
      } else if (c == '8' && w.test) {
        outcome = WorkOutcome::defective;
        break;
      }
    }
  });
  if (!ok) outcome = WorkOutcome::failed;
  f.Timer1.set_enabled(false);
  if (ok) {
    for (Button* b : {&f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte})
      b->set_enabled(true);
    f.fenetre_params.set_enabled(params_was);
  }
  if (f.link->is_open()) f.programmer.set_enabled(programmer_was);
  if (outcome == WorkOutcome::finished) {
    f.append_message(w.test ? kMsgCardGood : kMsgErased);
  } else if (outcome == WorkOutcome::defective) {
    f.append_message(kMsgCardDefective);
  }
  return outcome;
}

}  // namespace board

void Form1::Effacer_carte_Click() {
  ActivityScope work(*this, Activity::erasing_testing);
  board::run_card_work(*this, board::kErase);
}

void Form1::Tester_carte_Click() {
  ActivityScope work(*this, Activity::erasing_testing);
  board::run_card_work(*this, board::kTest);
}

}  // namespace solmir
