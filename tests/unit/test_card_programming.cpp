// Card programming against the virtual board in the process (virtual time): what goes out for
// each format, the room and overwrite checks with their questions, the demo area, the title
// and its extra-note bytes, and a board that does not confirm or falls silent.
#include <gtest/gtest.h>

#include "app/card_commands.h"
#include "base/numbers.h"
#include "board/card_info.h"
#include "board/commands.h"
#include "board/link.h"
#include "board/programming.h"
#include "tests/support/board_rig.h"
#include "tests/support/card_image_rig.h"
#include "tests/support/fakes.h"

namespace solmir {
namespace {

using board::virt::BoardOptions;
using board::virt::Card;
using board::virt::Format;
using score::RecordLayout;
using test::BoardRig;
using test::lines_from;
using test::put_image;
using test::sample_image;

std::string bytes_of(Format f, int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s += Card::sample_record(f, i);
  return s;
}

struct TransferCase {
  const char* name;
  RecordLayout layout;
  int records;
  std::string signature;
  std::vector<std::string> data;  // the data lines expected
};

class Transfer : public ::testing::TestWithParam<TransferCase> {};

TEST_P(Transfer, SendsSignatureCountAndFullDataLines) {
  const TransferCase& c = GetParam();
  BoardRig b;
  Form1& f = b.start();
  put_image(f, sample_image(c.layout, c.records), c.layout);
  f.Titre.set_text("Valse");
  const std::size_t before = b.board().lines().size();
  f.programmer.click();

  std::vector<std::string> expected = {std::string(board::cmd::PRACP)};
  for (int i = 0; i < 8; ++i) expected.push_back("");  // the information block of an empty card
  expected.push_back(std::string(board::cmd::PRgCP));
  expected.push_back(c.signature);
  expected.push_back(zero_pad(c.records, 5));
  for (const auto& d : c.data) expected.push_back(d);
  for (const char* t : {"TitrA", "Valse", "     "}) expected.push_back(t);
  EXPECT_EQ(lines_from(b.board().lines(), before), expected);

  // The board keeps what it was sent.
  const auto p = b.card().piece('A');
  ASSERT_TRUE(p);
  EXPECT_EQ(p->count, c.records);
  EXPECT_EQ(b.card().record(*p, c.records - 1),
            Card::sample_record(test::format_of(c.layout), c.records - 1));
  EXPECT_EQ(b.card().title('A'), "Valse     ");

  EXPECT_EQ(b.message_lines().back(), board::kMsgProgrammed);
  EXPECT_EQ(f.Text1.text(), "0");
  EXPECT_EQ(f.gauge1.value(), f.gauge1.max());
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_FALSE(f.programming_running);
  for (const Control* c : std::initializer_list<const Control*>{
           &f.programmer, &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte,
           &f.mode42, &f.Option32, &f.fenetre_params})
    EXPECT_TRUE(c->enabled()) << c->name();
  EXPECT_FALSE(f.Sauve_midi.enabled());
}

INSTANTIATE_TEST_SUITE_P(Formats, Transfer,
                         ::testing::Values(
                             // Three lines of 14 records: the last carries records 29 and 30, then
                             // twelve more copies of record 30.
                             TransferCase{"Notes29Of30Records",
                                          RecordLayout::notes29,
                                          30,
                                          "VELoR",
                                          {bytes_of(Format::notes29, 0, 13),
                                           bytes_of(Format::notes29, 14, 27),
                                           bytes_of(Format::notes29, 28, 29) +
                                               [] {
                                                 std::string s;
                                                 for (int i = 0; i < 12; ++i)
                                                   s += Card::sample_record(Format::notes29, 29);
                                                 return s;
                                               }()}},
                             TransferCase{"Notes42Of10Records",
                                          RecordLayout::notes42,
                                          10,
                                          "VELOR",
                                          {bytes_of(Format::notes42, 0, 9)}},
                             TransferCase{"Notes32Of14Records",
                                          RecordLayout::notes32,
                                          14,
                                          "VELor",
                                          {bytes_of(Format::notes32, 0, 13)}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Programming, DemoAreaOneRecordPerLineThenTheBoxesComeBack) {
  BoardRig b;
  b.card().put_piece('A', Format::notes29, 10, "Mozart");
  Form1& f = b.start();
  f.mode42.set_value(true);
  f.Prog_demo_Click();
  ASSERT_FALSE(f.mode42.value());
  put_image(f, sample_image(RecordLayout::notes29, 3), RecordLayout::notes29);
  f.Titre.set_text("Demo1");
  b.rig.dialogs.answers = {true};
  const std::size_t before = b.board().lines().size();
  f.programmer.click();
  EXPECT_EQ(b.rig.dialogs.questions, std::vector<std::string>{board::kMsgDemoQuestion});
  EXPECT_EQ(lines_from(b.board().lines(), before),
            (std::vector<std::string>{
                "PRDCP", "PRgCP", "VELoR", "00003", Card::sample_record(Format::notes29, 0),
                Card::sample_record(Format::notes29, 1), Card::sample_record(Format::notes29, 2)}));
  // The demo has no title of its own: those of A and B stay as they were.
  EXPECT_EQ(b.card().title('A'), "Mozart    ");
  EXPECT_EQ(b.message_lines().back(), board::kMsgProgrammed);
  ASSERT_TRUE(b.card().piece('D'));
  EXPECT_EQ(b.card().piece('D')->count, 3);
  EXPECT_FALSE(f.mode_demo);
  EXPECT_TRUE(f.mode42.value());
}

TEST(Programming, DemoDeclinedSendsNothing) {
  BoardRig b;
  Form1& f = b.start();
  f.Prog_demo_Click();
  put_image(f, sample_image(RecordLayout::notes29, 3), RecordLayout::notes29);
  const std::size_t before = b.board().lines().size();
  f.programmer.click();
  EXPECT_EQ(b.board().lines().size(), before);
  EXPECT_EQ(f.msg_variable.text(), board::kMsgAbandoned);
  EXPECT_TRUE(f.mode_demo);
  EXPECT_TRUE(f.programmer.enabled());
}

// ---------------------------------------------------------------- checks before writing

struct CheckCase {
  const char* name;
  int size_code;
  std::function<void(Card&)> put;
  bool slot_a;
  std::int32_t taille;  // 0: the image's own
  std::vector<std::string> messages;
  std::vector<std::string> questions;  // each answered No
  bool writes;
};

class Checks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Checks, RefuseOrAskBeforeWriting) {
  const CheckCase& c = GetParam();
  BoardOptions o;
  o.size_code = c.size_code;
  BoardRig b(o);
  c.put(b.card());
  const std::vector<std::uint8_t> card_before = b.card().bytes();
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 5), RecordLayout::notes29);
  if (c.taille) f.taille_requise = c.taille;
  f.choixa.set_value(c.slot_a);
  f.programmer.click();
  EXPECT_EQ(b.rig.dialogs.messages, c.messages);
  EXPECT_EQ(b.rig.dialogs.questions, c.questions);
  const auto& lines = b.board().lines();
  if (c.writes) {
    EXPECT_EQ(test::count_of(lines, "PRgCP"), 1);
    EXPECT_EQ(b.message_lines().back(), board::kMsgProgrammed);
  } else {
    EXPECT_EQ(test::count_of(lines, "PRgCP"), 0);
    EXPECT_EQ(lines.back(), "NUuLL");
    EXPECT_EQ(f.msg_variable.text(), kMsgSelect);
    EXPECT_EQ(b.card().bytes(), card_before);
    // Nothing was disabled on the way.
    EXPECT_TRUE(f.programmer.enabled());
    EXPECT_TRUE(f.Infos_carte.enabled());
    EXPECT_TRUE(f.Copier_carte.enabled());
  }
}

void nothing(Card&) {}

INSTANTIATE_TEST_SUITE_P(
    Cards, Checks,
    ::testing::Values(
        // 4096 bytes: required 4061 + 16 = 4077 > 4076.
        CheckCase{"CardTooSmallFor4061Bytes",
                  2,
                  nothing,
                  true,
                  4061,
                  {"Taille carte insuffisante( 4096 octets)\r\n"},
                  {},
                  false},
        CheckCase{"Card4096Takes4060Bytes", 2, nothing, true, 4060, {}, {}, true},
        CheckCase{"BWithoutA", 5, nothing, false, 0, {board::kMsgNoPieceA}, {}, false},
        // A of 100 records takes 528 bytes: 32768 - 528 - 20 = 32220 left for B.
        CheckCase{"NoRoomForB",
                  5,
                  [](Card& c) { c.put_piece('A', Format::notes29, 100); },
                  false,
                  32205,
                  {"Espace mémoire disponible insuffisant( 32220 octets)\r\n"},
                  {},
                  false},
        CheckCase{"RoomForBJust",
                  5,
                  [](Card& c) { c.put_piece('A', Format::notes29, 100); },
                  false,
                  32204,
                  {},
                  {},
                  true},
        CheckCase{"OverwriteADeclined",
                  5,
                  [](Card& c) { c.put_piece('A', Format::notes29, 10); },
                  true,
                  0,
                  {},
                  {board::kMsgAThere},
                  false},
        CheckCase{"OverwriteAAndBDeclined",
                  5,
                  [](Card& c) {
                    c.put_piece('A', Format::notes29, 10);
                    c.put_piece('B', Format::notes29, 10);
                  },
                  true,
                  0,
                  {},
                  {board::kMsgAAndBThere},
                  false},
        CheckCase{"OverwriteADeclinedWithTheDemo",
                  5,
                  [](Card& c) {
                    c.put_piece('A', Format::notes29, 10);
                    c.put_piece('D', Format::notes29, 10);
                  },
                  true,
                  0,
                  {},
                  {board::kMsgAAndBThere},
                  false},
        CheckCase{"OverwriteBDeclined",
                  5,
                  [](Card& c) {
                    c.put_piece('A', Format::notes29, 10);
                    c.put_piece('B', Format::notes42, 10);
                  },
                  false,
                  0,
                  {},
                  {board::kMsgBThere},
                  false},
        // A new piece A would take the demo with it.
        CheckCase{"DemoAloneDeclined",
                  5,
                  [](Card& c) { c.put_piece('D', Format::notes29, 10); },
                  true,
                  0,
                  {},
                  {board::kMsgBThere},
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Programming, NoCard) {
  BoardOptions o;
  o.size_code = 0;
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 5), RecordLayout::notes29);
  f.programmer.click();
  EXPECT_EQ(b.rig.dialogs.messages, std::vector<std::string>{board::kMsgNoCard});
  const auto& l = b.board().lines();
  EXPECT_EQ(lines_from(l, l.size() - 4), (std::vector<std::string>{"PRACP", "", "NUuLL", ""}));
  EXPECT_TRUE(f.programmer.enabled());
}

TEST(Programming, TitleWithTheExtraNoteBytes) {
  BoardRig b;
  Form1& f = b.start();
  f.note30.set_text("60");
  f.note31.set_text("62");
  f.note32.set_text("64");
  f.options_validees = true;
  put_image(f, sample_image(RecordLayout::notes32, 3), RecordLayout::notes32);
  f.Titre.set_text("Fugue");
  f.programmer.click();
  const auto& l = b.board().lines();
  EXPECT_EQ(lines_from(l, l.size() - 3),
            (std::vector<std::string>{"TitrA", "Fugue", "     \x3C\x3E\x40"}));
  EXPECT_EQ(b.card().title('A'), "Fugue     ");
  EXPECT_EQ(b.card().notes('A'), "<>@");
}

TEST(Programming, TitleCharactersGoOneBytePerCharacter) {
  BoardRig b;
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 2), RecordLayout::notes29);
  f.choixb.set_value(true);
  b.card().put_piece('A', Format::notes29, 4);
  f.Titre.set_text("Été à Noël!");  // eleven characters: the last is cut
  f.programmer.click();
  EXPECT_EQ(b.card().title('B'), "\xC9t\xE9 \xE0 No\xEBl");
}

