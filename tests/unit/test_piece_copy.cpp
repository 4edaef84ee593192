// Piece copy against the virtual board in the process (virtual time): the read-back of each
// format with its title, the cases with nothing to copy, a board that falls silent, and the
// second half through the programming button, whose room check uses the copied piece.
#include <gtest/gtest.h>

#include <functional>

#include "board/card_info.h"
#include "board/commands.h"
#include "board/link.h"
#include "board/piece_copy.h"
#include "board/programming.h"
#include "tests/support/board_rig.h"
#include "tests/support/card_image_rig.h"

namespace solmir {
namespace {

using board::virt::BoardOptions;
using board::virt::Card;
using board::virt::Format;
using score::RecordLayout;
using test::BoardRig;
using test::put_image;
using test::sample_image;

struct CopyCase {
  const char* name;
  Format format;
  char slot;
  int records;
  std::string titre;
  bool option32, mode42;
};

class Copy : public ::testing::TestWithParam<CopyCase> {};

TEST_P(Copy, ReadsThePieceBackAsTheCardImage) {
  const CopyCase& c = GetParam();
  BoardRig b;
  b.card().put_piece('A', Format::notes29, 7, "Premier");
  if (c.slot == 'B') b.card().put_piece('B', c.format, c.records, "Second");
  if (c.slot == 'A') b.card().put_piece('A', c.format, c.records, "Premier");
  b.card().set_notes(c.slot, std::string_view("\x3C\x3E\x40", 3));
  Form1& f = b.start();
  f.choixa.set_value(c.slot == 'A');
  const std::size_t before = b.board().lines().size();
  f.Copier_carte.click();

  std::vector<std::string> expected;
  for (int i = 0; i < c.records; ++i) expected.push_back(test::sample_digits(c.format, i));
  EXPECT_EQ(f.Liste_tran, expected);
  EXPECT_EQ(f.Liste_tran[0].size(), c.format == Format::notes42 ? 56u : 40u);
  EXPECT_EQ(f.nb_macro_evenements, c.records);
  EXPECT_EQ(f.Titre.text(), c.titre);
  EXPECT_EQ(f.morceauAB.text(), std::string(1, c.slot));
  EXPECT_EQ(f.Option32.value(), c.option32);
  EXPECT_EQ(f.mode42.value(), c.mode42);
  EXPECT_EQ(f.taille_requise, (c.format == Format::notes42 ? 7 : 5) * c.records + 10);
  EXPECT_EQ(f.duree_prog_estimee, 1);
  EXPECT_EQ(f.Text1.text(), "0");
  EXPECT_EQ(f.Label4.caption(), "");

  // The word, then one LF for each answer: size, letter, count, N + 3 passes, four chunks.
  const auto sent = test::lines_from(b.board().lines(), before);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0], c.slot == 'A' ? "CPyCP" : "CPYCP");
  EXPECT_EQ(sent.size(), 1u + 3 + (c.records + 3) + 4);

