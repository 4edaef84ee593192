// The shortcuts reach the main window's model from a key pressed in the real window, whichever
// control has the focus; a plain letter typed into the title stays a letter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "tests/gui/gui_rig.h"

namespace solmir {
namespace {

using test::GuiRig;

TEST(WindowShortcuts, AltRFromTheTitleBox) {
  GuiRig rig;
  rig.start();
  rig.form->duree_action_totale = 600;
  rig.window->show();
  QApplication::setActiveWindow(rig.window.get());
  auto* title = rig.find<QLineEdit>("Titre");
  title->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), title);
  QTest::keyClick(title, Qt::Key_R, Qt::AltModifier);
  EXPECT_EQ(
      rig.dialogs.messages,
      std::vector<std::string>{"Durée d'action totale ramenée à 1 relais =  2.5 secondes\r\n"});
  QTest::keyClick(title, Qt::Key_R);
  EXPECT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.form->Titre.text(), "r");
}

}  // namespace
}  // namespace solmir
