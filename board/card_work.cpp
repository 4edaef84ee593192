// Card erase and card test over the link.
#include "board/card_work.h"

#include <algorithm>
#include <cmath>

#include "board/card_info.h"
#include "board/commands.h"

namespace solmir::board {

const WorkSpec kErase{cmd::DElCP, 25, 0.0097, kMsgEraseQuestion, kMsgErasing, false};
// The test writes patterns over the whole card: the same question as the erase.
const WorkSpec kTest{cmd::TStCP, 50, 0.0244, kMsgEraseQuestion, kMsgTesting, true};

namespace {

double progress_total(int size_code) {
  return 128.0 * std::pow(2.0, size_code - 1);
}

}  // namespace

int work_estimate(const WorkSpec& w, int size_code) {
  return static_cast<int>(std::trunc(progress_total(size_code) * w.seconds_per_unit)) + 1;
}

std::string describe_answer(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u > ' ' && u < 127) return std::string("\"") + c + "\"";
  return "(code " + std::to_string(u) + ")";
}

WorkResult card_work(Link& link, const WorkSpec& w, WorkPrompts& prompts) {
  WorkResult r;
  if (!prompts.ask_yes_no(w.question)) return r;
  link.send_word(w.word);
  prompts.work_started();

  const char first = link.wait_char();
  link.send_lf();
  const bool digit = first >= '0' && first <= '9';
  const int code = digit ? first - '0' : 0;
  if (digit && code == 0) {
    prompts.tell(kMsgNoCard);
    link.send_lf();
    r.outcome = WorkOutcome::no_card;
    return r;
  }
  r.size_code = code;
  // Without a size code, the bar counts the board's steps and no time is shown.
  const double total = digit ? progress_total(code) : w.steps;
  prompts.progress_start(static_cast<std::int64_t>(total));
  const double total_time = digit ? work_estimate(w, code) : 0;
  if (digit) prompts.seconds_left(static_cast<std::int64_t>(total_time));
  const double step = total / w.steps;
  const double time_per_step = total_time / w.steps;
  prompts.status(w.status);

  double progress = 0;
  int counter = 1;
  for (;;) {
    const char c = link.wait_char(kLongWorkSilenceMs);
    link.send_lf();
    if (c == '5') {
      ++counter;
      progress = std::min(total, progress + step);
      prompts.progress(static_cast<std::int64_t>(progress));
      if (digit) {
        const double left = std::floor(total_time - counter * time_per_step);
        prompts.seconds_left(static_cast<std::int64_t>(std::max(0.0, left)));
      }
    } else if (c == '7') {
      r.outcome = WorkOutcome::finished;
      break;
    } else if (c == '8' && w.test) {
      r.outcome = WorkOutcome::defective;
      break;
    }
  }
  if (!digit) {
    r.message =
        std::string(kMsgUnexpectedAnswer) + describe_answer(first) +
        " au lieu de la taille de la carte ; la carte a ensuite signalé " +
        (r.outcome == WorkOutcome::defective ? "une carte défectueuse" : "la fin du travail") +
        " : vérifier la carte";
    r.outcome = WorkOutcome::unexpected;
  }
  return r;
}

}  // namespace solmir::board