  EXPECT_EQ(b.rig.dialogs.messages, std::vector<std::string>{board::kMsgInsertTarget});
  EXPECT_EQ(test::count_of(b.message_lines(), board::kMsgChooseTarget), 1);
  EXPECT_EQ(b.message_lines().back(), board::kMsgChooseTarget);
  EXPECT_TRUE(f.programmer.enabled());
  EXPECT_TRUE(f.Infos_carte.enabled());
  EXPECT_TRUE(f.Sauve_midi.enabled());
  EXPECT_FALSE(f.Copier_carte.enabled());
  EXPECT_FALSE(f.Effacer_carte.enabled());
  EXPECT_FALSE(f.Tester_carte.enabled());
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_FALSE(f.link->reception_texte);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Copy,
    ::testing::Values(
        // Six passes keep three records; the title is chunks 2 and 3.
        CopyCase{"Notes32Of3", Format::notes32, 'A', 3, "Premier   ", true, false},
        CopyCase{"Notes29FromB", Format::notes29, 'B', 20, "Second    ", false, false},
        // From the third character of chunk 2 on: the title, then the three note bytes.
        CopyCase{"Notes42FromB", Format::notes42, 'B', 4, "Second    <>@", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct NothingCase {
  const char* name;
  int size_code;
  std::string message;
};

class NothingToCopy : public ::testing::TestWithParam<NothingCase> {};

TEST_P(NothingToCopy, LeavesTheImageTheTitleAndTheButtons) {
  const NothingCase& c = GetParam();
  BoardOptions o;
  o.size_code = c.size_code;
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 5), RecordLayout::notes29);
  f.Titre.set_text("Gardé");
  f.Label4.set_caption("air.mid");
  const auto image = f.Liste_tran;
  f.choixb.set_value(true);
  const int selects = test::count_of(b.message_lines(), kMsgSelect);
  f.Copier_carte.click();
  EXPECT_EQ(b.rig.dialogs.messages, std::vector<std::string>{c.message});
  EXPECT_EQ(f.Liste_tran, image);
  EXPECT_EQ(f.Titre.text(), "Gardé");
  EXPECT_EQ(f.Label4.caption(), "air.mid");
  EXPECT_EQ(test::count_of(b.message_lines(), kMsgSelect), selects + 1);
  EXPECT_EQ(b.message_lines().back(), kMsgSelect);
  for (const Control* k :
       std::initializer_list<const Control*>{&f.programmer, &f.Infos_carte, &f.Effacer_carte,
                                             &f.Tester_carte, &f.Copier_carte, &f.fenetre_params})
    EXPECT_TRUE(k->enabled()) << k->name();
  // The board has ended its answer: it takes the next command.
  f.Infos_carte.click();
  EXPECT_EQ(f.form4.window.visible(), c.size_code != 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, NothingToCopy,
                         ::testing::Values(NothingCase{"NoPiece", 5, board::kMsgNoPieceToCopy},
                                           NothingCase{"NoCard", 0, board::kMsgNoCard}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Copy, ASilentBoardLeavesTheImageInMemoryWhole) {
  BoardOptions o;
  o.silent_after_lines = 8;  // in the middle of the records
  BoardRig b(o);
  b.card().put_piece('A', Format::notes42, 30, "Quarante");
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 5), RecordLayout::notes29);
  f.Titre.set_text("Gardé");
  const auto image = f.Liste_tran;
  f.Copier_carte.click();
  EXPECT_EQ(b.message_lines().back(), board::kMsgBoardSilent);
  EXPECT_EQ(f.Liste_tran, image);
  EXPECT_EQ(f.nb_macro_evenements, 5);
  EXPECT_FALSE(f.mode42.value());
  EXPECT_EQ(f.Titre.text(), "Gardé");
  EXPECT_TRUE(f.programmer.enabled());
  EXPECT_TRUE(f.Copier_carte.enabled());
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_FALSE(f.link->reception_texte);
}

TEST(Copy, SecondHalfProgramsTheCopiedPieceAndChecksItsOwnSize) {
  BoardRig b;
  // 3000 records of 7 bytes: 21010 bytes.
  b.card().put_piece('A', Format::notes42, 3000, "Long");
  Form1& f = b.start();
  // The last image built was tiny, and a reload was pending for its file.
  put_image(f, sample_image(RecordLayout::notes29, 2), RecordLayout::notes29);
  f.programmer.set_caption("Rafraichir");
  f.Copier_carte.click();
  ASSERT_EQ(f.Liste_tran.size(), 3000u);
  EXPECT_EQ(f.programmer.caption(), "Programmer");

  // The target card holds 16384 bytes: the piece does not fit.
  const Card source = b.card();
  b.card() = Card(4);
  f.programmer.click();
  EXPECT_EQ(b.rig.dialogs.messages.back(), "Taille carte insuffisante( 16384 octets)\r\n");
  EXPECT_FALSE(b.card().piece('A'));

  // A card of 32768 bytes takes it, as the same records and title.
  b.card() = Card(5);
  f.programmer.click();
  const auto p = b.card().piece('A');
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, Format::notes42);
  EXPECT_EQ(p->count, 3000);
  EXPECT_EQ(b.card().read(0, p->size()), source.read(0, p->size()));
  EXPECT_EQ(b.card().title('A'), "Long      ");
  EXPECT_EQ(b.message_lines().back(), board::kMsgProgrammed);
  EXPECT_TRUE(f.Copier_carte.enabled());
  EXPECT_TRUE(f.Effacer_carte.enabled());
}

