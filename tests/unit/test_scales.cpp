// The note table for each scale and the rules that tie the scale boxes together.
#include <gtest/gtest.h>

#include "score/scales.h"
#include "tests/support/fakes.h"

namespace solmir {
namespace {

TEST(Scales, BaseScaleTakesTheExtraNotesAsTheyStand) {
  test::Rig rig;
  Form1& f = rig.start();
  for (int k = 0; k < 29; ++k) EXPECT_EQ(f.table_notes[k], score::kBaseScale[k]) << k;
  for (int k = 29; k <= 44; ++k) EXPECT_EQ(f.table_notes[k], 0) << k;  // never 255 here
  f.note30.set_text("60");
  f.note32.set_text("91");
  f.Def_notes_base();
  EXPECT_EQ(f.table_notes[29], 60);
  EXPECT_EQ(f.table_notes[30], 0);
  EXPECT_EQ(f.table_notes[31], 91);
  EXPECT_EQ(f.form2.window.caption(), "Notes supplémentaires en 32 notes");
  EXPECT_EQ(f.form2.Label1.caption(), "Note 30");
}

TEST(Scales, FortyTwoNotesMarkEmptyExtraNotes) {
  test::Rig rig;
  Form1& f = rig.start();
  f.note30.set_text("90");
  f.note31.set_text("0");
  f.note32.set_text("92");
  f.mode42.set_value(true);
  EXPECT_EQ(f.table_notes[0], 49);
  EXPECT_EQ(f.table_notes[12], 89);
  EXPECT_EQ(f.table_notes[13], 90);
  EXPECT_EQ(f.table_notes[14], score::kNoNote);
  EXPECT_EQ(f.table_notes[15], 92);
  EXPECT_EQ(f.table_notes[16], 48);
  EXPECT_EQ(f.table_notes[44], 86);
  EXPECT_EQ(f.form2.Frame1.caption(), "Numéros midi des notes ajoutées au 42");
  EXPECT_EQ(f.form2.Label3.caption(), "Note 45");
}

TEST(Scales, TheBoxesChainIntoOneAnother) {
  test::Rig rig;
  Form1& f = rig.start();
  // Channel 10 while 32 notes is ticked: percussion in the 42-note layout.
  f.Option32.set_value(true);
  f.Midi_channel(9).set_value(true);
  EXPECT_TRUE(f.mode42.value());
  EXPECT_FALSE(f.Option32.value());
  EXPECT_TRUE(f.Midi_channel(9).value());
  EXPECT_EQ(f.table_notes[0], 68);
  EXPECT_EQ(f.table_notes[16], 35);
  EXPECT_EQ(f.form2.window.caption(), "Notes optionnelles percussions");
  // Unticking channel 10 unticks 42 notes and restores the base scale.
  f.Midi_channel(9).set_value(false);
  EXPECT_FALSE(f.mode42.value());
  EXPECT_EQ(f.table_notes[0], 48);
  // 32 notes unticks 42 notes and the percussion channel.
  f.Midi_channel(9).set_value(true);
  f.Option32.set_value(true);
  EXPECT_FALSE(f.mode42.value());
  EXPECT_FALSE(f.Midi_channel(9).value());
  EXPECT_EQ(f.table_notes[0], 48);
  // Another channel box changes nothing in the table.
  const auto before = f.table_notes;
  f.Midi_channel(2).set_value(true);
  EXPECT_EQ(f.table_notes, before);
}

TEST(Scales, ReloadPromptOnlyWhileProgrammerIsEnabled) {
  test::Rig rig;
  Form1& f = rig.start();
  const std::string before = f.Label_defautP.text();
  f.Option32.set_value(true);
  EXPECT_EQ(f.Label_defautP.text(), before);
  EXPECT_EQ(f.programmer.caption(), "Programmer");

  // A piece loaded while the board is connected: the button is enabled.
  f.state.link_open = true;
  f.Liste_tran = {std::string(40, '0')};
  f.card_image_made(ImageSource::midi_file, true);
  ASSERT_TRUE(f.programmer.enabled());
  f.mode42.set_value(true);  // appended after a mode42 change
  EXPECT_EQ(f.programmer.caption(), "Rafraichir");
  EXPECT_EQ(rig.message_lines().back(), "Cliquer Rafraichir pour recharger le même fichier midi");
  EXPECT_GT(rig.message_lines().size(), 1u);
  f.Midi_channel(3).set_value(true);  // replaces after a channel change
  EXPECT_EQ(f.Label_defautP.text(), "Cliquer Rafraichir pour recharger le même fichier midi\r\n");
}

TEST(Scales, ExtraNotesDialog) {
  test::Rig rig;
  Form1& f = rig.start();
  f.option32N.set_enabled(true);
  f.option32N.click();
  EXPECT_TRUE(f.form2.window.visible());
  f.form2.Text1.set_text("61");  // copied at once
  EXPECT_EQ(f.note30.text(), "61");
  // "Marque" with neither 42 nor 32 notes ticks 32 notes.
  f.form2.Check1.set_value(true);
  EXPECT_TRUE(f.Check_marque.value());
  EXPECT_TRUE(f.Option32.value());
  f.form2.Valider.click();
  EXPECT_TRUE(f.options_validees);
  EXPECT_FALSE(f.form2.window.visible());
  EXPECT_EQ(f.table_notes[29], 61);
  EXPECT_EQ(rig.settings.values.at("Solmir/Startup/note30"), "61");
  EXPECT_TRUE(f.form2.Text1.enabled());
}

TEST(Scales, AnExtraNoteThatIsNotANumberIsReported) {
  test::Rig rig;
  Form1& f = rig.start();
  f.note30.set_text("douze");
  f.Def_notes_base();
  EXPECT_EQ(rig.message_lines().back(), "Numéro de note supplémentaire non valide : douze");
  EXPECT_EQ(f.table_notes[0], 48);  // what was filled before stays
}

}  // namespace
}  // namespace solmir
