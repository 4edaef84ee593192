// The main window on real widgets: start-up, the scale and piece boxes, the service messages,
// the file commands and quitting, found by their object names.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <stdexcept>

#include "base/failure.h"
#include "base/inpout.h"
#include "qtport/qt_environment.h"
#include "qtport/qt_event_loop.h"
#include "score/scales.h"
#include "tests/gui/gui_rig.h"
#include "ui/bindings.h"
#include "ui/form_windows.h"
#include "ui/widgets.h"

namespace solmir::test {
namespace {

constexpr const char* kSelect = "Sélectionner un fichier midi ou une opération carte";

int px(QWidget* w, int twips) {
  return ui::twips_to_px(twips, w->logicalDpiX());
}

TEST(MainWindow, FreshStartShowsTheDefaults) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  Form1& f = *rig.form;

  EXPECT_EQ(text_of(w.windowTitle()), kCaption);
  EXPECT_EQ(text_of(rig.find<QLineEdit>("port")->text()), "0");
  EXPECT_FALSE(rig.find<QAbstractButton>("mode42")->isChecked());
  EXPECT_FALSE(rig.find<QAbstractButton>("Option32")->isChecked());
  EXPECT_TRUE(rig.find<QAbstractButton>("choixa")->isChecked());
  EXPECT_FALSE(rig.find<QAbstractButton>("choixb")->isChecked());
  for (std::size_t k = 0; k < 29; ++k) EXPECT_EQ(f.table_notes[k], score::kBaseScale[k]) << k;
  for (std::size_t k = 29; k <= 44; ++k) EXPECT_EQ(f.table_notes[k], 0) << k;
  EXPECT_EQ(f.separe_note.text(), "0");
  EXPECT_EQ(f.aligne_note.text(), "0");
  EXPECT_EQ(text_of(GuiRig::find_in<QLineEdit>(w.form8_window(), "Text1")->text()), "0");
  EXPECT_EQ(text_of(GuiRig::find_in<QLineEdit>(w.form8_window(), "Text2")->text()), "0");

  EXPECT_EQ(f.window.width, 7815);
  EXPECT_EQ(f.window.height, 4380);
  EXPECT_EQ(w.width(), px(&w, 7815));
  EXPECT_EQ(w.height(), px(&w, 4380));
  EXPECT_EQ(rig.shown_messages().front(), kSelect);
  // Not connected: the lamp is red and the card commands wait for the board.
  EXPECT_EQ(rig.find<ui::ShapeWidget>("Shape1")->fill_color(), QColor(255, 0, 0));
  EXPECT_FALSE(rig.find<QPushButton>("Infos_carte")->isEnabled());
  EXPECT_FALSE(rig.find<QAction>("option32N")->isEnabled());
}

TEST(MainWindow, SavedWidthChoosesTheNarrowOrTheWideWindow) {
  const struct {
    const char* saved;
    int width;
  } cases[] = {{"7815", 7815}, {"7816", 9495}, {"9495", 9495}, {"12000", 9495}, {"5000", 7815}};
  for (const auto& c : cases) {
    GuiRig rig;
    rig.save("largeur_fenetre", c.saved);
    ui::MainWindow& w = rig.start();
    EXPECT_EQ(rig.form->window.width, c.width) << c.saved;
    EXPECT_EQ(w.width(), px(&w, c.width)) << c.saved;
  }
}

TEST(MainWindow, ThePieceChoiceKeepsExactlyOneTicked) {
  GuiRig rig;
  rig.start();
  auto* a = rig.find<QAbstractButton>("choixa");
  auto* b = rig.find<QAbstractButton>("choixb");
  a->click();  // unticking A ticks B
  EXPECT_FALSE(a->isChecked());
  EXPECT_TRUE(b->isChecked());
  EXPECT_TRUE(rig.form->choixb.value());
  a->click();  // ticking A unticks B
  EXPECT_TRUE(a->isChecked());
  EXPECT_FALSE(b->isChecked());
  b->click();
  b->click();
  EXPECT_TRUE(a->isChecked());
  EXPECT_FALSE(b->isChecked());
  EXPECT_TRUE(rig.form->choixa.value());
}

TEST(MainWindow, TheScaleRulesChainThroughTheBoxes) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  Form1& f = *rig.form;
  auto* m32 = rig.find<QAbstractButton>("Option32");
  auto* m42 = rig.find<QAbstractButton>("mode42");
  auto* ch10 = rig.find<QAbstractButton>("Midi_channel_9");
  auto* frame = GuiRig::find_in<QGroupBox>(w.form2_window(), "Frame1");

