// The keyboard shortcuts of the main window: Alt+R (playing time on one relay) and Alt+T
// (the title of the chosen piece rewritten on the card), against the virtual board.
#include <gtest/gtest.h>

#include "board/card_info.h"
#include "board/link.h"
#include "board/virtual/card.h"
#include "tests/support/board_rig.h"
#include "tests/support/card_image_rig.h"

namespace solmir {
namespace {

using board::virt::BoardOptions;
using board::virt::Format;
using test::BoardRig;

TEST(Shortcuts, AltRShowsTheActionTimeOnOneRelay) {
  BoardRig b;
  Form1& f = b.start();
  for (const auto& [ticks, text] :
       std::vector<std::pair<int, std::string>>{{600, " 2.5"}, {480, " 2"}, {0, " 0"}}) {
    f.duree_action_totale = ticks;
    b.rig.dialogs.messages.clear();
    f.Form_KeyDown('R', true, false, false);
    EXPECT_EQ(b.rig.dialogs.messages,
              std::vector<std::string>{"Durée d'action totale ramenée à 1 relais = " + text +
                                       " secondes\r\n"});
  }
  // Shift and Ctrl do not matter.
  b.rig.dialogs.messages.clear();
  EXPECT_TRUE(f.Form_KeyDown('R', true, true, true));
  EXPECT_EQ(b.rig.dialogs.messages.size(), 1u);
}

TEST(Shortcuts, OtherKeysDoNothing) {
  BoardRig b;
  Form1& f = b.start();
  const std::string messages = f.Label_defautP.text();
  const std::size_t lines = b.board().lines().size();
  // The controls get these keys.
  EXPECT_FALSE(f.Form_KeyDown('R', false, false, false));
  EXPECT_FALSE(f.Form_KeyDown('T', false, true, true));
  EXPECT_FALSE(f.Form_KeyDown('X', true, false, false));
  EXPECT_TRUE(b.rig.dialogs.messages.empty());
  EXPECT_EQ(f.Label_defautP.text(), messages);
  EXPECT_EQ(b.board().lines().size(), lines);
}

TEST(Shortcuts, AltTRewritesTheTitleOfTheChosenPiece) {
  BoardRig b;
  b.card().put_piece('A', Format::notes29, 5, "Premier");
  b.card().put_piece('B', Format::notes29, 5, "Second");
  Form1& f = b.start();
  f.choixb.set_value(true);
  f.Titre.set_text("Menuet");
  std::vector<std::uint32_t> colours;
  f.Titre.subscribe([&] { colours.push_back(f.Titre.highlight); });
  f.Form_KeyDown('T', true, false, false);
  EXPECT_EQ(b.card().title('B'), "Menuet    ");
  EXPECT_EQ(b.card().title('A'), "Premier   ");
  EXPECT_EQ(b.message_lines().back(), "Modification du titre de B effectuée : Menuet    ");
  ASSERT_EQ(colours.size(), 2u);
  EXPECT_NE(colours[0], 0u);
  EXPECT_EQ(colours[1], 0u);
  EXPECT_EQ(f.titre_lu_B, "Menuet    ");
  // The records stay.
  EXPECT_EQ(b.card().piece('B')->count, 5);
  EXPECT_TRUE(f.Infos_carte.enabled());
}

TEST(Shortcuts, AltTWithoutACardReportsNoChange) {
  BoardOptions o;
  o.size_code = 0;
  BoardRig b(o);
  Form1& f = b.start();
  f.Titre.set_text("Menuet");
  f.Form_KeyDown('T', true, false, false);
  EXPECT_EQ(b.rig.dialogs.messages, std::vector<std::string>{board::kMsgNoCard});
  for (const auto& line : b.message_lines())
    EXPECT_EQ(line.find("Modification du titre"), std::string::npos) << line;
  EXPECT_TRUE(f.Infos_carte.enabled());
  EXPECT_EQ(f.Titre.highlight, 0u);
}

TEST(Shortcuts, AltTWithABoardFallingSilentGivesTheButtonsBack) {
  BoardOptions o;
  o.silent_after_lines = 1;
  BoardRig b(o);
  Form1& f = b.start();
  EXPECT_TRUE(f.Form_KeyDown('T', true, false, false));
  EXPECT_EQ(b.message_lines().back(), board::kMsgBoardSilent);
  for (const Control* k : std::initializer_list<const Control*>{
           &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte, &f.fenetre_params})
    EXPECT_TRUE(k->enabled()) << k->name();
  EXPECT_EQ(f.Titre.highlight, 0u);
}

TEST(Shortcuts, AltTWithAnUnreadableExtraNoteSendsNothing) {
  BoardRig b;
  Form1& f = b.start();
  f.options_validees = true;
  f.note30.set_text("abc");
  const std::size_t lines = b.board().lines().size();
  f.Form_KeyDown('T', true, false, false);
  EXPECT_EQ(b.board().lines().size(), lines);
  EXPECT_EQ(b.message_lines().back(), "Numéro de note supplémentaire non valide : abc");
}

}  // namespace
}  // namespace solmir
