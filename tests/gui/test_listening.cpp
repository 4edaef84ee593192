// "Écouter" in the window: the card image played through FluidSynth's own drivers; refused
// with a French message when it cannot be, every button and entry then left as it was.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <optional>
#include <tuple>

#include "audio/audio_failure.h"
#include "qtport/qt_environment.h"
#include "tests/gui/gui_rig.h"

namespace solmir::test {
namespace {

// An environment variable for the length of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value) : name_(name) {
    had_ = qEnvironmentVariableIsSet(name);
    old_ = qgetenv(name);
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_ = false;
  QByteArray old_;
};

using ControlState = std::tuple<std::string, bool, std::string, bool>;

// Every button and menu entry of the main window: name, enabled, caption, ticked.
std::vector<ControlState> controls_of(QWidget* w) {
  std::vector<ControlState> v;
  for (auto* b : w->findChildren<QAbstractButton*>())
    v.emplace_back(b->objectName().toStdString(), b->isEnabled(), b->text().toStdString(),
                   b->isChecked());
  for (auto* a : w->findChildren<QAction*>())
    v.emplace_back(a->objectName().toStdString(), a->isEnabled(), a->text().toStdString(),
                   a->isChecked());
  return v;
}

std::filesystem::path tune_in(GuiRig& rig) {
  const auto tune = rig.dir.path() / "Valse.mid";
  std::filesystem::copy_file(shared_midi("BeginnerCourse-04-ClairDeLaLune.mid"), tune);
  return tune;
}

TEST(Listening, RefusedWithAFrenchMessageAndEveryButtonAsItWas) {
  struct Case {
    const char* what;
    const char* driver;
    const char* sound_font;  // nullptr: Debian's
    bool open_file;
    bool card_operation;
    std::string message;
  };
  const std::string missing_font = "/absent/banque.sf2";
  const Case cases[] = {
      // A driver FluidSynth does not have fails as every driver does on a machine without
      // a sound device (CI has none).
      {"no sound output", "aucun", nullptr, true, false, audio::kMsgNoSoundOutput},
      {"no sound font", "aucun", "/absent/banque.sf2", true, false,
       audio::kMsgSoundFontMissing + missing_font},
      {"no card image yet", "aucun", nullptr, false, false,
       "Pas d'image de carte à écouter : ouvrir d'abord un fichier midi"},
      {"a card operation runs", "aucun", nullptr, true, true,
       "Écoute impossible pendant une opération sur la carte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedEnv driver("SOLMIR_AUDIO_DRIVER", c.driver);
    std::optional<ScopedEnv> font;
    if (c.sound_font) font.emplace("SOLMIR_SOUNDFONT", c.sound_font);
    GuiRig rig;
    ui::MainWindow& w = c.open_file ? rig.start(qt::from_path(tune_in(rig))) : rig.start();
    if (c.card_operation) rig.form->programming_running = true;
    auto* listen = rig.find<QPushButton>("Ecouter");
    ASSERT_NE(listen, nullptr);
    EXPECT_EQ(text_of(listen->text()), "Écouter");
    const auto before = controls_of(&w);
    for (int via_menu = 0; via_menu < 2; ++via_menu) {
      if (via_menu)
        rig.find<QAction>("Ecoute_carte")->trigger();
      else
        QTest::mouseClick(listen, Qt::LeftButton);
      EXPECT_EQ(rig.shown_messages().back(), c.message);
      EXPECT_EQ(controls_of(&w), before);
      EXPECT_FALSE(rig.form->ecoute_en_cours);
    }
    rig.form->programming_running = false;
  }
}

TEST(Listening, PlaysThroughADriverAndStopsWhenAskedTheCursorFollowing) {
  // FluidSynth's "file" driver plays in real time like a sound card, into a file of the folder.
  ScopedEnv driver("SOLMIR_AUDIO_DRIVER", "file");
  GuiRig rig;
  const QString was = QDir::currentPath();
  QDir::setCurrent(qt::from_path(rig.dir.path()));
  rig.start(qt::from_path(tune_in(rig)));
  Form1& f = *rig.form;
  std::vector<std::optional<std::int64_t>> cursor;
  f.on_play_position = [&](std::optional<std::int64_t> t) { cursor.push_back(t); };
  auto* listen = rig.find<QPushButton>("Ecouter");
  QTest::mouseClick(listen, Qt::LeftButton);
  EXPECT_EQ(text_of(listen->text()), "Arrêter");
  EXPECT_EQ(text_of(rig.find<QAction>("Ecoute_carte")->text()), "Arrêter l'écoute");
  EXPECT_EQ(rig.shown_messages().back().rfind("Écoute de la carte (Orgue à anches, ", 0), 0u);
  // The window goes on meanwhile: positions arrive through its event loop.
  ASSERT_TRUE(QTest::qWaitFor([&] { return cursor.size() >= 3; }, 30000));
  EXPECT_TRUE(std::is_sorted(cursor.begin(), cursor.end()));
  EXPECT_TRUE(cursor.back().has_value());
  QTest::mouseClick(listen, Qt::LeftButton);
  EXPECT_EQ(text_of(listen->text()), "Écouter");
  EXPECT_EQ(rig.shown_messages().back(), "Écoute arrêtée");
  EXPECT_FALSE(f.ecoute_en_cours);
  ASSERT_FALSE(cursor.empty());
  EXPECT_EQ(cursor.back(), std::nullopt);  // the cursor goes away
  QDir::setCurrent(was);
}

TEST(Listening, TheSoundChosenInTheMenuIsKept) {
  GuiRig rig;
  rig.start();
  auto entry = [&](int i) { return rig.find<QAction>(("Son_" + std::to_string(i)).c_str()); };
  ASSERT_NE(entry(4), nullptr);
  EXPECT_EQ(text_of(entry(0)->text()), "Orgue à anches");
  EXPECT_TRUE(entry(0)->isChecked());
  entry(2)->trigger();
  EXPECT_EQ(rig.saved("son"), "21");  // the accordion's General MIDI program
  EXPECT_EQ(rig.form->son_program(), 21);
  EXPECT_TRUE(entry(2)->isChecked());
  EXPECT_FALSE(entry(0)->isChecked());
  // At the next start, the saved sound is chosen again.
  rig.save("son", "82");
  rig.form->lit_params_reg();
  EXPECT_TRUE(entry(1)->isChecked());
  EXPECT_EQ(text_of(entry(1)->text()), "Calliope");
}

}  // namespace
}  // namespace solmir::test
