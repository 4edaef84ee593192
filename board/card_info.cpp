// The card information: the "Infos" button, which shows what the card holds in Form4, and
// lit_titres, which reads the same block for the two titles only.
#include "board/card_info.h"

#include "app/form1.h"
#include "base/numbers.h"
#include "base/text.h"
#include "board/commands.h"
#include "board/operation.h"

namespace solmir {

namespace board {

std::int64_t card_size_for_digit(int d) {
  if (d < 1 || d > 9) return 0;
  return std::int64_t{2048} << (d - 1);
}

std::int64_t piece_size(std::int64_t n, bool notes42) {
  return notes42 ? 7 * n + 10 : 5 * (n + 2);
}

std::int64_t room_a(std::int64_t n, bool notes42) {
  return 16 * round_half_even(static_cast<double>(piece_size(n, notes42) + 16) / 16.0);
}

namespace {
std::int64_t count_of(const std::optional<std::string>& t) {
  return t ? static_cast<std::int64_t>(val(*t)) : 0;
}
}  // namespace

std::int64_t CardInfoBlock::count_a() const {
  return count_of(n_a);
}
std::int64_t CardInfoBlock::count_demo() const {
  return count_of(n_demo);
}
std::int64_t CardInfoBlock::count_b() const {
  return count_of(n_b);
}

std::int64_t CardInfoBlock::room_a() const {
  return n_a ? board::room_a(count_a(), a42) : 0;
}

int size_digit_value(char d) {
  return static_cast<int>(val(std::string(1, d)));
}

namespace {

// A record count: 5-character text mode, LF to ask for it, LF once it is there.
std::string read_count(Link& link) {
  link.begin_text(5);
  link.send_lf();
  std::string n = link.wait_text();
  link.end_text();
  link.send_lf();
  return n;
}

// One slot of the block: its letter, then its record count when a piece is there.
void read_slot(Link& link, const char* letters, char letter_42, char letter_normal, bool& is_42,
               bool& is_normal, std::optional<std::string>& count) {
  const char c = link.wait_letter(letters);
  if (c == letter_42 || (letter_normal != '\0' && c == letter_normal)) {
    (c == letter_42 ? is_42 : is_normal) = true;
    count = read_count(link);
  } else if (c == 'A') {
    link.send_lf();
  }
}

}  // namespace

void read_card_block_rest(Link& link, CardInfoBlock& b, std::array<std::string, 5>& titres) {
  // Slot A, the demo area, slot B. A letter outside a step's set ends the step without an
  // acknowledgement.
  read_slot(link, "ABCDEF", 'E', 'B', b.a42, b.a_normal, b.n_a);
  bool no_demo_in_another_format = false;
  read_slot(link, "ABCD", 'C', '\0', b.demo, no_demo_in_another_format, b.n_demo);
  read_slot(link, "ABCDEF", 'F', 'D', b.b42, b.b_normal, b.n_b);
  // The titles, without an LF first: the last acknowledgement asked for the first chunk.
  link.begin_text(5);
  for (std::size_t i = 1; i <= 4; ++i) {
    titres[i] = link.wait_text();
    link.expect_text();
    link.send_lf();
  }
  link.end_text();
}

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

}  // namespace

void Form1::Infos_carte_Click() {
  ActivityScope reading(*this, Activity::reading_card);
  board::run_board_operation(*this, [this] {
    board::Form4& f = form4;
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
    link->discard_buffers();
    f.carte.set_caption("0");
    f.mA.set_caption("0");
    f.mB.set_caption("0");
    f.Label7.set_caption("");
    f.Label7.set_visible(false);
    for (Label* l : {&f.Label8, &f.Label9, &f.Label10, &f.Label11, &f.Label12})
      l->set_visible(false);
    f.Label11.set_caption("0");
    // The titles and line labels of an earlier card would otherwise stay on show beside the
    // sizes of this one.
    f.titredeA.set_caption("");
    f.titredeB.set_caption("");
    f.Label2.set_visible(true);
    f.Label242.set_visible(false);
    f.Label3.set_visible(true);
    f.Label342.set_visible(false);

    link->send_word(board::cmd::NUuLL);
    link->send_word(board::cmd::INfCP);
    board::CardInfoBlock b;
    b.size_digit = link->wait_char();
    link->send_lf();
    const int d = board::size_digit_value(b.size_digit);
    if (d == 0) {
      ports.dialogs.message(board::kMsgNoCard);
      msg_variable.set_text(kMsgSelect);
      link->send_lf();
      done();
      return;
    }
    b.card_size = board::card_size_for_digit(d);
    f.carte.set_caption(std::to_string(b.card_size));
    board::read_card_block_rest(*link, b, titres);
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
    f.window.move(window.left + 400, window.top - 400);
    f.window.show();
    done();
  });
}

void Form1::lit_titres() {
  board::run_board_operation(*this, [this] {
    link->discard_buffers();
    link->send_word(board::cmd::NUuLL);
    link->send_word(board::cmd::INfCP);
    board::CardInfoBlock b;
    b.size_digit = link->wait_char();
    link->send_lf();
    if (board::size_digit_value(b.size_digit) == 0) {
      ports.dialogs.message(board::kMsgNoCard);
      msg_variable.set_text(kMsgSelect);
      link->send_lf();
      return;
    }
    board::read_card_block_rest(*link, b, titres);
    titre_lu_A = titres[1] + titres[2];
    titre_lu_B = titres[3] + titres[4];
  });
}

}  // namespace solmir