TEST(Programming, ABadExtraNoteStopsBeforeAnythingIsSent) {
  BoardRig b;
  Form1& f = b.start();
  f.note31.set_text("300");
  f.options_validees = true;
  put_image(f, sample_image(RecordLayout::notes32, 3), RecordLayout::notes32);
  const std::size_t before = b.board().lines().size();
  f.programmer.click();
  EXPECT_EQ(b.board().lines().size(), before);
  EXPECT_EQ(b.message_lines().back(), std::string(board::kMsgBadExtraNote) + "300");
}

TEST(Programming, RecordsThatDoNotFitTheScaleAreNotSent) {
  BoardRig b;
  Form1& f = b.start();
  // 29-note records held as a 42-note image: nothing the builder makes, but the transfer
  // checks every record against the scale before anything goes out.
  put_image(f, sample_image(RecordLayout::notes29, 3), RecordLayout::notes42);
  const std::size_t before = b.board().lines().size();
  f.programmer.click();
  EXPECT_EQ(b.board().lines().size(), before);
  EXPECT_EQ(b.message_lines().back(), std::string(board::kMsgBadRecord) + "1)");
}

TEST(Programming, EmptyImageIsNotSent) {
  BoardRig b;
  Form1& f = b.start();
  put_image(f, {}, RecordLayout::notes29);
  const std::size_t before = b.board().lines().size();
  EXPECT_EQ(program_card(f), board::ProgramOutcome::cancelled);
  EXPECT_EQ(b.board().lines().size(), before);
  EXPECT_EQ(b.message_lines().back(), board::kMsgNothingToProgram);
}

