// Card erase and card test against the virtual board in the process (virtual time): the
// estimates and the countdown for a size code, the progress bar, the outcomes, and the
// buttons at the end.
#include <gtest/gtest.h>

#include "app/card_commands.h"
#include "board/card_info.h"
#include "board/card_work.h"
#include "board/link.h"
#include "tests/support/board_rig.h"
#include "tests/support/card_image_rig.h"

namespace solmir {
namespace {

using board::virt::BoardOptions;
using board::virt::Format;
using test::BoardRig;

struct WorkCase {
  const char* name;
  bool test;
  int size_code;
  std::string estimate;     // shown after the size digit
  std::string after_first;  // after the first step: Int(total - 2 x time per step)
  std::string message;
};

class CardWork : public ::testing::TestWithParam<WorkCase> {};

TEST_P(CardWork, EstimateCountdownProgressAndOutcome) {
  const WorkCase& c = GetParam();
  BoardOptions o;
  o.size_code = c.size_code;
  o.card_timing = true;
  BoardRig b(o);
  b.card().put_piece('A', Format::notes29, 10);
  Form1& f = b.start();
  test::put_image(f, test::sample_image(score::RecordLayout::notes29, 3),
                  score::RecordLayout::notes29);
  std::vector<std::string> shown;
  f.Text1.subscribe([&] { shown.push_back(f.Text1.text()); });
  bool running_seen = false;
  f.Timer1.on_tick = [&] {
    running_seen = !f.Infos_carte.enabled() && !f.Copier_carte.enabled() &&
                   !f.programmer.enabled() && !f.fenetre_params.enabled();
  };
  b.rig.dialogs.answers = {true};
  const auto& w = c.test ? board::kTest : board::kErase;
  const auto outcome = run_card_work(f, w);
  EXPECT_EQ(outcome, board::WorkOutcome::finished);
  EXPECT_EQ(b.rig.dialogs.questions, std::vector<std::string>{board::kMsgEraseQuestion});
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[0], c.estimate);
  EXPECT_EQ(shown[1], c.after_first);
  EXPECT_EQ(shown.back(), "0");
  EXPECT_EQ(f.gauge1.max(), 128 << (c.size_code - 1));
  EXPECT_EQ(f.gauge1.value(), f.gauge1.max());
  EXPECT_TRUE(running_seen);
  EXPECT_EQ(b.message_lines().back(), c.message);
  EXPECT_FALSE(b.card().piece('A'));
  EXPECT_FALSE(f.Timer1.enabled());
  for (const Control* k : std::initializer_list<const Control*>{
           &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte, &f.fenetre_params})
    EXPECT_TRUE(k->enabled()) << k->name();
  // The image in memory can still be written.
  EXPECT_TRUE(f.programmer.enabled());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, CardWork,
    ::testing::Values(
        // 2048 units: 19.9 s of erase -> 20; after the first step 20 - 2 x 0.8.
        WorkCase{"EraseCode5", false, 5, "20", "18", board::kMsgErased},
        WorkCase{"TestCode5", true, 5, "50", "48", board::kMsgCardGood},
        // 32768 units: 317.9 s -> 318, 799.5 s -> 800.
        WorkCase{"EraseCode9", false, 9, "318", "292", board::kMsgErased},
        WorkCase{"TestCode9", true, 9, "800", "768", board::kMsgCardGood}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CardWork, FailingTestSaysSoAndGivesTheButtonsBack) {
  BoardOptions o;
  o.defective = true;
  o.defect_at_step = 20;
  BoardRig b(o);
  Form1& f = b.start();
  b.rig.dialogs.answers = {true};
  f.Tester_carte.click();
  EXPECT_EQ(b.message_lines().back(), board::kMsgCardDefective);
  EXPECT_EQ(test::count_of(b.message_lines(), board::kMsgCardGood), 0);
  for (const Control* k : std::initializer_list<const Control*>{&f.Infos_carte, &f.Effacer_carte,
                                                                &f.Tester_carte, &f.Copier_carte})
    EXPECT_TRUE(k->enabled()) << k->name();
  // 19 steps, then "8".
  EXPECT_EQ(f.gauge1.value(), 2048 * 19 / 50);
}

struct EndCase {
  const char* name;
  bool test;
  bool answer;
  int size_code;
};

class CardWorkNotDone : public ::testing::TestWithParam<EndCase> {};

// Declined, or no card: nothing is reported as done, and nothing stays disabled.
TEST_P(CardWorkNotDone, ReportsNoSuccess) {
  const EndCase& c = GetParam();
  BoardOptions o;
  o.size_code = c.size_code;
  BoardRig b(o);
  Form1& f = b.start();
  test::put_image(f, test::sample_image(score::RecordLayout::notes29, 3),
                  score::RecordLayout::notes29);
  b.rig.dialogs.answers = {c.answer};
  const std::size_t lines = b.board().lines().size();
  const std::size_t messages = b.message_lines().size();
  (c.test ? f.Tester_carte : f.Effacer_carte).click();
  if (!c.answer) {
    EXPECT_EQ(b.board().lines().size(), lines);  // nothing sent
    EXPECT_EQ(b.message_lines().size(), messages);
  } else {
    EXPECT_EQ(b.rig.dialogs.messages, std::vector<std::string>{board::kMsgNoCard});
    EXPECT_EQ(f.msg_variable.text(), kMsgSelect);
    EXPECT_EQ(test::lines_from(b.board().lines(), lines),
              (std::vector<std::string>{c.test ? "TStCP" : "DElCP", "", ""}));
  }
  const auto m = b.message_lines();
  EXPECT_EQ(test::count_of(m, board::kMsgErased) + test::count_of(m, board::kMsgCardGood), 0);
  for (const Control* k : std::initializer_list<const Control*>{
           &f.programmer, &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte})
    EXPECT_TRUE(k->enabled()) << k->name();
}

INSTANTIATE_TEST_SUITE_P(Cases, CardWorkNotDone,
                         ::testing::Values(EndCase{"EraseDeclined", false, false, 5},
                                           EndCase{"TestDeclined", true, false, 5},
                                           EndCase{"EraseNoCard", false, true, 0},
                                           EndCase{"TestNoCard", true, true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CardWork, BoardFallingSilentDuringTheWork) {
  BoardOptions o;
  o.silent_after_lines = 10;
  BoardRig b(o);
  Form1& f = b.start();
  b.rig.dialogs.answers = {true};
  const auto start = b.rig.loop.uptime_ms();
  EXPECT_EQ(run_card_work(f, board::kErase), board::WorkOutcome::failed);
  EXPECT_GE(b.rig.loop.uptime_ms() - start, board::kLongWorkSilenceMs);
  EXPECT_EQ(b.message_lines().back(), board::kMsgBoardSilent);
  EXPECT_FALSE(f.Timer1.enabled());
  for (const Control* k : std::initializer_list<const Control*>{&f.Infos_carte, &f.Effacer_carte,
                                                                &f.Tester_carte, &f.Copier_carte})
    EXPECT_TRUE(k->enabled()) << k->name();
}

// The size digit comes garbled, the board erases all the same: the run says what came and
// does not claim "no card" nor success.
class GarbledFirstAnswer : public ::testing::TestWithParam<bool> {};

TEST_P(GarbledFirstAnswer, SaysWhatCame) {
  const bool test = GetParam();
  BoardOptions o;
  o.wrong_answer_at = 1;
  BoardRig b(o);
  b.card().put_piece('A', Format::notes29, 10);
  Form1& f = b.start();
  b.rig.dialogs.answers = {true};
  EXPECT_EQ(run_card_work(f, test ? board::kTest : board::kErase), board::WorkOutcome::unexpected);
  EXPECT_TRUE(b.rig.dialogs.messages.empty());  // no "Carte muette ou absente"
  const auto m = b.message_lines();
  EXPECT_EQ(m.back().rfind(std::string(board::kMsgUnexpectedAnswer) + "\"Z\"", 0), 0u) << m.back();
  EXPECT_EQ(test::count_of(m, board::kMsgErased) + test::count_of(m, board::kMsgCardGood), 0);
  // The board did its work to the end, and nothing is left disabled.
  EXPECT_FALSE(b.card().piece('A'));
  EXPECT_FALSE(f.Timer1.enabled());
  for (const Control* k : std::initializer_list<const Control*>{&f.Infos_carte, &f.Effacer_carte,
                                                                &f.Tester_carte, &f.Copier_carte})
    EXPECT_TRUE(k->enabled()) << k->name();
}

INSTANTIATE_TEST_SUITE_P(EraseAndTest, GarbledFirstAnswer, ::testing::Bool());

TEST(CardWork, Estimates) {
  EXPECT_EQ(board::work_estimate(board::kErase, 1), 2);  // 1.24 s
  EXPECT_EQ(board::work_estimate(board::kTest, 1), 4);   // 3.12 s
  EXPECT_EQ(board::work_estimate(board::kErase, 9), 318);
  EXPECT_EQ(board::work_estimate(board::kTest, 9), 800);
}

}  // namespace
}  // namespace solmir
