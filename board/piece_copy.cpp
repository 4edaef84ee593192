// The "Copier" button: its first half reads a piece back from the card, its second half is
// the "Programmer" button.
#include "board/piece_copy.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "app/window_prompts.h"
#include "base/numbers.h"
#include "base/text.h"
#include "board/card_info.h"
#include "board/commands.h"
#include "board/operation.h"
#include "board/programming.h"

namespace solmir {

namespace board {

PieceRead read_piece(Link& link, bool slot_a, WorkPrompts& prompts) {
  PieceRead p;
  link.discard_buffers();
  link.reponse_7 = false;
  link.send_word(slot_a ? cmd::CPyCP : cmd::CPYCP);
  prompts.work_started();

  link.etat_A = link.etat_B = link.etat_C = link.etat_D = false;
  const char digit = link.wait_char();
  link.send_lf();
  if (size_digit_value(digit) == 0) {
    prompts.tell(kMsgNoCard);
    link.send_lf();
    p.outcome = ReadOutcome::no_card;
    return p;
  }
  const char letter = link.wait_letter("ABCDE");
  link.send_lf();
  if (letter != 'C' && letter != 'D' && letter != 'E') {
    prompts.tell(kMsgNoPieceToCopy);
    link.send_lf();
    link.reponse_7 = false;
    p.outcome = ReadOutcome::no_piece;
    return p;
  }
  p.letter = letter;
  const bool notes42 = letter == 'E';

  // The count: the acknowledgement of the letter asked for it.
  link.begin_text(5);
  const std::int64_t count =
      std::max<std::int64_t>(0, static_cast<std::int64_t>(val(link.wait_text())));
  p.count = count;
  p.duree = std::trunc(16.0 * static_cast<double>(count) / 1000.0) + 1;
  p.per_second = static_cast<std::int32_t>(round_half_even(static_cast<double>(count) / p.duree));
  auto seconds = static_cast<std::int64_t>(p.duree);
  prompts.seconds_left(seconds);
  link.send_lf();
  if (notes42) link.set_text_length(7);

  p.records.reserve(static_cast<std::size_t>(count));
  prompts.status(std::string(kMsgReading) + (slot_a ? "A" : "B") + " en cours");
  prompts.progress_start(count + 2);
  std::int32_t countdown = 0;
  auto count_down = [&] {
    seconds = std::max<std::int64_t>(0, seconds - 1);
    prompts.seconds_left(seconds);
  };
  count_down();
  // N + 3 passes: the first uses the count still held, the next two the texts the program
  // does not use, then one record each.
  for (std::int64_t j = 0; j <= count + 2; ++j) {
    const std::string& text = link.wait_text();
    if (j > 2) p.records.push_back(texte_vers_bin(text));
    prompts.progress(j);
    if (countdown == p.per_second) {
      countdown = 0;
      count_down();
    } else {
      ++countdown;
    }
    link.expect_text();
    link.send_lf();
  }
  if (notes42) {
    link.set_text_length(5);
    link.expect_text();
  }
  std::string t[5];
  for (int i = 1; i <= 4; ++i) {
    t[i] = link.wait_text();
    link.expect_text();
    link.send_lf();
  }
  p.title = notes42 ? t[2].substr(2) + t[3] + t[4] : t[2] + t[3];
  link.pause(0);
  link.end_text();
  p.outcome = ReadOutcome::read;
  return p;
}

namespace {

// The window's side of a read-back.
class ReadWindow : public WindowAnswers<WorkPrompts> {
 public:
  using WindowAnswers::WindowAnswers;
  void progress_start(std::int64_t total) override {
    f_.gauge1.set_value(0);
    f_.gauge1.set_max(total);
    f_.gauge1.repaint();
  }
  void progress(std::int64_t done) override { f_.gauge1.set_value(done); }
  void seconds_left(std::int64_t s) override { f_.Text1.set_text(std::to_string(s)); }
  void work_started() override {
    f_.morceauAB.set_text(f_.choixa.value() ? "A" : "B");
    // No other board command may start while the piece is read (the parameters included).
    for (Control* c :
         std::initializer_list<Control*>{&f_.programmer, &f_.Infos_carte, &f_.Effacer_carte,
                                         &f_.Tester_carte, &f_.fenetre_params})
      c->set_enabled(false);
    f_.Label4.set_caption("");
    f_.Titre.set_text(std::string(10, ' '));
  }

