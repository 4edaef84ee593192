// The reader board's windows on the real widgets, with the virtual board behind the link: the
// parameter dialog, the odometer, the EEPROM utility and the firmware upload's menu entries.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "board/virtual/virtual_serial_port.h"
#include "tests/gui/gui_rig.h"
#include "ui/board_windows.h"

namespace solmir::test {
namespace {

using board::virt::VirtualSerialPort;

struct BoardGuiRig {
  BoardGuiRig() : rig([](EventLoop& loop) { return std::make_unique<VirtualSerialPort>(loop); }) {
    rig.start();
  }
  VirtualSerialPort& port() { return static_cast<VirtualSerialPort&>(*rig.owned_serial); }
  ui::MainWindow& window() { return *rig.window; }
  Form1& form() { return *rig.form; }
  QWidget* open_params() {
    rig.find<QAction>("fenetre_params")->trigger();
    return window().form9_window();
  }
  template <class T>
  T* in(QWidget* dialog, const char* name) {
    T* w = GuiRig::find_in<T>(dialog, name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  GuiRig rig;
};

std::string text(const QString& s) {
  return s.toStdString();
}

TEST(Form9Window, ShowsTheBoardsParametersInItsControls) {
  BoardGuiRig r;
  r.port().board().params() = {0x99, 0x07, 0x64, 0xFF, 0xFF, 0x55, 0xAA};
  QWidget* d = r.open_params();
  ASSERT_TRUE(d->isVisible());
  EXPECT_EQ(text(d->windowTitle()), "Paramétrage de la carte arduino (v 7.0)");
  std::vector<std::string> frames;
  for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame5"})
    frames.push_back(text(r.in<QGroupBox>(d, name)->title()));
  EXPECT_EQ(frames, (std::vector<std::string>{"Capteur de vitesse", "Commande des relais",
                                              "Commandes émises", "Midi", "Synchro radio"}));
  auto* s1 = r.in<QCheckBox>(d, "Check5");
  EXPECT_EQ(text(s1->text()), "S1");
  EXPECT_EQ(text(s1->toolTip()), "Prise en compte de tous les fronts de la première broche");
  EXPECT_FALSE(s1->isChecked());
  EXPECT_EQ(text(r.in<QLineEdit>(d, "Text1")->text()), "8");
  auto* order = r.in<QComboBox>(d, "Combo1");
  ASSERT_EQ(order->count(), 3);
  EXPECT_EQ(text(order->itemText(2)), "Table 42-45");
  EXPECT_EQ(text(order->currentText()), "Table 29-32");
  EXPECT_EQ(text(r.in<QComboBox>(d, "Combo4")->currentText()), "TX");
  EXPECT_EQ(text(r.in<QComboBox>(d, "Combo2")->currentText()), "Défaut");
  EXPECT_TRUE(r.in<QCheckBox>(d, "Check1")->isChecked());
  EXPECT_FALSE(r.in<QCheckBox>(d, "Check2")->isChecked());
  EXPECT_EQ(text(r.in<QCheckBox>(d, "Check3")->text()), "Note-filler 42");
  auto* ok = r.in<QPushButton>(d, "Valider");
  EXPECT_EQ(text(ok->text()), "OK");
  EXPECT_EQ(text(ok->toolTip()), "Envoi des paramètres vers la carte arduino");
  for (const char* name : {"Image1", "Label_S1", "Label_S2", "Label1", "Label2", "Label3"})
    EXPECT_TRUE(r.in<QLabel>(d, name)->isVisible()) << name;
}

TEST(Form9Window, WhatTheUserChangesIsSentOnOk) {
  BoardGuiRig r;
  QWidget* d = r.open_params();
  auto* period = r.in<QLineEdit>(d, "Text1");
  period->setFocus();
  QTest::keyClicks(period, "4");
  // Typing a period unticks the pins.
  EXPECT_FALSE(r.in<QCheckBox>(d, "Check5")->isChecked());
  EXPECT_FALSE(r.in<QCheckBox>(d, "Check6")->isChecked());
  r.in<QCheckBox>(d, "Check3")->click();
  auto* out = r.in<QComboBox>(d, "Combo4");
  emit out->activated(1);
  EXPECT_EQ(text(out->currentText()), "TX");
  r.in<QPushButton>(d, "Valider")->click();
  EXPECT_EQ(r.port().board().params(),
            (std::array<std::uint8_t, 7>{0x99, 0x03, 0xFF, 0xFF, 0x00, 0xFF, 0xAA}));
  const auto shown = r.rig.shown_messages();
  // Everything was taken: the dialog closes, and its closing says so.
  EXPECT_EQ(std::vector<std::string>(shown.end() - 4, shown.end()),
            (std::vector<std::string>{"Programmation du capteur de vitesse",
                                      "Activation note filler midi 42 notes", "Sortie midi sur TX",
                                      "Sélectionner un fichier midi ou une opération carte"}));
  EXPECT_FALSE(d->isVisible());
  EXPECT_TRUE(r.in<QPushButton>(d, "Valider")->isEnabled());
}

TEST(Form9Window, ACancelledTableChoiceShowsTheEntryBefore) {
  BoardGuiRig r;
  QWidget* d = r.open_params();
  auto* order = r.in<QComboBox>(d, "Combo1");
  emit order->activated(2);
  EXPECT_EQ(r.rig.dialogs.last_filters, "Fichiers (*.sor)|*.sor|Tous (*.*)|*.*");
  EXPECT_EQ(text(order->currentText()), "Défaut");
}

TEST(Form9Window, AltOAndAltEOpenTheUtilitiesAndClosingSaysSo) {
  BoardGuiRig r;
  r.port().board().odometer() = 200;
  QWidget* d = r.open_params();
  QApplication::setActiveWindow(d);
  auto first = [d] {
    QWidget* f = QApplication::focusWidget();
    return f && f->window() == d ? f : d;
  };
  QTest::keyClick(first(), Qt::Key_O, Qt::AltModifier);
  QWidget* odometer = r.window().form5_window();
  ASSERT_TRUE(odometer->isVisible());
  EXPECT_EQ(text(odometer->windowTitle()), "Odomètre");
  EXPECT_EQ(text(r.in<QLineEdit>(odometer, "Text1")->text()), "200");
  EXPECT_EQ(text(r.in<QLabel>(odometer, "Label1")->text()),
            "Nombre d'impulsions pour 5 cm de carton");
  QApplication::setActiveWindow(d);
  QTest::keyClick(first(), Qt::Key_E, Qt::AltModifier);
  QWidget* eeprom = r.window().form6_window();
  ASSERT_TRUE(eeprom->isVisible());
  EXPECT_EQ(text(eeprom->windowTitle()), "Utilitaire EEPROM");
  EXPECT_EQ(text(r.in<QLineEdit>(eeprom, "value")->text()), "255");
  EXPECT_FALSE(r.in<QPushButton>(eeprom, "Command2")->isVisible());

  d->close();
  EXPECT_FALSE(r.form().form9.window.visible());
  EXPECT_EQ(r.rig.shown_messages().back(), kMsgSelect);
}

TEST(Form5And6Windows, ReadAndWriteThroughTheirButtons) {
  BoardGuiRig r;
  r.port().board().eeprom()[12] = 34;
  Form1& f = r.form();
  f.form6.window.show();
  QWidget* eeprom = r.window().form6_window();
  auto* address = r.in<QLineEdit>(eeprom, "adress");
  EXPECT_EQ(text(address->text()), "77");
  address->selectAll();
  QTest::keyClicks(address, "12");
  r.in<QPushButton>(eeprom, "Command1")->click();
  auto* value = r.in<QLineEdit>(eeprom, "value");
  EXPECT_EQ(text(value->text()), "34");
  value->selectAll();
  QTest::keyClicks(value, "99");
  r.in<QPushButton>(eeprom, "Command3")->click();
  EXPECT_EQ(r.port().board().eeprom()[12], 99);

  f.form5.window.show();
  QWidget* odometer = r.window().form5_window();
  auto* count = r.in<QLineEdit>(odometer, "Text1");
  count->selectAll();
  QTest::keyClicks(count, "30");
  auto* modifier = r.in<QPushButton>(odometer, "Command1");
  EXPECT_EQ(text(modifier->text()), "Modifier");
  modifier->click();
  EXPECT_EQ(r.port().board().odometer(), 30);
}

TEST(FirmwareMenu, EntriesAndTheWindowDuringAnUpload) {
  BoardGuiRig r;
  std::vector<std::string> captions;
  for (const char* name : {"Prog_Uno", "Prog_Duemilanove", "Prog_Nano", "Prog_Nano_N"})
    captions.push_back(text(r.rig.find<QAction>(name)->text()));
  EXPECT_EQ(captions,
            (std::vector<std::string>{"Uno - Uno rev3", "Duemilanove", "Nano (ancien bootloader)",
                                      "Nano (nouveau bootloader 01-2018)"}));
  write_file(r.rig.environment.program_ / "VELoR_uploader" / "Binaire" / "VELoR.cpp.hex",
             ":00000001FF\r\n");
  r.rig.dialogs.answers.push_back(true);
  bool during = false;
  r.rig.processes.during = [&] {
    during = true;
    for (const char* name : {"Ouvre_midi", "fenetre_params", "Prog_Uno", "quitter"})
      EXPECT_FALSE(r.rig.find<QAction>(name)->isEnabled()) << name;
    EXPECT_FALSE(r.rig.find<QLineEdit>("port")->isEnabled());
    EXPECT_FALSE(r.rig.find<QPushButton>("Infos_carte")->isEnabled());
  };
  r.rig.find<QAction>("Prog_Uno")->trigger();
  EXPECT_TRUE(during);
  EXPECT_EQ(r.rig.shown_messages().back(), "Programmation de l'Atmega réussie");
  for (const char* name : {"Ouvre_midi", "fenetre_params", "Prog_Uno", "quitter"})
    EXPECT_TRUE(r.rig.find<QAction>(name)->isEnabled()) << name;
  EXPECT_TRUE(r.rig.find<QPushButton>("Infos_carte")->isEnabled());
}

// Every widget of the board's windows gets the room it asks for (also at 200 %).
TEST(Layout, TheBoardWindowsShowEverything) {
  BoardGuiRig r;
  r.open_params();
  Form1& f = r.form();
  f.form9.Text1.set_text("256");
  f.form5.window.show();
  f.form6.window.show();
  for (QWidget* top : {static_cast<QWidget*>(r.window().form9_window()),
                       static_cast<QWidget*>(r.window().form5_window()),
                       static_cast<QWidget*>(r.window().form6_window())}) {
    ASSERT_TRUE(top->isVisible());
    for (QWidget* w : top->findChildren<QWidget*>()) {
      if (w->window() != top || !w->isVisibleTo(top)) continue;
      const std::string name =
          top->objectName().toStdString() + "/" + w->objectName().toStdString();
      EXPECT_GE(w->width(), w->minimumSizeHint().width()) << name;
      EXPECT_GE(w->height(), w->minimumSizeHint().height()) << name;
      EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name;
    }
  }
}

}  // namespace
}  // namespace solmir::test
