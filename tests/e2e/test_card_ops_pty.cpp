// The card operations end to end: the real Qt serial port against solmir-carte-virtuelle on a
// pseudo-terminal, from the window model on the Qt loop and from solmir-cli.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <memory>

#include "app/form1.h"
#include "board/card_info.h"
#include "board/card_work.h"
#include "board/programming.h"
#include "board/virtual/card.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_serial_port.h"
#include "tests/support/fakes.h"
#include "tests/support/pty_rig.h"

namespace solmir {
namespace {

const char* const kTune = "BoosterMusic-03-SkipToMyLoo.mid";

using test::BoardProcess;
using test::CliRun;

CliRun cli(const QStringList& args, const QByteArray& input = {}) {
  return test::run_cli(args, input);
}

QString tune_path() {
  return QString::fromStdString(test::shared_midi(kTune).string());
}

class CardOpsPty : public test::PtyWindowTest {
 protected:
  Form1& window_on(const QString& device) { return start_window(device.toStdString()); }
};

TEST_F(CardOpsPty, WindowProgramsReadsBackAndErasesThroughTheRealPort) {
  const auto card = dir.path() / "carte.bin";
  BoardProcess board({"--card", QString::fromStdString(card.string()), "--pace-link"});
  ASSERT_FALSE(board.device().empty());
  Form1& f = window_on(board.qdevice());
  ASSERT_TRUE(f.link->is_open());
  f.Midi_channel(2).set_value(true);
  f.Midi_channel(3).set_value(true);
  dialogs.paths.push_back(test::shared_midi(kTune).string());
  f.Ouvre_midi_Click();
  ASSERT_TRUE(f.programmer.enabled());
  const auto records = f.Liste_tran;
  f.Titre.set_text("Skip");
  f.programmer.click();
  ASSERT_EQ(last_message(), board::kMsgProgrammed);

  f.Liste_tran.clear();
  f.Copier_carte.click();
  EXPECT_EQ(f.Liste_tran, records);
  EXPECT_EQ(f.Titre.text(), "Skip      ");
  EXPECT_EQ(last_message(), "Sélectionner l'emplacement cible et cliquer Programmer");

  // The second half: into slot B of the same card.
  f.choixb.set_value(true);
  f.programmer.click();
  ASSERT_EQ(last_message(), board::kMsgProgrammed);
  f.Infos_carte.click();
  EXPECT_EQ(board::render_form4(f.form4)[2],
            "B : " + std::to_string(5 * records.size() + 10) + " octets \"Skip      \"");

  dialogs.answers = {true};
  f.Effacer_carte.click();
  EXPECT_EQ(last_message(), board::kMsgErased);
  f.Infos_carte.click();
  EXPECT_EQ(board::render_form4(f.form4)[1], "A : 0 octets");
}

TEST_F(CardOpsPty, CliProgramReadCopyEraseAndTest) {
  const auto card = dir.path() / "carte.bin";
  BoardProcess board(
      {"--card", QString::fromStdString(card.string()), "--piece-a", "10", "--title-a", "Premier"});
  const QString dev = board.qdevice();
  // B after the piece A already there.
  CliRun r = cli({"program", tune_path(), "--channels", "3,4", "--slot", "B", "--port", dev,
                  "--title", "Skip"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Programmation : 100 %"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Programmation terminée"), std::string::npos) << r.err;

  const CliRun image = cli({"image", tune_path(), "--channels", "3,4"});
  r = cli({"read", "--slot", "B", "--port", dev});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, image.out);
  EXPECT_NE(r.err.find("titre \"Skip      \""), std::string::npos) << r.err;

  // Overwriting A is asked on the terminal: "n" keeps the card as it is.
  r = cli({"program", tune_path(), "--channels", "3,4", "--slot", "A", "--port", dev}, "n\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Attention les morceaux A et B sont déjà programmés"), std::string::npos)
      << r.err;
  r = cli({"info", "--port", dev});
  EXPECT_NE(r.out.find("A : 80 octets \"Premier   \""), std::string::npos) << r.out;

  // To a second board, as piece A of an empty card.
  const auto card2 = dir.path() / "carte2.bin";
  BoardProcess other({"--card", QString::fromStdString(card2.string())});
  r = cli({"copy", "--slot", "B", "--port", dev, "--to-slot", "A", "--to-port", other.qdevice()});
  ASSERT_EQ(r.status, 0) << r.err;
  r = cli({"read", "--slot", "A", "--port", other.qdevice()});
  EXPECT_EQ(r.out, image.out);

  r = cli({"erase", "--port", dev, "--yes"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Effacement terminé"), std::string::npos) << r.err;
  r = cli({"read", "--slot", "A", "--port", dev});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Le morceau à copier n'existe pas"), std::string::npos) << r.err;
}

TEST_F(CardOpsPty, CliTestOfADefectiveCard) {
  BoardProcess board({"--defective", "--defect-at-step", "5"});
  CliRun r = cli({"test-card", "--port", board.qdevice(), "--yes"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Carte défectueuse"), std::string::npos) << r.err;
  BoardProcess good({});
  r = cli({"test-card", "--port", good.qdevice(), "--yes"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Test carte OK"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace solmir
