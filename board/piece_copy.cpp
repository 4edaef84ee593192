// The "Copier" button: its first half reads a piece back from the card, its second half is
// the "Programmer" button.
#include "board/piece_copy.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "base/numbers.h"
#include "base/text.h"
#include "board/card_info.h"
#include "board/commands.h"
#include "board/operation.h"
#include "board/programming.h"

namespace solmir {

namespace board {

namespace {

void count_down(TextBox& box) {
  box.set_text(std::to_string(static_cast<std::int64_t>(std::max(0.0, val(box.text()) - 1))));
}

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

  const bool ok = run_board_operation(f, [&] {
    Link& link = *f.link;
    f.Copier_carte.set_enabled(false);
    link.discard_buffers();
    link.reponse_7 = false;
    const bool slot_a = f.choixa.value();
    link.send_word(slot_a ? cmd::CPyCP : cmd::CPYCP);
    f.morceauAB.set_text(slot_a ? "A" : "B");
    // No other board command may start while the piece is read (the parameters included).
    for (Control* c : std::initializer_list<Control*>{
             &f.programmer, &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.fenetre_params})
      c->set_enabled(false);
    f.Label4.set_caption("");
    f.Titre.set_text(std::string(10, ' '));

    link.etat_A = link.etat_B = link.etat_C = link.etat_D = false;
    const char digit = link.wait_char();
    link.send_lf();
    if (size_digit_value(digit) == 0) {
      f.ports.dialogs.message(kMsgNoCard);
      f.msg_variable.set_text(kMsgSelect);
      link.send_lf();
      outcome = ReadOutcome::no_card;
      return;
    }
    const char letter = link.wait_letter("ABCDE");
    link.send_lf();
    if (letter != 'C' && letter != 'D' && letter != 'E') {
      f.ports.dialogs.message(kMsgNoPieceToCopy);
      f.msg_variable.set_text(kMsgSelect);
      link.send_lf();
      link.reponse_7 = false;
      outcome = ReadOutcome::no_piece;
      return;
    }
    const bool notes42 = letter == 'E';

    // The count: the acknowledgement of the letter asked for it.
    link.begin_text(5);
    const std::int64_t count =
        std::max<std::int64_t>(0, static_cast<std::int64_t>(val(link.wait_text())));
    const double duree = std::trunc(16.0 * static_cast<double>(count) / 1000.0) + 1;
    const auto per_second =
        static_cast<std::int32_t>(round_half_even(static_cast<double>(count) / duree));
    f.Text1.set_text(std::to_string(static_cast<std::int64_t>(duree)));
    link.send_lf();
    if (notes42) link.set_text_length(7);

    std::vector<std::string> records;
    records.reserve(static_cast<std::size_t>(count));
    f.msg_variable.set_text(kMsgReading + f.morceauAB.text() + " en cours");
    f.Timer1.set_enabled(true);
    f.gauge1.set_value(0);
    f.gauge1.set_max(count + 2);
    f.gauge1.repaint();
    std::int32_t countdown = 0;
    count_down(f.Text1);
    // N + 3 passes: the first uses the count still held, the next two the texts the program
    // does not use, then one record each.
    for (std::int64_t j = 0; j <= count + 2; ++j) {
      const std::string& text = link.wait_text();
      if (j > 2) records.push_back(texte_vers_bin(text));
      f.gauge1.set_value(j);
      if (countdown == per_second) {
        countdown = 0;
        count_down(f.Text1);
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
    const std::string title = notes42 ? t[2].substr(2) + t[3] + t[4] : t[2] + t[3];

    f.ports.loop.process_events();
    f.Text1.set_text("0");
    f.Timer1.set_enabled(false);
    f.msg_variable.set_text("");
    link.end_text();

    // The whole piece is there: it becomes the card image, described by its own numbers.
    if (letter == 'C') {
      f.Option32.set_value(false);
      f.mode42.set_value(false);
    } else if (letter == 'D') {
      f.Option32.set_value(true);
    } else {
      f.mode42.set_value(true);
    }
    f.mode_demo = false;
    f.Liste_tran = std::move(records);
    f.nb_macro_evenements = static_cast<std::int32_t>(count);
    f.taille_requise = static_cast<std::int32_t>(piece_size(count, notes42));
    f.duree_prog_estimee = duree;
    f.evenements_par_seconde = per_second;
    f.Titre.set_text(latin1_to_utf8(title));
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
      f.mode_copie = true;
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
  board::copy_piece(*this);
}

}  // namespace solmir
