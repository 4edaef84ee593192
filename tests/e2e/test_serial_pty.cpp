// The real Qt serial port against solmir-carte-virtuelle on a pseudo-terminal: start-up's
// port step, the port scan on a device folder, the device watcher, the card information, the
// version check, a board that falls silent or goes away, and solmir-cli info.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <memory>

#include "app/form1.h"
#include "board/card_info.h"
#include "board/link.h"
#include "board/version.h"
#include "board/virtual/virtual_serial_port.h"
#include "qtport/device_watcher.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_serial_port.h"
#include "qtport/serial_port_factory.h"
#include "tests/support/fakes.h"
#include "tests/support/pty_rig.h"
#include "tools/pty.h"

namespace solmir {
namespace {

using test::BoardProcess;
using test::CliRun;
using test::run_cli;

using SerialPty = test::PtyWindowTest;

TEST_F(SerialPty, CardInformationThroughTheRealPort) {
  BoardProcess board({"--piece-a", "100", "--title-a", "Mozart", "--version-letter", "m"});
  ASSERT_FALSE(board.device().empty());
  Form1& f = start_window(board.device());
  ASSERT_TRUE(f.link->is_open());
  EXPECT_EQ(f.open_port_name, board.device());
  EXPECT_EQ(f.Shape1.color(), kGreen);
  f.Infos_carte.click();
  EXPECT_EQ(board::render_form4(f.form4),
            (std::vector<std::string>{"Taille de la carte : 32768 octets",
                                      "A : 528 octets \"Mozart    \"", "B : 0 octets",
                                      "Espace disponible : 32220 octets"}));
  f.lit_version();
  EXPECT_EQ(f.form9.window.caption(), "Paramétrage de la carte arduino (v 6.2)");
  EXPECT_EQ(message_lines().back(), board::kMsgVersionMismatch);
}

TEST_F(SerialPty, BoardThatGoesAwayMidBlock) {
  // NUuLL, INfCP, two acknowledgements: then the pseudo-terminal closes.
  BoardProcess board({"--piece-a", "100", "--disconnect-after-lines", "4"});
  Form1& f = start_window(board.device());
  ASSERT_TRUE(f.link->is_open());
  QElapsedTimer t;
  t.start();
  f.Infos_carte.click();
  EXPECT_LT(t.elapsed(), board::kAnswerSilenceMs);
  EXPECT_FALSE(f.form4.window.visible());
  const auto lines = message_lines();
  EXPECT_EQ(lines.back(), board::kMsgBoardSilent);
  EXPECT_EQ(lines[lines.size() - 2], board::kMsgNoLink);
  EXPECT_FALSE(f.link->is_open());
  EXPECT_EQ(f.Shape1.color(), kRed);
  EXPECT_FALSE(f.link->reception_texte);
}

TEST_F(SerialPty, BoardThatFallsSilentGivesTheButtonsBack) {
  BoardProcess board({"--piece-a", "100", "--silent-after-lines", "3"});
  Form1& f = start_window(board.device());
  QElapsedTimer t;
  t.start();
  f.Infos_carte.click();
  EXPECT_GE(t.elapsed(), board::kAnswerSilenceMs - 100);
  EXPECT_LT(t.elapsed(), board::kAnswerSilenceMs + 2000);
  EXPECT_EQ(message_lines().back(), board::kMsgBoardSilent);
  EXPECT_TRUE(f.Infos_carte.enabled());
  EXPECT_TRUE(f.link->is_open());
}

TEST_F(SerialPty, ScanAndDeviceNotificationsOnADeviceFolder) {
  BoardProcess board({"--piece-b", "10:42"});
  BoardProcess other({});
  const auto devs = dir.path() / "dev";
  std::filesystem::create_directories(devs);
  // Only port 3 exists; a ttyS port would always open, and is never tried.
  std::filesystem::create_symlink(board.device(), devs / "ttyACM3");
  std::filesystem::create_symlink(other.device(), devs / "ttyS0");
  Form1& f = start_window("7", devs);
  EXPECT_EQ(f.port.text(), "3");
  EXPECT_EQ(f.open_port_name, "3");
  ASSERT_TRUE(f.link->is_open());

  qt::DeviceWatcher watcher(devs);
  std::vector<std::string> arrived, removed;
  watcher.on_arrival = [&](const std::string& p) {
    arrived.push_back(p);
    f.device_arrival(p);
  };
  watcher.on_removal = [&](const std::string& p) {
    removed.push_back(p);
    f.device_removal(p);
  };
  watcher.start();
  // A second device comes and goes: the link moves to it on arrival (the box takes its
  // number), and its removal closes the link only because it is now the link's port.
  std::filesystem::create_symlink(other.device(), devs / "ttyUSB5");
  watcher.poll();
  EXPECT_EQ(arrived, std::vector<std::string>{"5"});
  EXPECT_EQ(f.open_port_name, "5");
  f.port.set_text("3");
  EXPECT_EQ(f.open_port_name, "3");
  std::filesystem::remove(devs / "ttyUSB5");
  watcher.poll();
  EXPECT_EQ(removed, std::vector<std::string>{"5"});
  EXPECT_TRUE(f.link->is_open());
  f.Infos_carte.click();
  EXPECT_EQ(f.form4.mB.caption(), "80");
  std::filesystem::remove(devs / "ttyACM3");
  watcher.poll();
  EXPECT_EQ(removed.back(), "3");
  EXPECT_FALSE(f.link->is_open());
  EXPECT_EQ(f.Shape1.color(), kRed);
}

TEST_F(SerialPty, WindowCommandLineChoosesTheSerialPort) {
  const auto card = dir.path() / "carte.bin";
  qt::SerialChoice c = qt::choose_serial_port(
      {"--carte-virtuelle", "--card", card.string(), "--piece-a", "5", "air.mid"}, loop);
  EXPECT_TRUE(c.virtual_board);
  EXPECT_EQ(c.rest, std::vector<std::string>{"air.mid"});
  ASSERT_NE(dynamic_cast<board::virt::VirtualSerialPort*>(c.port.get()), nullptr);
  chosen = std::move(c.port);
  // The window on the Qt loop, linked to the board in the process.
  Form1& f = start_window_on(*chosen, "0");
  ASSERT_TRUE(f.link->is_open());
  f.Infos_carte.click();
  EXPECT_EQ(f.form4.mA.caption(), "48");  // 5 x 7 bytes: 3 pages
  EXPECT_EQ(std::filesystem::file_size(card), 32768u);

  qt::SerialChoice real = qt::choose_serial_port({"air.mid", "--card", "x"}, loop);
  EXPECT_FALSE(real.virtual_board);
  EXPECT_NE(dynamic_cast<qt::QtSerialPort*>(real.port.get()), nullptr);
  EXPECT_EQ(real.rest, (std::vector<std::string>{"air.mid", "--card", "x"}));
  EXPECT_THROW(qt::choose_serial_port({"--carte-virtuelle", "--size-code", "x"}, loop),
               std::invalid_argument);
}

TEST_F(SerialPty, CliInfoOnThePseudoTerminal) {
  BoardProcess board(
      {"--piece-a", "3:32", "--piece-b", "4:32", "--title-a", "Un", "--title-b", "Deux"});
  const CliRun r = run_cli({"info", "--port", QString::fromStdString(board.device())});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "Taille de la carte : 32768 octets\n"
            "A : 48 octets \"Un        \"\n"
            "B : 30 octets \"Deux      \"\n"
            "La carte est complète\n");
}

TEST_F(SerialPty, CliInfoFailures) {
  BoardProcess no_card({"--no-card"});
  CliRun r = run_cli({"info", "--port", QString::fromStdString(no_card.device())});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Carte muette ou absente"), std::string::npos) << r.err;

  r = run_cli({"info", "--port", QString::fromStdString((dir.path() / "nothing").string())});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(board::kMsgNoLink), std::string::npos) << r.err;