TEST(Programming, RafraichirOpensTheFileAgainInstead) {
  BoardRig b;
  Form1& f = b.start();
  b.rig.dialogs.paths.push_back(
      test::shared_midi("BeginnerCourse-01-StartWithMiddleC.mid").string());
  f.Midi_channel(0).set_value(true);
  f.Ouvre_midi_Click();
  const auto records = f.Liste_tran;
  ASSERT_FALSE(records.empty());
  f.Option32.set_value(true);
  ASSERT_EQ(f.programmer.caption(), "Rafraichir");
  const std::size_t before = b.board().lines().size();
  EXPECT_EQ(program_card(f), board::ProgramOutcome::reloaded);
  EXPECT_EQ(b.board().lines().size(), before);
  EXPECT_EQ(f.programmer.caption(), "Programmer");
  EXPECT_NE(f.Liste_tran, records);  // now in 32 notes
  EXPECT_EQ(f.Liste_tran.size(), records.size());
}

// ---------------------------------------------------------------- while the piece goes out

TEST(Programming, OneTransferAtATimeAndNoOtherCardCommand) {
  BoardOptions o;
  o.card_timing = true;  // 70-byte lines take the card 39 ms each
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 200), RecordLayout::notes29);
  bool probed = false;
  bool others_disabled = false;
  b.rig.loop.post(200, [&] {
    probed = true;
    others_disabled = !f.Infos_carte.enabled() && !f.Effacer_carte.enabled() &&
                      !f.Tester_carte.enabled() && !f.Copier_carte.enabled() &&
                      !f.fenetre_params.enabled() && !f.mode42.enabled();
    EXPECT_TRUE(f.programmer.enabled());
    EXPECT_TRUE(f.Timer1.enabled());
    // A second click while the piece goes out.
    f.programmer.click();
  });
  f.programmer.click();
  ASSERT_TRUE(probed);
  EXPECT_TRUE(others_disabled);
  EXPECT_EQ(test::count_of(b.board().lines(), "PRACP"), 1);
  EXPECT_EQ(test::count_of(b.message_lines(), board::kMsgProgrammed), 1);
  EXPECT_EQ(b.card().piece('A')->count, 200);
}