  m32->click();
  ASSERT_TRUE(m32->isChecked());
  ch10->click();
  EXPECT_TRUE(ch10->isChecked());
  EXPECT_TRUE(m42->isChecked());
  EXPECT_FALSE(m32->isChecked());
  EXPECT_EQ(f.table_notes[0], 68);
  EXPECT_EQ(f.table_notes[16], 35);
  EXPECT_EQ(text_of(w.form2_window()->windowTitle()), "Notes optionnelles percussions");
  EXPECT_EQ(text_of(frame->title()), "Numéros midi des percussion ajoutées");

  ch10->click();
  EXPECT_FALSE(ch10->isChecked());
  EXPECT_FALSE(m42->isChecked());
  EXPECT_FALSE(m32->isChecked());
  for (std::size_t k = 0; k < 29; ++k) EXPECT_EQ(f.table_notes[k], score::kBaseScale[k]) << k;
  EXPECT_EQ(text_of(w.form2_window()->windowTitle()), "Notes supplémentaires en 32 notes");
  EXPECT_EQ(text_of(frame->title()), "Numéros midi des notes ajoutées au 29");
}

TEST(MainWindow, ThreeTicksOfTheStatusTimerAddThreeLinesAndTheViewFollows) {
  GuiRig rig;
  rig.start();
  Form1& f = *rig.form;
  for (int i = 0; i < 20; ++i) f.append_message("Ligne " + std::to_string(i));
  f.msg_variable.set_text("Programmation en cours");
  const std::size_t before = rig.shown_messages().size();
  f.Timer1.set_enabled(true);
  attente(rig.loop, 3000);
  f.Timer1.set_enabled(false);

  const std::vector<std::string> lines = rig.shown_messages();
  ASSERT_EQ(lines.size(), before + 3);
  EXPECT_EQ(lines[before], " ");
  EXPECT_EQ(lines[before + 1], "Programmation en cours");
  EXPECT_EQ(lines[before + 2], " ");
  QScrollBar* bar = rig.find<QTextEdit>("Label_defautP")->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(MainWindow, ReplacingTheMessagesShowsTheNewTextOnly) {
  GuiRig rig;
  rig.start();
  rig.form->append_message("Un");
  rig.form->replace_messages("Deux\r\nTrois\r\n");
  EXPECT_EQ(rig.shown_messages(), (std::vector<std::string>{"Deux", "Trois"}));
}

TEST(MainWindow, AFileChosenInTheDialogIsOpened) {
  GuiRig rig;
  rig.start();
  const std::string path = shared_midi("BeginnerCourse-04-ClairDeLaLune.mid").string();
  rig.dialogs.paths.push_back(path);
  rig.find<QAction>("Ouvre_midi")->trigger();

  EXPECT_EQ(rig.dialogs.last_filters, "Fichiers (*.mid)|*.mid|Tous (*.*)|*.*|");
  EXPECT_EQ(text_of(rig.find<QLabel>("Label4")->text()), path);
  EXPECT_EQ(text_of(rig.find<QLineEdit>("Titre")->text()), "BeginnerCourse-04-ClairDeLaLune.mid");
  const auto lines = rig.shown_messages();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Désassemblage du fichier midi"), lines.end());
  EXPECT_FALSE(rig.dialogs.busy);
  EXPECT_FALSE(rig.form->Liste1.empty());
}

TEST(MainWindow, AFileGivenAtStartIsOpenedWithoutTheDialog) {
  GuiRig rig;
  const std::filesystem::path tune = rig.dir.path() / "Valse.mid";
  std::filesystem::copy_file(shared_midi("BeginnerCourse-04-ClairDeLaLune.mid"), tune);
  rig.start(qt::from_path(tune));
  EXPECT_TRUE(rig.dialogs.last_title.empty());
  EXPECT_EQ(text_of(rig.find<QLabel>("Label4")->text()), tune.string());
  EXPECT_EQ(text_of(rig.find<QLineEdit>("Titre")->text()), "Valse.mid");
  EXPECT_FALSE(rig.form->recharger_fichier);
}

TEST(MainWindow, AMissingFileGivenAtStartIsReportedInFrench) {
  GuiRig rig;
  const std::filesystem::path tune = rig.dir.path() / "absent.mid";
  rig.start(qt::from_path(tune));
  const auto lines = rig.shown_messages();
  EXPECT_EQ(lines.back(),
            "Traitement interrompu : Impossible de lire le fichier midi : " + tune.string());
  EXPECT_FALSE(rig.dialogs.busy);
}

TEST(MainWindow, ACommandThatFailsSaysSoAndRestoresThePointer) {
  const struct {
    std::function<void()> failure;
    std::string message;
  } cases[] = {
      {[] { throw RunFailure("Le port ne répond pas"); },
       "La commande « Ouvrir fichier Midi... » s'est arrêtée : Le port ne répond pas"},
      {[] { throw std::runtime_error("bad thing"); },
       "Erreur inattendue pendant « Ouvrir fichier Midi... » : bad thing"},
      {[] { throw 42; }, "Erreur inattendue pendant « Ouvrir fichier Midi... »"},
  };
  for (const auto& c : cases) {
    GuiRig rig;
    rig.start();
    rig.form->Ouvre_midi.on_click = [&rig, &c] {
      rig.dialogs.set_busy(true);
      c.failure();
    };
    rig.find<QAction>("Ouvre_midi")->trigger();
    EXPECT_EQ(rig.shown_messages().back(), c.message);
    EXPECT_FALSE(rig.dialogs.busy) << c.message;
  }
}

TEST(MainWindow, AFailureInAPostedTaskIsReportedInsteadOfEndingTheProgram) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  qt::QtEventLoop loop;
  loop.run_task = [&w](const std::function<void()>& task) { w.run_guarded(task); };
  bool later = false;
  loop.post(0, [] { throw std::runtime_error("lien perdu"); });
  loop.post(0, [&later] { later = true; });
  attente(loop, 0);
  EXPECT_EQ(rig.shown_messages().back(),
            "Erreur inattendue pendant « tâche différée » : lien perdu");
  EXPECT_TRUE(later);
}

