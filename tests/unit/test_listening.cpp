// The listening model of the main window without a window: what it says when it cannot play,
// and the organ sound kept in the settings.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/form1.h"
#include "tests/support/fakes.h"

namespace solmir {
namespace {

TEST(Listening, WithoutASoundOutputItSaysSoAndChangesNothing) {
  test::Rig rig;
  Form1& f = rig.start();
  f.Midi_channel(3).set_value(true);
  f.chemin_midi = test::shared_midi("BoosterMusic-04-FrereJacques.mid").string();
  f.recharger_fichier = true;
  f.Ouvre_midi_Click();
  ASSERT_FALSE(f.Liste_tran.empty());
  const auto records = f.Liste_tran;
  f.Ecouter.click();
  EXPECT_EQ(rig.message_lines().back(), "Écoute impossible : aucune sortie son dans ce programme");
  EXPECT_FALSE(f.ecoute_en_cours);
  EXPECT_EQ(f.Ecouter.caption(), "Écouter");
  EXPECT_EQ(f.Ecoute_carte.caption(), "Écouter la carte");
  EXPECT_EQ(f.Liste_tran, records);
  EXPECT_TRUE(rig.dialogs.messages.empty());  // no message box to close
}

TEST(Listening, TheSavedSoundIsChosenAtStartAndAChoiceIsSavedAtOnce) {
  test::Rig rig;
  rig.settings.values["Solmir/Startup/son"] = "19";  // church organ
  Form1& f = rig.start();
  EXPECT_EQ(f.Son.text(), "Orgue d'église");
  EXPECT_EQ(f.son_program(), 19);
  const auto& keys = rig.settings.saved_keys;
  EXPECT_EQ(std::find(keys.begin(), keys.end(), "son"), keys.end());  // not written back
  f.Son.select(1);
  EXPECT_EQ(rig.settings.values.at("Solmir/Startup/son"), "82");
  // A value that is not one of the sounds gives the first.
  rig.settings.values["Solmir/Startup/son"] = "7";
  f.lit_params_reg();
  EXPECT_EQ(f.son_program(), 20);
}

}  // namespace
}  // namespace solmir
