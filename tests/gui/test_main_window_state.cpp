// The window state seen on the real widgets, with the virtual board behind the link: editing an
// input of the image turns "Programmer" into "Rafraichir", and a file with nothing to keep
// leaves both "Programmer" and "Sauver fichier Midi..." disabled.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "board/virtual/virtual_serial_port.h"
#include "tests/gui/gui_rig.h"
#include "tests/support/midi_builder.h"

namespace solmir::test {
namespace {

using board::virt::VirtualSerialPort;

struct StateGuiRig {
  StateGuiRig() : rig([](EventLoop& loop) { return std::make_unique<VirtualSerialPort>(loop); }) {
    rig.start();
  }
  VirtualSerialPort& port() { return static_cast<VirtualSerialPort&>(*rig.owned_serial); }
  void open(const std::string& path) {
    rig.dialogs.paths.push_back(path);
    rig.find<QAction>("Ouvre_midi")->trigger();
  }
  QPushButton* programmer() { return rig.find<QPushButton>("programmer"); }
  GuiRig rig;
};

TEST(MainWindowState, EditingTheSpeedMakesTheImageStaleAndTheClickReloadsIt) {
  StateGuiRig r;
  r.open(shared_midi("BeginnerCourse-04-ClairDeLaLune.mid").string());
  ASSERT_TRUE(r.programmer()->isEnabled());
  ASSERT_EQ(text_of(r.programmer()->text()), "Programmer");
  const auto image = r.rig.form->Liste_tran;

  QLineEdit* speed = r.rig.find<QLineEdit>("vitesse");
  speed->selectAll();
  QTest::keyClicks(speed, "30");
  ASSERT_EQ(r.rig.form->vitesse.text(), "30");
  EXPECT_EQ(text_of(r.programmer()->text()), "Rafraichir");
  EXPECT_TRUE(r.programmer()->isEnabled());

  // The click reloads the file at the new speed: nothing is sent to the board.
  const std::size_t sent = r.port().board().lines().size();
  QTest::mouseClick(r.programmer(), Qt::LeftButton);
  EXPECT_EQ(r.port().board().lines().size(), sent);
  EXPECT_EQ(text_of(r.programmer()->text()), "Programmer");
  EXPECT_NE(r.rig.form->Liste_tran, image);
}

TEST(MainWindowState, AFileThatIsNotMidiLeavesNothingToProgramOrSave) {
  StateGuiRig r;
  r.open(shared_midi("BeginnerCourse-04-ClairDeLaLune.mid").string());
  ASSERT_TRUE(r.programmer()->isEnabled());
  ASSERT_TRUE(r.rig.find<QAction>("Sauve_midi")->isEnabled());
  const auto not_midi = r.rig.dir.path() / "photo.mid";
  write_file(not_midi, "\x89PNG....");
  r.open(not_midi.string());
  EXPECT_EQ(r.rig.shown_messages().back(),
            "Traitement interrompu : Ce fichier n'est pas un fichier MIDI : " + not_midi.string());
  EXPECT_FALSE(r.programmer()->isEnabled());
  EXPECT_FALSE(r.rig.find<QAction>("Sauve_midi")->isEnabled());
}

}  // namespace
}  // namespace solmir::test
