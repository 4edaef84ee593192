// A piece programmed on the virtual board reads back by copy as the same records and title,
// and the card information shows where it went: tunes of the shared MIDI files in each
// scale, the demo piece, and a long piece A with B after it on a large card.
#include <gtest/gtest.h>

#include "board/card_info.h"
#include "board/piece_copy.h"
#include "board/programming.h"
#include "tests/support/board_rig.h"
#include "tests/support/card_image_rig.h"

namespace solmir {
namespace {

using board::virt::BoardOptions;
using board::virt::Card;
using board::virt::Format;
using test::BoardRig;

struct TuneCase {
  const char* name;
  const char* file;
  std::function<void(Form1&)> scale;
};

class RoundTrip : public ::testing::TestWithParam<TuneCase> {};

TEST_P(RoundTrip, ProgrammedTuneReadsBackTheSame) {
  const TuneCase& c = GetParam();
  BoardRig b;
  Form1& f = b.start();
  for (int i = 0; i < 16; ++i) f.Midi_channel(i).set_value(i != 9);
  c.scale(f);
  b.rig.dialogs.paths.push_back(test::shared_midi(c.file).string());
  f.Ouvre_midi_Click();
  ASSERT_TRUE(f.last_failure.empty()) << f.last_failure;
  ASSERT_FALSE(f.Liste_tran.empty());
  const auto records = f.Liste_tran;
  const bool notes42 = f.mode42.value(), notes32 = f.Option32.value();
  const std::int32_t taille = f.taille_requise;
  f.Titre.set_text("Air connu");
  f.programmer.click();
  ASSERT_EQ(b.message_lines().back(), board::kMsgProgrammed);

  f.Infos_carte.click();
  const auto shown = board::render_form4(f.form4);
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[1],
            std::string(notes42 ? "A(42) : " : "A : ") +
                std::to_string(board::room_a(static_cast<std::int64_t>(records.size()), notes42)) +
                " octets \"Air connu \"");

  // Read back into a window that knows nothing of the tune.
  f.Liste_tran.clear();
  f.mode42.set_value(false);
  f.Option32.set_value(false);
  f.Titre.set_text("");
  f.Copier_carte.click();
  EXPECT_EQ(f.Liste_tran, records);
  EXPECT_EQ(f.Titre.text().substr(0, 10), "Air connu ");
  EXPECT_EQ(f.mode42.value(), notes42);
  EXPECT_EQ(f.Option32.value(), notes32);
  EXPECT_EQ(f.taille_requise, taille);
}

INSTANTIATE_TEST_SUITE_P(
    Tunes, RoundTrip,
    ::testing::Values(TuneCase{"ClairDeLune29", "BoosterMusic-01-ClairDeLaLune.mid", [](Form1&) {}},
                      TuneCase{"FrereJacques32", "BoosterMusic-04-FrereJacques.mid",
                               [](Form1& f) { f.Option32.set_value(true); }},
                      TuneCase{"LavendersBlue42", "BoosterMusic-02-LavendersBlue.mid",
                               [](Form1& f) { f.mode42.set_value(true); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RoundTrip, DemoPieceGoesToItsOwnArea) {
  BoardRig b;
  b.card().put_piece('A', Format::notes29, 10, "Premier");
  Form1& f = b.start();
  for (int i = 0; i < 16; ++i) f.Midi_channel(i).set_value(i != 9);
  f.mode42.set_value(true);
  f.Prog_demo_Click();
  EXPECT_FALSE(f.mode42.value());
  b.rig.dialogs.paths.push_back(
      test::shared_midi("BeginnerCourse-01-StartWithMiddleC.mid").string());
  f.Ouvre_midi_Click();
  ASSERT_TRUE(f.programmer.enabled()) << b.message_lines().back();
  const auto records = f.Liste_tran;
  b.rig.dialogs.answers = {true};
  f.programmer.click();
  EXPECT_EQ(b.message_lines()[b.message_lines().size() - 1], board::kMsgProgrammed);
  EXPECT_FALSE(f.mode_demo);
  EXPECT_TRUE(f.mode42.value());  // ticked again
  const auto demo = b.card().piece('D');
  ASSERT_TRUE(demo);
  ASSERT_EQ(static_cast<std::size_t>(demo->count), records.size());
  for (int i = 0; i < demo->count; ++i)
    EXPECT_EQ(texte_vers_bin(b.card().record(*demo, i)), records[static_cast<std::size_t>(i)]);
  EXPECT_TRUE(b.card().piece('A'));
  f.Infos_carte.click();
  EXPECT_EQ(board::render_form4(f.form4)[2],
            "B : " + std::to_string(5 * (records.size() + 2)) + " octets Sans titre (*)");
}

TEST(RoundTrip, LongPieceAThenBOnALargeCard) {
  BoardOptions o;
  o.size_code = 6;  // 65536 bytes
  BoardRig b(o);
  Form1& f = b.start();
  // 5000 records: 25010 bytes, past the demo's address.
  const auto a = test::sample_image(score::RecordLayout::notes29, 5000);
  test::put_image(f, a, score::RecordLayout::notes29);
  f.Titre.set_text("Long");
  f.programmer.click();
  ASSERT_EQ(b.message_lines().back(), board::kMsgProgrammed);
  auto bimg = test::sample_image(score::RecordLayout::notes42, 40);
  test::put_image(f, bimg, score::RecordLayout::notes42);
  f.choixb.set_value(true);
  f.Titre.set_text("Court");
  f.programmer.click();
  ASSERT_EQ(b.message_lines().back(), board::kMsgProgrammed);
  for (const auto& [slot_a, image, title] :
       std::vector<std::tuple<bool, std::vector<std::string>, std::string>>{
           {true, a, "Long      "}, {false, bimg, "Court     "}}) {
    f.choixa.set_value(slot_a);
    ASSERT_EQ(board::read_piece_back(f), board::ReadOutcome::read);
    EXPECT_EQ(f.Liste_tran, image) << slot_a;
    EXPECT_EQ(f.Titre.text().substr(0, 10), title);
  }
}

}  // namespace
}  // namespace solmir