TEST(Copy, ACopyLeavesTheDemoChoice) {
  BoardRig b;
  b.card().put_piece('B', Format::notes29, 6, "Bis");
  Form1& f = b.start();
  f.Prog_demo_Click();
  f.choixb.set_value(true);
  f.Copier_carte.click();
  ASSERT_EQ(f.Liste_tran.size(), 6u);
  EXPECT_FALSE(f.mode_demo);
  // So the second half writes a slot, not the demo area.
  f.choixa.set_value(true);
  b.rig.dialogs.answers = {true};
  f.programmer.click();
  EXPECT_EQ(test::count_of(b.board().lines(), "PRDCP"), 0);
  EXPECT_EQ(b.card().piece('A')->count, 6);
  EXPECT_EQ(b.card().title('A'), "Bis       ");
}

// Every way the second half of a copy can end without a piece written ends copy mode and
// gives the card buttons back; so does Annuler at "Insérer la carte cible dans le lecteur".
struct CopyEndCase {
  const char* name;
  bool cancel_at_insert;
  std::function<void(Form1&, BoardRig&)> second_half;  // nothing: no second half
};

class CopyEnds : public ::testing::TestWithParam<CopyEndCase> {};

TEST_P(CopyEnds, GivesTheButtonsBack) {
  const CopyEndCase& c = GetParam();
  BoardRig b;
  b.card().put_piece('A', Format::notes29, 7, "Premier");
  Form1& f = b.start();
  f.choixa.set_value(true);
  if (c.cancel_at_insert) b.rig.dialogs.ok_answers = {false};
  f.Copier_carte.click();
  ASSERT_EQ(f.Liste_tran.size(), 7u);
  if (c.second_half) {
    ASSERT_TRUE(f.state.copy_mode);
    ASSERT_FALSE(f.Effacer_carte.enabled());
    c.second_half(f, b);
  } else {
    EXPECT_EQ(b.message_lines().back(), board::kMsgAbandoned);
  }
  EXPECT_FALSE(f.state.copy_mode);
  for (const Control* k : std::initializer_list<const Control*>{&f.Infos_carte, &f.Effacer_carte,
                                                                &f.Tester_carte, &f.Copier_carte})
    EXPECT_TRUE(k->enabled()) << k->name();
  EXPECT_EQ(test::count_of(b.message_lines(), board::kMsgProgrammed), 0);
  // The piece read stays the card image.
  EXPECT_EQ(f.Liste_tran.size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CopyEnds,
    ::testing::Values(CopyEndCase{"CancelledAtTheInsertBox", true, nullptr},
                      CopyEndCase{"InvalidExtraNote", false,
                                  [](Form1& f, BoardRig&) {
                                    f.options_validees = true;
                                    f.note30.set_text("300");
                                    f.programmer.click();
                                  }},
                      // Slot A holds a piece: the overwrite question, answered No.
                      CopyEndCase{"NoToTheOverwriteQuestion", false,
                                  [](Form1& f, BoardRig& b) {
                                    b.rig.dialogs.answers = {false};
                                    f.programmer.click();
                                    EXPECT_EQ(b.rig.dialogs.questions.size(), 1u);
                                  }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace solmir