  r = run_cli({"info"});
  EXPECT_EQ(r.status, 2);
}

TEST_F(SerialPty, CliInfoOnAVirtualCardFile) {
  const auto card = dir.path() / "carte.bin";
  CliRun r = run_cli({"info", "--port", "virtual", "--card", QString::fromStdString(card.string()),
                      "--demo", "20"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::filesystem::file_size(card), 32768u);
  // The same card, served on a pseudo-terminal this time.
  BoardProcess board({"--card", QString::fromStdString(card.string())});
  r = run_cli({"info", "--port", QString::fromStdString(board.device())});
  EXPECT_EQ(r.out,
            "Taille de la carte : 32768 octets\n"
            "A : 0 octets\n"
            "B : 110 octets Sans titre (*)\n"
            "* Adresse fixe : 16384\n");
}

// The acknowledgement written just before a new exchange drops what was received: it must
// still reach the board (a pseudo-terminal keeps it in the driver's queue until the far end
// reads it, as a USB adapter does until its buffer drains).
TEST_F(SerialPty, DiscardingWhatWasReceivedKeepsWhatIsLeaving) {
  tools::PseudoTerminal board;
  qt::QtSerialPort port;
  ASSERT_TRUE(port.open(board.device()));
  board::Link link(port, loop);
  // Keep the receive handler from taking the stale bytes itself: a text answer is held.
  link.reception_texte = true;
  link.reponse_recue = true;
  board.write("stale");
  QElapsedTimer t;
  t.start();
  while (port.bytes_available() < 5 && t.elapsed() < 5000) loop.wait_for_events(50);
  ASSERT_EQ(port.bytes_available(), 5u);

  link.send_lf();
  link.discard_buffers();
  EXPECT_EQ(port.bytes_available(), 0u);
  EXPECT_EQ(board.read(2000), "\n");
}

}  // namespace
}  // namespace solmir