TEST(Programming, TheTitleWaitsForTheLastBlock) {
  // The answer to the last data line comes as a "Z": the board has not confirmed the block.
  BoardOptions o;
  // The empty card's block (8), the signature, the count, then two data lines.
  o.wrong_answer_at = 8 + 2 + 2;
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 20), RecordLayout::notes29);
  f.programmer.click();
  EXPECT_EQ(test::count_of(b.board().lines(), "TitrA"), 0);
  const auto m = b.message_lines();
  EXPECT_EQ(test::count_of(m, board::kMsgProgrammed), 0);
  EXPECT_EQ(m.back(), board::kMsgBoardSilent);
}

TEST(Programming, BoardFallingSilentGivesEverythingBack) {
  BoardOptions o;
  o.silent_after_lines = 14;  // during the data lines
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 100), RecordLayout::notes29);
  f.programmer.click();
  EXPECT_EQ(b.message_lines().back(), board::kMsgBoardSilent);
  EXPECT_FALSE(f.programming_running);
  EXPECT_FALSE(f.Timer1.enabled());
  for (const Control* c : std::initializer_list<const Control*>{
           &f.programmer, &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte,
           &f.mode42, &f.Option32, &f.fenetre_params})
    EXPECT_TRUE(c->enabled()) << c->name();
  EXPECT_EQ(f.msg_variable.text(), kMsgSelect);
}