TEST(MainWindow, TheTitleTakesTenTypedCharactersAtMost) {
  GuiRig rig;
  rig.start();
  auto* title = rig.find<QLineEdit>("Titre");
  title->setFocus();
  QTest::keyClicks(title, "Valse musette");
  EXPECT_EQ(text_of(title->text()), "Valse muse");
  EXPECT_EQ(rig.form->Titre.text(), "Valse muse");

  // A longer title put in by the program stays whole; the user may shorten it, not lengthen it.
  rig.form->Titre.set_text("au-clair-de-la-lune.mid");
  EXPECT_EQ(text_of(title->text()), "au-clair-de-la-lune.mid");
  title->end(false);
  QTest::keyClick(title, Qt::Key_Backspace);
  EXPECT_EQ(rig.form->Titre.text(), "au-clair-de-la-lune.mi");
  QTest::keyClick(title, Qt::Key_X);
  EXPECT_EQ(rig.form->Titre.text(), "au-clair-de-la-lune.mi");
}

TEST(MainWindow, EveryControlHasItsWidgetAndMirrorsItsState) {
  GuiRig rig;
  rig.start();
  Form1& f = *rig.form;
  std::vector<Control*> controls = {
      &f.Infos_carte, &f.Effacer_carte,   &f.Tester_carte, &f.Copier_carte, &f.Label2,  &f.port,
      &f.mode42,      &f.Option32,        &f.choixa,       &f.choixb,       &f.Label3,  &f.Titre,
      &f.Text1,       &f.gauge1,          &f.programmer,   &f.Shape1,       &f.vitesse, &f.Pas_ech,
      &f.Delai_init,  &f.Delai_init_demo, &f.Label4,       &f.Label_defautP};
  for (int i = 0; i < 16; ++i) {
    controls.push_back(&f.Midi_channel(i));
    controls.push_back(&f.num_canal(i));
  }
  for (Control* c : controls) {
    auto* w = rig.find<QWidget>(c->name().c_str());
    ASSERT_NE(w, nullptr) << c->name();
    if (!c->tooltip().empty()) {
      EXPECT_EQ(text_of(w->toolTip()), c->tooltip()) << c->name();
    }
    c->set_enabled(false);
    EXPECT_FALSE(w->isEnabled()) << c->name();
    c->set_enabled(true);
    EXPECT_TRUE(w->isEnabled()) << c->name();
    c->set_visible(false);
    EXPECT_TRUE(w->isHidden()) << c->name();
    c->set_visible(true);
    EXPECT_FALSE(w->isHidden()) << c->name();
  }
  f.programmer.set_caption("Rafraichir");
  EXPECT_EQ(text_of(rig.find<QPushButton>("programmer")->text()), "Rafraichir");
  f.Shape1.set_color(kGreen);
  EXPECT_EQ(rig.find<ui::ShapeWidget>("Shape1")->fill_color(), QColor(0, 255, 0));
  f.gauge1.set_max(200);
  f.gauge1.set_value(50);
  EXPECT_EQ(rig.find<QProgressBar>("gauge1")->maximum(), 200);
  EXPECT_EQ(rig.find<QProgressBar>("gauge1")->value(), 50);
  f.Text1.set_text("42");
  EXPECT_EQ(text_of(rig.find<QLineEdit>("Text1")->text()), "42");
}

