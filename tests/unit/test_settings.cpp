// Saved settings, the settings file, the folders and the log.
#include <gtest/gtest.h>

#include "tests/support/fakes.h"

namespace solmir {
namespace {

TEST(Settings, FreshStartDefaults) {
  test::Rig rig;
  Form1& f = rig.start();
  EXPECT_EQ(f.port.text(), "0");
  EXPECT_EQ(f.note30.text(), "0");
  EXPECT_EQ(f.separe_note.text(), "0");
  EXPECT_EQ(f.aligne_note.text(), "0");
  EXPECT_FALSE(f.Option32.value());
  EXPECT_FALSE(f.mode42.value());
  EXPECT_TRUE(f.choixa.value());
  EXPECT_FALSE(f.choixb.value());
  EXPECT_EQ(f.window.width, 7815);
  EXPECT_EQ(f.window.height, 4380);
  EXPECT_EQ(f.vitesse.text(), "60");
  EXPECT_EQ(f.Pas_ech.text(), "0.25");
  EXPECT_EQ(f.window.caption(), "Programmation de cartes à puces pour orgue de barbarie (v 7.0)");
  // The data folder and its working folders are made when missing.
  EXPECT_TRUE(std::filesystem::is_directory(f.dossier_donnees / "Solmir" / "Temp"));
  EXPECT_TRUE(std::filesystem::is_directory(f.dossier_donnees / "Solmir" / "Params"));
}

TEST(Settings, SavedInTableOrderAndReadBack) {
  test::Rig rig;
  Form1& f = rig.start();
  f.note31.set_text("63");
  f.separe_note.set_text("4");
  f.mode42.set_value(true);
  f.window.resize(9000, 4380);
  f.Sauve_params_reg();
  EXPECT_EQ(rig.settings.saved_keys,
            (std::vector<std::string>{"Port", "note30", "note31", "note32", "Option32", "mode42",
                                      "separe_note", "aligne_note", "largeur_fenetre"}));
  EXPECT_EQ(rig.settings.values.at("Solmir/Startup/mode42"), "1");
  EXPECT_EQ(rig.settings.values.at("Solmir/Startup/Option32"), "0");

  Form1& g = rig.start();  // a new start with what was saved
  EXPECT_EQ(g.note31.text(), "63");
  EXPECT_EQ(g.form2.Text2.text(), "63");
  EXPECT_EQ(g.separe_note.text(), "4");
  EXPECT_TRUE(g.mode42.value());
  EXPECT_EQ(g.table_notes[0], 49);
  EXPECT_EQ(g.table_notes[14], 63);
  EXPECT_EQ(g.window.width, 9495);  // above 7815: the wide window
}

TEST(Settings, SettingsFileWithFourLines) {
  test::Rig rig;
  test::write_file(rig.environment.program_ / "solmir.ini", "50\r\n0.5\r\n80\r\n12\r\n");
  Form1& f = rig.start();
  EXPECT_EQ(f.vitesse.text(), "50");
  EXPECT_EQ(f.Pas_ech.text(), "0.5");
  EXPECT_EQ(f.Delai_init.text(), "80");
  EXPECT_EQ(f.Delai_init_demo.text(), "12");
  EXPECT_EQ(f.window.caption(), kCaption);
  EXPECT_TRUE(f.Option32.enabled());
}

TEST(Settings, CustomScaleOfThirtyFiveNotesStaysInForce) {
  test::Rig rig;
  std::string ini = "60\n0.25\n100\n10\n## 35\n";
  for (int k = 0; k < 35; ++k) ini += std::to_string(40 + k) + "\n";
  test::write_file(rig.environment.program_ / "solmir.ini", ini);
  // Saved scale boxes do not override the organ's own scale.
  rig.settings.values["Solmir/Startup/mode42"] = "1";
  rig.settings.values["Solmir/Startup/note30"] = "99";
  Form1& f = rig.start();
  EXPECT_TRUE(f.Option32.value());
  EXPECT_FALSE(f.mode42.value());
  EXPECT_FALSE(f.Option32.enabled());
  EXPECT_FALSE(f.mode42.enabled());
  EXPECT_FALSE(f.option32N.enabled());
  for (int k = 0; k < 35; ++k) EXPECT_EQ(f.table_notes[k], 40 + k) << k;
  EXPECT_EQ(f.note30.text(), "69");
  EXPECT_EQ(f.note32.text(), "71");
  EXPECT_EQ(f.window.caption(), "Programmation de cartes à puces pour orgue de barbarie  35 notes");
  EXPECT_EQ(f.form3.Label1.caption(),
            "Logiciel de programmation d'une carte à puces pour orgue de barbarie 35 notes");
  // Percussion can still be chosen, and unticking it brings the custom scale back.
  f.Midi_channel(9).set_value(true);
  EXPECT_EQ(f.table_notes[0], 68);
  f.Midi_channel(9).set_value(false);
  for (int k = 0; k < 35; ++k) EXPECT_EQ(f.table_notes[k], 40 + k) << k;
}

TEST(Settings, CustomScaleWithMissingLinesKeepsWhatWasRead) {
  test::Rig rig;
  test::write_file(rig.environment.program_ / "solmir.ini", "60\n0.25\n100\n10\n## 29\n50\n51\n");
  Form1& f = rig.start();
  EXPECT_EQ(f.table_notes[0], 50);
  EXPECT_EQ(f.table_notes[1], 51);
  EXPECT_EQ(f.table_notes[2], 53);  // the base scale where the file gives no note
  EXPECT_FALSE(f.Option32.value());
  f.Option32.set_value(true);
  EXPECT_EQ(f.table_notes[1], 51);
  EXPECT_EQ(f.table_notes[2], 53);
}

}  // namespace
}  // namespace solmir
