// The small windows of the main window: extra notes, pre-processing, About box, card
// information.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QUrl>

#include "tests/gui/gui_rig.h"
#include "ui/bindings.h"
#include "ui/form_windows.h"

namespace solmir::test {
namespace {

TEST(Form2Window, EditsGoToTheNoteBoxesAtOnceAndValiderSaves) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  Form1& f = *rig.form;
  f.note31.set_text("62");
  f.active_menus_carte();
  rig.find<QAction>("option32N")->trigger();
  QWidget* dialog = w.form2_window();
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(text_of(dialog->windowTitle()), "Notes supplémentaires en 32 notes");
  auto* text1 = GuiRig::find_in<QLineEdit>(dialog, "Text1");
  EXPECT_EQ(text_of(GuiRig::find_in<QLineEdit>(dialog, "Text2")->text()), "62");
  EXPECT_EQ(text_of(GuiRig::find_in<QLabel>(dialog, "Label1")->text()), "Note 30");

  text1->selectAll();
  QTest::keyClicks(text1, "61");
  EXPECT_EQ(f.note30.text(), "61");

  // Ticking "Marque" with neither 42 nor 32 notes selects 32 notes.
  auto* marque = GuiRig::find_in<QAbstractButton>(dialog, "Check1");
  EXPECT_EQ(text_of(marque->text()), "Marque");
  marque->click();
  EXPECT_TRUE(f.Check_marque.value());
  EXPECT_TRUE(rig.find<QAbstractButton>("Option32")->isChecked());

  GuiRig::find_in<QPushButton>(dialog, "Valider")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(f.options_validees);
  EXPECT_EQ(f.table_notes[29], 61);
  EXPECT_EQ(rig.saved("note30"), "61");
  EXPECT_EQ(rig.saved("Option32"), "1");
  EXPECT_TRUE(text1->isEnabled());
}

TEST(Form2Window, ClosingTheWindowHidesItInTheModel) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  rig.form->option32N_Click();
  ASSERT_TRUE(w.form2_window()->isVisible());
  w.form2_window()->close();
  EXPECT_FALSE(rig.form->form2.window.visible());
  rig.form->option32N_Click();
  EXPECT_TRUE(w.form2_window()->isVisible());
}

TEST(Form2Window, OpensBesideTheMainWindowAndStaysOnTheScreen) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  const QRect area = w.screen()->availableGeometry();
  w.move(area.left() + 200, area.top());
  QApplication::processEvents();
  ASSERT_EQ(rig.form->window.left, ui::px_to_twips(area.left() + 200, w.logicalDpiX()));
  rig.form->option32N_Click();
  QWidget* dialog = w.form2_window();
  // 400 twips right of the main window; 400 twips above it would be off the screen.
  EXPECT_EQ(dialog->x(), area.left() + 200 + ui::twips_to_px(400, w.logicalDpiX()));
  EXPECT_EQ(dialog->y(), area.top());
}

TEST(Form8Window, ThresholdsAreCopiedAtOnceAndValiderSaves) {
  GuiRig rig;
  rig.save("separe_note", "3");
  ui::MainWindow& w = rig.start();
  rig.find<QAction>("traite_midi")->trigger();
  QWidget* dialog = w.form8_window();
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(text_of(dialog->windowTitle()), "Pré-traitements midi");
  auto* separation = GuiRig::find_in<QLineEdit>(dialog, "Text1");
  auto* alignment = GuiRig::find_in<QLineEdit>(dialog, "Text2");
  EXPECT_EQ(text_of(separation->text()), "3");
  EXPECT_EQ(text_of(GuiRig::find_in<QLabel>(dialog, "Label1")->text()),
            "Écartement entre notes successives");
  EXPECT_EQ(text_of(GuiRig::find_in<QLabel>(dialog, "Label3")->text()),
            "Une unité = 1/240 s =  0.25 mm de carton                La valeur 0 supprime le "
            "traitement correspondant");
  alignment->selectAll();
  QTest::keyClicks(alignment, "4");
  EXPECT_EQ(rig.form->aligne_note.text(), "4");
  GuiRig::find_in<QPushButton>(dialog, "Valider")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(rig.saved("aligne_note"), "4");
  EXPECT_EQ(rig.saved("separe_note"), "3");
}

// Receives the pages the desktop is asked to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

TEST(Form3Window, TheAboxBoxShowsTheVersionAndOpensTheProjectPage) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  rig.find<QAction>("apropos")->trigger();
  QWidget* about = w.form3_window();
  ASSERT_TRUE(about->isVisible());
  EXPECT_EQ(text_of(GuiRig::find_in<QLabel>(about, "Label2")->text()), "Version 7.0");
  EXPECT_FALSE(GuiRig::find_in<QLabel>(about, "Label3")->text().isEmpty());

  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("https", &catcher, "open");
  QTest::mouseClick(GuiRig::find_in<QLabel>(about, "Label4"), Qt::LeftButton);
  QDesktopServices::unsetUrlHandler("https");
  ASSERT_EQ(catcher.urls.size(), 1);
  EXPECT_EQ(text_of(catcher.urls.front().toString()), kProjectUrl);

  GuiRig::find_in<QPushButton>(about, "OK")->click();
  EXPECT_FALSE(about->isVisible());
  EXPECT_FALSE(rig.form->form3.window.visible());
}

TEST(Form4Window, LabelsFollowTheModel) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  board::Form4& m = rig.form->form4;
  QWidget* info = w.form4_window();
  EXPECT_FALSE(info->isVisible());
  m.mA.set_caption("528");
  m.Label2.set_visible(false);
  m.Label242.set_visible(true);
  m.Label12.set_visible(false);
  m.titredeA.set_caption("\"Valse     \"");
  m.window.move(rig.form->window.left + 400, rig.form->window.top + 400);
  m.window.show();
  ASSERT_TRUE(info->isVisible());
  EXPECT_EQ(text_of(info->windowTitle()), "Infos sur la carte");
  EXPECT_EQ(text_of(GuiRig::find_in<QLabel>(info, "mA")->text()), "528");
  EXPECT_EQ(text_of(GuiRig::find_in<QLabel>(info, "titredeA")->text()), "\"Valse     \"");
  EXPECT_FALSE(GuiRig::find_in<QLabel>(info, "Label2")->isVisible());
  EXPECT_TRUE(GuiRig::find_in<QLabel>(info, "Label242")->isVisible());
  EXPECT_FALSE(GuiRig::find_in<QLabel>(info, "Label12")->isVisible());
  EXPECT_TRUE(GuiRig::find_in<QLabel>(info, "Label8")->isVisible());
  info->close();
  EXPECT_FALSE(m.window.visible());
}

}  // namespace
}  // namespace solmir::test

#include "test_form_windows.moc"
