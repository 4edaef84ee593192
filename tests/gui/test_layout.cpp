// The windows show everything they hold: every widget gets the room it asks for, inside its
// parent, at the window's own size. The suite runs again at 200 % scaling.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "tests/gui/gui_rig.h"
#include "ui/bindings.h"
#include "ui/form_windows.h"

namespace solmir::test {
namespace {

int px(QWidget* w, int twips) {
  return ui::twips_to_px(twips, w->logicalDpiX());
}

void expect_nothing_clipped(QWidget* top) {
  ASSERT_TRUE(top->isVisible()) << top->objectName().toStdString();
  int checked = 0;
  for (QWidget* w : top->findChildren<QWidget*>()) {
    if (w->window() != top || !w->isVisibleTo(top)) continue;
    if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLabel*>(w) &&
        !qobject_cast<QLineEdit*>(w) && !qobject_cast<QGroupBox*>(w))
      continue;
    ++checked;
    const std::string name = top->objectName().toStdString() + "/" + w->objectName().toStdString();
    const QSize hint = w->minimumSizeHint();
    EXPECT_GE(w->width(), hint.width()) << name;
    EXPECT_GE(w->height(), hint.height()) << name;
    if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap()) {
      EXPECT_GE(w->height(), w->heightForWidth(w->width())) << name;
    }
    EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name;
  }
  EXPECT_GT(checked, 0);
}

TEST(Layout, TheMainWindowShowsEverythingAtItsNarrowAndWideSizes) {
  for (const char* saved : {"7815", "9495"}) {
    GuiRig rig;
    rig.save("largeur_fenetre", saved);
    ui::MainWindow& w = rig.start();
    rig.form->Label4.set_caption("/home/utilisateur/Documents/Solmir/Musique/une valse.mid");
    const int width = std::stoi(saved);
    EXPECT_EQ(w.width(), px(&w, width)) << saved;
    EXPECT_EQ(w.height(), px(&w, 4380)) << saved;
    expect_nothing_clipped(&w);
  }
}

TEST(Layout, TheSmallWindowsShowEverything) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  Form1& f = *rig.form;
  f.fill_percussion();  // the longest captions of the extra-notes window
  f.option32N_Click();
  f.traite_midi_Click();
  f.apropos.click();
  board::Form4& info = f.form4;
  info.carte.set_caption("524288");
  info.mA.set_caption("524288");
  info.mB.set_caption("524288");
  info.Label11.set_caption("524288");
  info.titredeA.set_caption("\"MMMMMMMMMM\"");
  info.titredeB.set_caption("\"Sans titre\"");
  info.Label7.set_caption("(*)");
  info.Label242.set_visible(true);
  info.Label342.set_visible(true);
  info.window.show();
  for (QWidget* d :
       {static_cast<QWidget*>(w.form2_window()), static_cast<QWidget*>(w.form3_window()),
        static_cast<QWidget*>(w.form4_window()), static_cast<QWidget*>(w.form8_window())})
    expect_nothing_clipped(d);
}

TEST(Layout, LargeFontsGrowTheWindowButNotTheSavedWidth) {
  const QFont normal = QApplication::font();
  QFont large = normal;
  large.setPointSizeF(normal.pointSizeF() * 1.5);
  QApplication::setFont(large);
  {
    GuiRig rig;
    ui::MainWindow& w = rig.start();
    expect_nothing_clipped(&w);
    EXPECT_GE(w.width(), px(&w, 7815));
    EXPECT_EQ(rig.form->window.width, 7815);
    w.quit();
    EXPECT_EQ(rig.saved("largeur_fenetre"), "7815");
  }
  QApplication::setFont(normal);
}

}  // namespace
}  // namespace solmir::test
