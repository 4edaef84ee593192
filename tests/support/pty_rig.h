// End-to-end test pieces: solmir-carte-virtuelle on a pseudo-terminal, solmir-cli as a
// process, and the main window model on the Qt loop with the real Qt serial port.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_serial_port.h"
#include "tests/support/fakes.h"

namespace solmir::test {

inline const QString kBoardTool = QStringLiteral(SOLMIR_BINARY_DIR "/tools/solmir-carte-virtuelle");
inline const QString kCliTool = QStringLiteral(SOLMIR_BINARY_DIR "/cli/solmir-cli");

// solmir-carte-virtuelle serving a board for the test; its first line names the device.
class BoardProcess {
 public:
  explicit BoardProcess(QStringList args) {
    args << "--max-seconds"
         << "120";
    process_.start(kBoardTool, args);
    QElapsedTimer t;
    t.start();
    while (!process_.canReadLine() && t.elapsed() < 10000) process_.waitForReadyRead(100);
    device_ = QString::fromUtf8(process_.readLine()).trimmed().toStdString();
  }
  ~BoardProcess() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  const std::string& device() const { return device_; }
  QString qdevice() const { return QString::fromStdString(device_); }
  bool running() { return process_.state() == QProcess::Running; }

 private:
  QProcess process_;
  std::string device_;
};

struct CliRun {
  int status = -1;
  std::string out, err;
};

// solmir-cli with these arguments and, when given, this standard input.
inline CliRun run_cli(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(kCliTool, args);
  p.waitForStarted(5000);
  if (!input.isEmpty()) p.write(input);
  p.closeWriteChannel();
  p.waitForFinished(60000);
  CliRun r;
  r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

// The main window model on the Qt loop, its link on the real Qt serial port.
class PtyWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc_, argv_);
  }
  void TearDown() override {
    form.reset();
    serial.reset();
    chosen.reset();
    app_.reset();
  }

  // Starts the window with `saved_port` as the saved port (device folder dev_dir).
  Form1& start_window(const std::string& saved_port, std::filesystem::path dev_dir = {}) {
    serial = std::make_unique<qt::QtSerialPort>(dev_dir);
    return start_window_on(*serial, saved_port);
  }
  Form1& start_window_on(SerialPort& port, const std::string& saved_port) {
    ports = std::make_unique<Ports>(Ports{loop, dialogs, port, settings, processes, environment});
    settings.values["Solmir/Startup/Port"] = saved_port;
    form = std::make_unique<Form1>(*ports);
    form->Form_Load();
    return *form;
  }
  std::vector<std::string> message_lines() const {
    std::vector<std::string> lines;
    const std::string& t = form->Label_defautP.text();
    std::size_t b = 0;
    for (std::size_t e; (e = t.find("\r\n", b)) != std::string::npos; b = e + 2)
      lines.push_back(t.substr(b, e - b));
    return lines;
  }
  std::string last_message() const {
    const auto lines = message_lines();
    return lines.empty() ? std::string() : lines.back();
  }

  TempDir dir;
  qt::QtEventLoop loop;
  ScriptedDialogs dialogs;
  MemorySettings settings;
  FakeProcessRunner processes;
  FakeEnvironment environment{dir.path()};
  std::unique_ptr<qt::QtSerialPort> serial;
  std::unique_ptr<SerialPort> chosen;
  std::unique_ptr<Ports> ports;
  std::unique_ptr<Form1> form;

 private:
  int argc_ = 1;
  char name_[16] = "e2e";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

}  // namespace solmir::test