TEST(MainWindow, TheMenusHoldEveryEntryWithItsCaption) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  Form1& f = *rig.form;
  const std::vector<std::string> fichier = {"Ouvrir fichier Midi...",
                                            "Sauver fichier Midi...",
                                            "Écouter la carte",
                                            "Son",
                                            "Pré-traitements...",
                                            "Aperçu de la carte",
                                            "",
                                            "Quitter"};
  const std::vector<std::string> outils = {"Programmation Atmega", "Paramètres",
                                           "Démo intégrée (29 notes)", "Notes optionnelles..."};
  auto captions = [](QMenu* m) {
    std::vector<std::string> v;
    for (QAction* a : m->actions()) v.push_back(a->isSeparator() ? "" : text_of(a->text()));
    return v;
  };
  QMenu* file_menu = w.findChild<QMenu*>("Fichier");
  QMenu* tools_menu = w.findChild<QMenu*>("Programmation");
  ASSERT_TRUE(file_menu && tools_menu);
  EXPECT_EQ(text_of(file_menu->title()), "Fichier");
  EXPECT_EQ(text_of(tools_menu->title()), "Outils");
  EXPECT_EQ(captions(file_menu), fichier);
  EXPECT_EQ(captions(tools_menu), outils);
  EXPECT_EQ(captions(w.findChild<QMenu*>("Atmega328")),
            (std::vector<std::string>{"Uno - Uno rev3", "Duemilanove", "Nano (ancien bootloader)",
                                      "Nano (nouveau bootloader 01-2018)"}));
  EXPECT_EQ(text_of(rig.find<QAction>("apropos")->text()), "?");

  // The board's menus follow the link state.
  f.active_menus_carte();
  for (const char* name : {"fenetre_params", "Prog_demo", "option32N"})
    EXPECT_TRUE(rig.find<QAction>(name)->isEnabled()) << name;
  f.desactive_menus_carte();
  for (const char* name : {"fenetre_params", "Prog_demo", "option32N"})
    EXPECT_FALSE(rig.find<QAction>(name)->isEnabled()) << name;
  // A disabled entry does nothing when triggered.
  rig.find<QAction>("option32N")->trigger();
  EXPECT_FALSE(w.form2_window()->isVisible());
}

TEST(MainWindow, QuitSavesTheSettingsAndEndsOnlyThisWindow) {
  for (const bool from_menu : {true, false}) {
    GuiRig rig;
    ui::MainWindow& w = rig.start();
    rig.find<QLineEdit>("port")->setText("");
    QTest::keyClicks(rig.find<QLineEdit>("port"), "7");
    ASSERT_EQ(rig.form->port.text(), "7");
    if (from_menu) {
      rig.find<QAction>("quitter")->trigger();
    } else {
      w.close();
    }
    EXPECT_TRUE(w.has_quit());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(rig.saved("Port"), "7");
    EXPECT_EQ(rig.saved("largeur_fenetre"), "7815");
    // No other program is run on the way out (other copies of Solmir are left alone).
    EXPECT_TRUE(rig.processes.runs.empty());
  }
}

}  // namespace
}  // namespace solmir::test