// A port that goes away at any point of the run, before the last title line too: a failure,
// never "Programmation terminée".
class LostPort : public ::testing::TestWithParam<int> {};

TEST_P(LostPort, IsAFailureWhereverItHappens) {
  BoardOptions o;
  // PRACP (1), the block's acknowledgements (2-9), PRgCP (10), the signature (11), the count
  // (12), two data lines (13, 14), TitrA (15), the first title line (16).
  o.disconnect_after_lines = GetParam();
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 20), RecordLayout::notes29);
  f.Titre.set_text("Valse");
  EXPECT_EQ(program_card(f), board::ProgramOutcome::failed);
  const auto m = b.message_lines();
  EXPECT_EQ(test::count_of(m, board::kMsgProgrammed), 0);
  EXPECT_EQ(m.back(), board::kMsgBoardSilent);
  EXPECT_FALSE(f.link->is_open());
  EXPECT_FALSE(f.programming_running);
  EXPECT_FALSE(f.Timer1.enabled());
  if (GetParam() >= 10) {
    // The piece went out in part: the log and the messages name it.
    EXPECT_EQ(test::count_of(m, std::string(board::kMsgIncompletePiece) + "A"), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Points, LostPort, ::testing::Values(3, 10, 12, 14, 15, 16));

// Images no card can take: refused before anything is sent.
struct TooBigCase {
  const char* name;
  RecordLayout layout;
  int records;
  bool refused;
};

class TooBig : public ::testing::TestWithParam<TooBigCase> {};

TEST_P(TooBig, IsRefusedBeforeAnythingIsSent) {
  const TooBigCase& c = GetParam();
  BoardOptions o;
  o.size_code = 9;
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(c.layout, c.records), c.layout);
  const std::size_t before = b.board().lines().size();
  const board::ProgramOutcome out = program_card(f);
  if (c.refused) {
    EXPECT_EQ(out, board::ProgramOutcome::too_big);
    EXPECT_EQ(b.board().lines().size(), before);
    EXPECT_EQ(b.message_lines().back().rfind(board::kMsgPieceTooBig, 0), 0u)
        << b.message_lines().back();
    EXPECT_TRUE(b.rig.dialogs.questions.empty());
  } else {
    EXPECT_EQ(out, board::ProgramOutcome::programmed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TooBig,
    ::testing::Values(
        // The count field holds five digits.
        TooBigCase{"Records99999", RecordLayout::notes29, 99999, false},
        TooBigCase{"Records100000", RecordLayout::notes29, 100000, true},
        // 7n + 10 bytes in 42-note format: 74897 records pass the largest card.
        TooBigCase{"Notes42Records74000", RecordLayout::notes42, 74000, false},
        TooBigCase{"Notes42Records74897", RecordLayout::notes42, 74897, true}),
    [](const auto& info) { return std::string(info.param.name); });

// During a transfer the user picks the demo and builds an image too long for its area: the
// builder disables `programmer`, and the end of the transfer leaves it so.
TEST(Programming, TheEndOfATransferLeavesProgrammerAsTheBuilderSetIt) {
  BoardOptions o;
  o.card_timing = true;
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 200), RecordLayout::notes29);
  b.rig.loop.post(100, [&] {
    ASSERT_TRUE(f.programming_running);
    // What the builder does for a demo image too long for the demo area.
    f.programmer.set_enabled(false);
  });
  EXPECT_EQ(program_card(f), board::ProgramOutcome::programmed);
  EXPECT_FALSE(f.programmer.enabled());
  EXPECT_TRUE(f.Infos_carte.enabled());
}

