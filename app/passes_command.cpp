// The separation and alignment passes of the main window, run by note extraction when their
// thresholds are above 0.
#include "app/form1.h"
#include "score/passes.h"

namespace solmir {

namespace {

template <class Pass>
score::PassResult run_pass(Form1& f, Pass pass) {
  f.gauge1.set_max(static_cast<std::int64_t>(f.Liste1.size()));
  f.gauge1.set_value(0);
  return pass(std::move(f.Liste1), [&f](std::size_t position) {
    f.gauge1.set_value(static_cast<std::int64_t>(position));
  });
}

}  // namespace

void Form1::separation_pass() {
  const double S = box_number(separe_note, "L'écartement entre notes");
  if (S <= 0) return;
  append_message(score::separation_message(separe_note.text()));
  ports.loop.process_events();
  score::PassResult r = run_pass(*this, [S](score::NoteList l, auto progress) {
    return score::separate_notes(std::move(l), S, progress);
  });
  Liste1 = std::move(r.Liste1);
  write_log(score::separation_log(S, r.count));
}

void Form1::alignment_pass() {
  const double A = box_number(aligne_note, "Le réalignement des débuts de notes");
  if (A <= 0) return;
  append_message(score::alignment_message(aligne_note.text()));
  ports.loop.process_events();
  score::PassResult r = run_pass(*this, [A](score::NoteList l, auto progress) {
    return score::align_notes(std::move(l), A, progress);
  });
  Liste1 = std::move(r.Liste1);
  write_log(score::alignment_log(A, r.count));
}

}  // namespace solmir
