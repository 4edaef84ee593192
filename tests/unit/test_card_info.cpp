// The card information window and the board version check, against the virtual board.
#include <gtest/gtest.h>

#include <functional>

#include "board/card_info.h"
#include "board/version.h"
#include "tests/support/board_rig.h"

namespace solmir {
namespace {

using board::virt::BoardOptions;
using board::virt::Card;
using board::virt::Format;
using test::BoardRig;

struct InfoCase {
  const char* name;
  std::function<void(Card&)> put;
  std::vector<std::string> shown;
};

class CardInfo : public ::testing::TestWithParam<InfoCase> {};

TEST_P(CardInfo, ShowsWhatTheCardHolds) {
  BoardRig b;
  GetParam().put(b.card());
  Form1& f = b.start();
  f.Infos_carte.click();
  EXPECT_TRUE(f.form4.window.visible());
  EXPECT_EQ(board::render_form4(f.form4), GetParam().shown);
  EXPECT_TRUE(f.Infos_carte.enabled());
  EXPECT_EQ(f.form4.window.left, f.window.left + 400);
  EXPECT_EQ(f.form4.window.top, f.window.top - 400);
  // The board has finished the block: the last title chunk was acknowledged.
  EXPECT_EQ(b.board().lines().back(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cards, CardInfo,
    ::testing::Values(
        InfoCase{"PieceAOf100Records",
                 [](Card& c) { c.put_piece('A', Format::notes29, 100, "Mozart"); },
                 {"Taille de la carte : 32768 octets", "A : 528 octets \"Mozart    \"",
                  "B : 0 octets", "Espace disponible : 32220 octets"}},
        // 24 bytes: (24 + 16) / 16 = 2.5 goes to the even 2 pages.
        InfoCase{"Piece42Of2RecordsHalfGoesToEven",
                 [](Card& c) { c.put_piece('A', Format::notes42, 2, "Deux"); },
                 {"Taille de la carte : 32768 octets", "A(42) : 32 octets \"Deux      \"",
                  "B : 0 octets", "Espace disponible : 32716 octets"}},
        InfoCase{"Piece42Of6Records",
                 [](Card& c) { c.put_piece('A', Format::notes42, 6, "Six"); },
                 {"Taille de la carte : 32768 octets", "A(42) : 64 octets \"Six       \"",
                  "B : 0 octets", "Espace disponible : 32684 octets"}},
        InfoCase{"OnlyA42NoteB",
                 [](Card& c) { c.put_piece('B', Format::notes42, 10, "Valse B"); },
                 {"Taille de la carte : 32768 octets", "A : 0 octets",
                  "B(42) : 80 octets \"Valse B   \"", "La carte est complète"}},
        InfoCase{"PiecesAAndB",
                 [](Card& c) {
                   c.put_piece('A', Format::notes32, 3, "Un");
                   c.put_piece('B', Format::notes32, 4, "Deux");
                 },
                 {"Taille de la carte : 32768 octets", "A : 48 octets \"Un        \"",
                  "B : 30 octets \"Deux      \"", "La carte est complète"}},
        InfoCase{"DemoOnly",
                 [](Card& c) { c.put_piece('D', Format::notes29, 20); },
                 {"Taille de la carte : 32768 octets", "A : 0 octets",
                  "B : 110 octets Sans titre (*)", "* Adresse fixe : 16384"}},
        InfoCase{"DemoAndPieceA",
                 [](Card& c) {
                   c.put_piece('A', Format::notes29, 100, "Mozart");
                   c.put_piece('D', Format::notes29, 20);
                 },
                 {"Taille de la carte : 32768 octets", "A : 528 octets Sans titre",
                  "B : 110 octets Sans titre (*)", "* Adresse fixe : 16384"}},
        InfoCase{"EmptyCard",
                 [](Card&) {},
                 {"Taille de la carte : 32768 octets", "A : 0 octets", "B : 0 octets"}},
        // Titles travel one byte per character.
        InfoCase{"Latin1Title",
                 [](Card& c) { c.put_piece('A', Format::notes29, 1, "\xC9t\xE9"); },
                 {"Taille de la carte : 32768 octets", "A : 32 octets \"Été       \"",
                  "B : 0 octets", "Espace disponible : 32716 octets"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CardInfo, NoCardSaysSoAndShowsNothing) {
  BoardOptions o;
  o.size_code = 0;
  BoardRig b(o);
  Form1& f = b.start();
  f.Infos_carte.click();
  EXPECT_EQ(b.rig.dialogs.messages, std::vector<std::string>{"Carte muette ou absente\r\n"});
  EXPECT_EQ(f.msg_variable.text(), kMsgSelect);
  EXPECT_FALSE(f.form4.window.visible());
  EXPECT_TRUE(f.Infos_carte.enabled());
  const auto& l = b.board().lines();
  EXPECT_EQ(std::vector<std::string>(l.end() - 4, l.end()),
            (std::vector<std::string>{"NUuLL", "INfCP", "", ""}));
}

TEST(CardInfo, AnEarlierCardsTitlesDoNotStayOnShow) {
  BoardRig b;
  b.card().put_piece('A', Format::notes42, 6, "Ancien");
  Form1& f = b.start();
  f.Infos_carte.click();
  ASSERT_EQ(f.form4.titredeA.caption(), "\"Ancien    \"");
  b.card().erase();
  f.Infos_carte.click();
  EXPECT_EQ(board::render_form4(f.form4),
            (std::vector<std::string>{"Taille de la carte : 32768 octets", "A : 0 octets",
                                      "B : 0 octets"}));
}

TEST(CardInfo, NoOtherCardCommandStartsWhileTheBlockIsRead) {
  BoardOptions o;
  o.answer_delay_ms = 300;
  BoardRig b(o);
  Form1& f = b.start();
  bool others_disabled = false;
  b.rig.loop.post(1000, [&] {
    others_disabled = !f.Effacer_carte.enabled() && !f.Tester_carte.enabled() &&
                      !f.Copier_carte.enabled() && !f.fenetre_params.enabled();
  });
  f.Infos_carte.click();
  EXPECT_TRUE(others_disabled);
  // Each gets back the state it had.
  EXPECT_TRUE(f.Effacer_carte.enabled());
  EXPECT_TRUE(f.fenetre_params.enabled());
  EXPECT_FALSE(f.programmer.enabled());
}

TEST(CardInfo, ReadTitlesKeepsBothTitles) {
  BoardRig b;
  b.card().put_piece('A', Format::notes29, 5, "Premier");
  b.card().put_piece('B', Format::notes29, 5, "Second");
  Form1& f = b.start();
  f.lit_titres();
  EXPECT_EQ(f.titre_lu_A, "Premier   ");
  EXPECT_EQ(f.titre_lu_B, "Second    ");
  EXPECT_EQ(f.titres[3], "Secon");
  EXPECT_FALSE(f.form4.window.visible());
}

TEST(CardInfo, SizesOnTheCard) {
  EXPECT_EQ(board::card_size_for_digit(1), 2048);
  EXPECT_EQ(board::card_size_for_digit(9), 524288);
  EXPECT_EQ(board::card_size_for_digit(0), 0);
  EXPECT_EQ(board::room_a(100, false), 528);
  EXPECT_EQ(board::room_a(2, true), 32);
  EXPECT_EQ(board::room_a(6, true), 64);
  EXPECT_EQ(board::size_digit_value('x'), 0);
}

// ---------------------------------------------------------------- faults during the block

struct FaultCase {
  const char* name;
  std::function<void(BoardOptions&)> set;
  bool link_lost;
};

class CardInfoFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CardInfoFault, EndsWithAClearMessageAndTheButtonsBack) {
  BoardOptions o;
  GetParam().set(o);
  BoardRig b(o);
  b.card().put_piece('A', Format::notes29, 100, "Mozart");
  Form1& f = b.start();
  const auto start = b.rig.loop.uptime_ms();
  f.Infos_carte.click();
  const auto lines = b.message_lines();
  EXPECT_EQ(lines.back(), board::kMsgBoardSilent);
  EXPECT_FALSE(f.form4.window.visible());
  EXPECT_FALSE(f.link->reception_texte);
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_FALSE(b.rig.dialogs.busy);
  if (GetParam().link_lost) {
    // The port went away: the window shows the link down.
    EXPECT_EQ(lines[lines.size() - 2], board::kMsgNoLink);
    EXPECT_FALSE(f.Infos_carte.enabled());
    EXPECT_EQ(f.Shape1.color(), kRed);
  } else {
    EXPECT_TRUE(f.Infos_carte.enabled());
    EXPECT_TRUE(f.Effacer_carte.enabled());
    EXPECT_EQ(f.Shape1.color(), kGreen);
    EXPECT_GE(b.rig.loop.uptime_ms() - start, board::kAnswerSilenceMs);
    EXPECT_LT(b.rig.loop.uptime_ms() - start, board::kAnswerSilenceMs + 1000);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CardInfoFault,
    ::testing::Values(
        // NUuLL, INfCP, the LF after the size digit, the LF that asks for N_A: then nothing.
        FaultCase{"SilentInTheMiddle", [](BoardOptions& o) { o.silent_after_lines = 4; }, false},
        // The slot A letter comes as "Z".
        FaultCase{"WrongLetter",
                  [](BoardOptions& o) {
                    o.wrong_answer_at = 2;
                    o.wrong_answer = "Z";
                  },
                  false},
        // The record count comes short: the text never completes.
        FaultCase{"ShortCount",
                  [](BoardOptions& o) {
                    o.wrong_answer_at = 3;
                    o.wrong_answer = "01";
                  },
                  false},
        FaultCase{"Disconnected", [](BoardOptions& o) { o.disconnect_after_lines = 4; }, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CardInfo, ASlowBoardWithinTheLimitIsWaitedFor) {
  BoardOptions o;
  o.answer_delay_ms = board::kAnswerSilenceMs - 500;
  BoardRig b(o);
  b.card().put_piece('A', Format::notes29, 100, "Mozart");
  Form1& f = b.start();
  f.Infos_carte.click();
  EXPECT_TRUE(f.form4.window.visible());
  EXPECT_EQ(f.form4.mA.caption(), "528");
}

// ---------------------------------------------------------------- version check

struct VersionCase {
  char letter;  // 0: the board does not answer
  const char* caption;
  bool warned;
};

class Version : public ::testing::TestWithParam<VersionCase> {};

TEST_P(Version, CaptionAndWarning) {
  BoardOptions o;
  o.version_letter = GetParam().letter;
  BoardRig b(o);
  Form1& f = b.start();
  const auto before = b.message_lines().size();
  f.lit_version();
  EXPECT_EQ(f.form9.window.caption(), GetParam().caption);
  const auto lines = b.message_lines();
  EXPECT_EQ(lines.size() - before, GetParam().warned ? 1u : 0u);
  if (GetParam().warned) {
    EXPECT_EQ(lines.back(), board::kMsgVersionMismatch);
  }
  // The acknowledgement goes out whether or not an answer came.
  const auto& l = b.board().lines();
  EXPECT_EQ(std::vector<std::string>(l.end() - 2, l.end()),
            (std::vector<std::string>{"VErSO", ""}));
}

INSTANTIATE_TEST_SUITE_P(
    Letters, Version,
    ::testing::Values(VersionCase{'n', "Paramétrage de la carte arduino (v 7.0)", false},
                      VersionCase{'m', "Paramétrage de la carte arduino (v 6.2)", true},
                      VersionCase{'z', "Paramétrage de la carte arduino (v inconnue)", true},
                      VersionCase{'a', "Paramétrage de la carte arduino (v 3.1)", true},
                      VersionCase{0, "Paramétrage de la carte arduino (v x.x)", false}));

TEST(Version, NoAnswerGivesUpAfterAboutASecond) {
  BoardOptions o;
  o.version_letter = 0;
  BoardRig b(o);
  Form1& f = b.start();
  const auto t0 = b.rig.loop.uptime_ms();
  f.lit_version();
  const auto spent = b.rig.loop.uptime_ms() - t0;
  EXPECT_GE(spent, 1000);
  EXPECT_LT(spent, 1200);
}

TEST(Version, AStatusLetterIsNoVersion) {
  BoardOptions o;
  o.version_letter = 'A';
  BoardRig b(o);
  Form1& f = b.start();
  f.lit_version();
  EXPECT_EQ(f.form9.window.caption(), "Paramétrage de la carte arduino (v x.x)");
}

TEST(Version, Form9StartsWithItsDesignCaption) {
  BoardRig b;
  EXPECT_EQ(b.start().form9.window.caption(), "Paramétrage carte arduino");
}

}  // namespace
}  // namespace solmir