// Quitting while a piece goes out: asked first, No by default; on Yes the exchange stops with
// a failure that names the incomplete piece in the messages and the log.
class QuitDuringTransfer : public ::testing::TestWithParam<bool> {};

TEST_P(QuitDuringTransfer, AsksThenStopsCleanly) {
  const bool insist = GetParam();
  BoardOptions o;
  o.card_timing = true;
  BoardRig b(o);
  Form1& f = b.start();
  put_image(f, sample_image(RecordLayout::notes29, 200), RecordLayout::notes29);
  EXPECT_TRUE(f.ask_quit());  // nothing running: quit at once, no question
  bool may_quit = true;
  b.rig.loop.post(100, [&] {
    b.rig.dialogs.answers = {insist};
    may_quit = f.ask_quit();
  });
  const board::ProgramOutcome out = program_card(f);
  EXPECT_FALSE(may_quit);
  EXPECT_EQ(b.rig.dialogs.questions, std::vector<std::string>{board::kMsgQuitDuringOperation});
  const auto m = b.message_lines();
  if (insist) {
    EXPECT_EQ(out, board::ProgramOutcome::failed);
    EXPECT_TRUE(f.quit_pending);
    EXPECT_EQ(m.back(), board::kMsgStopped);
    EXPECT_EQ(test::count_of(m, board::kMsgProgrammed), 0);
    const std::string incomplete = std::string(board::kMsgIncompletePiece) + "A";
    EXPECT_EQ(test::count_of(m, incomplete), 1);
    EXPECT_NE(
        test::read_file(b.rig.environment.documents_ / "Solmir" / "Solmir.log").find(incomplete),
        std::string::npos);
    // The operation is over: the quit can go on.
    EXPECT_FALSE(f.board_operation_running());
    // Stopped before the end: no title was written.
    EXPECT_EQ(test::count_of(b.board().lines(), "TitrA"), 0);
  } else {
    EXPECT_EQ(out, board::ProgramOutcome::programmed);
    EXPECT_FALSE(f.quit_pending);
    EXPECT_EQ(b.card().piece('A')->count, 200);
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, QuitDuringTransfer, ::testing::Bool());

TEST(Programming, CountdownLosesASecondPerSecondOfRecords) {
  BoardRig b;
  Form1& f = b.start();
  // 4000 records: 20010 bytes, an estimate of 11 s at 364 records a second.
  put_image(f, sample_image(RecordLayout::notes29, 4000), RecordLayout::notes29);
  ASSERT_EQ(f.Text1.text(), "11");
  std::vector<std::string> shown;
  f.Text1.subscribe([&] { shown.push_back(f.Text1.text()); });
  f.programmer.click();
  // One second less each time 364 records have gone, and 0 at the end.
  std::vector<std::string> expected;
  for (int s = 10; s >= 0; --s) expected.push_back(std::to_string(s));
  EXPECT_EQ(shown, expected);
}

}  // namespace
}  // namespace solmir
