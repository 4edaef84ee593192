// The firmware upload with the real avrdude, run by the real process runner, on a
// pseudo-terminal whose far end answers like a board without a working bootloader: avrdude
// fails, the program says so, and the link is taken back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <memory>

#include "app/form1.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_process_runner.h"
#include "qtport/qt_serial_port.h"
#include "tests/support/fakes.h"

namespace solmir {
namespace {

const QString kAnsweringPty = QStringLiteral(SOLMIR_SOURCE_DIR "/tests/e2e/answering_pty.py");

class AnsweringDevice {
 public:
  AnsweringDevice() {
    process_.start("/usr/bin/python3", {kAnsweringPty, "120"});
    QElapsedTimer t;
    t.start();
    while (!process_.canReadLine() && t.elapsed() < 10000) process_.waitForReadyRead(100);
    device_ = QString::fromUtf8(process_.readLine()).trimmed().toStdString();
  }
  ~AnsweringDevice() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  const std::string& device() const { return device_; }

 private:
  QProcess process_;
  std::string device_;
};

// The real runner; notes whether the window's event loop ran while the program did.
class WatchedRunner : public ProcessRunner {
 public:
  int run_and_wait(const std::string& program, const std::vector<std::string>& args) override {
    const int code = runner.run_and_wait(program, args);
    loop_ran_meanwhile = tick_seen;
    return code;
  }
  qt::QtProcessRunner runner;
  bool tick_seen = false;
  bool loop_ran_meanwhile = false;
};

TEST(FirmwareAvrdude, AFailedUploadIsSaidAndTheLinkIsTakenBack) {
  if (QStandardPaths::findExecutable("avrdude").isEmpty()) GTEST_SKIP() << "avrdude absent";
  int argc = 1;
  char name[] = "e2e";
  char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);

  AnsweringDevice device;
  ASSERT_FALSE(device.device().empty());
  test::TempDir dir;
  test::FakeEnvironment environment{dir.path()};
  // Folders with a blank and a quote, as users name them.
  environment.program_ = dir.path() / "mes programmes" / "l'orgue";
  environment.documents_ = dir.path() / "Mes documents";
  test::write_file(environment.program_ / "VELoR_uploader" / "Binaire" / "VELoR.cpp.hex",
                   ":00000001FF\r\n");
  qt::QtEventLoop loop;
  test::ScriptedDialogs dialogs;
  test::MemorySettings settings;
  settings.values["Solmir/Startup/Port"] = device.device();
  WatchedRunner runner;
  qt::QtSerialPort serial;
  Ports ports{loop, dialogs, serial, settings, runner, environment};
  Form1 f(ports);
  f.Form_Load();
  ASSERT_TRUE(f.link->is_open());

  dialogs.answers.push_back(true);
  // Due while avrdude tries to reach the bootloader (it gives up after some seconds).
  loop.post(1500, [&runner] { runner.tick_seen = true; });
  const std::size_t before = f.Label_defautP.text().size();
  f.Prog_Uno.click();

  const std::string said = f.Label_defautP.text().substr(before);
  EXPECT_NE(said.find("Échec de la programmation de l'Atmega : avrdude a rendu le code 1\r\n"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("\r\navrdude"), std::string::npos) << said;
  const auto log = f.data_folder() / "Temp" / "avrdude.log";
  EXPECT_NE(said.find("Compte rendu d'avrdude : " + log.string()), std::string::npos) << said;
  EXPECT_NE(test::read_file(log).find(device.device()), std::string::npos);
  EXPECT_EQ(said.find("réussie"), std::string::npos);
  EXPECT_TRUE(runner.loop_ran_meanwhile);
  EXPECT_TRUE(f.link->is_open());
  EXPECT_EQ(f.open_port_name, device.device());
  EXPECT_EQ(f.Shape1.color(), kGreen);
  EXPECT_TRUE(f.Ouvre_midi.enabled());
  EXPECT_TRUE(f.Infos_carte.enabled());
}

}  // namespace
}  // namespace solmir