 private:
};

}  // namespace

ReadOutcome read_piece_back(Form1& f) {
  ReadOutcome outcome = ReadOutcome::read;
  // What a run that reads nothing gives back.
  std::vector<std::pair<Control*, bool>> before;
  for (Control* c : std::initializer_list<Control*>{
           &f.programmer, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte, &f.fenetre_params})
    before.emplace_back(c, c->enabled());
  const std::string titre = f.Titre.text();
  const std::string label4 = f.Label4.caption();

  ReadWindow window(f);
  const bool ok = run_board_operation(f, [&] {
    f.Copier_carte.set_enabled(false);
    const PieceRead p = read_piece(*f.link, f.choixa.value(), window);
    outcome = p.outcome;
    if (p.outcome != ReadOutcome::read) {
      f.msg_variable.set_text(kMsgSelect);
      return;
    }
    f.Text1.set_text("0");
    f.Timer1.set_enabled(false);
    f.msg_variable.set_text("");

    // The whole piece is there: it becomes the card image, described by its own numbers.
    if (p.letter == 'C') {
      f.Option32.set_value(false);
      f.mode42.set_value(false);
    } else if (p.letter == 'D') {
      f.Option32.set_value(true);
    } else {
      f.mode42.set_value(true);
    }
    f.mode_demo = false;
    f.Liste_tran = p.records;
    f.nb_macro_evenements = static_cast<std::int32_t>(p.count);
    f.taille_requise = static_cast<std::int32_t>(piece_size(p.count, p.notes42()));
    f.duree_prog_estimee = p.duree;
    f.evenements_par_seconde = p.per_second;
    f.Titre.set_text(latin1_to_utf8(p.title));
    f.fenetre_params.set_enabled(before.back().second);
  });
  if (!ok) outcome = ReadOutcome::failed;
  if (outcome != ReadOutcome::read) {
    f.Titre.set_text(titre);
    f.Label4.set_caption(label4);
  }
  if (outcome == ReadOutcome::no_card || outcome == ReadOutcome::no_piece)
    for (auto& [c, enabled] : before) c->set_enabled(enabled);
  if (!ok) f.msg_variable.set_text(kMsgSelect);
  return outcome;
}

ReadOutcome copy_piece(Form1& f) {
  const ReadOutcome r = read_piece_back(f);
  // A board that fell silent has been reported, and the buttons given back.
  if (r == ReadOutcome::failed) return r;
  ReadOutcome outcome = r;
  if (r == ReadOutcome::read) {
    const bool go_on = f.ports.dialogs.ask_ok_cancel(kMsgInsertTarget);
    // A reload pending for the last MIDI file would replace the piece just read.
    f.programmer.set_caption("Programmer");
    f.programmer.set_enabled(true);
    f.Sauve_midi.set_enabled(true);
    if (go_on) {
      f.state.copy_mode = true;
      f.msg_variable.set_text(kMsgChooseTarget);
    } else {
      for (Control* c :
           std::initializer_list<Control*>{&f.Effacer_carte, &f.Tester_carte, &f.Copier_carte})
        c->set_enabled(true);
      f.msg_variable.set_text(kMsgAbandoned);
      outcome = ReadOutcome::cancelled;
    }
  }
  f.Infos_carte.set_enabled(true);
  f.append_message(f.msg_variable.text());
  return outcome;
}

}  // namespace board

void Form1::Copier_carte_Click() {
  ActivityScope copying(*this, Activity::copying);
  if (board::copy_piece(*this) == board::ReadOutcome::read) {
    // The piece read back is the card image now, waiting for its target card.
    card_image_made(ImageSource::card_copy, true);
    state.copy_mode = true;
    notify_image();
  }
}

}  // namespace solmir
