#include "qtport/qt_process_runner.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringList>

namespace solmir::qt {

int QtProcessRunner::run_and_wait(const std::string& program,
                                  const std::vector<std::string>& args) {
  QStringList arguments;
  for (const std::string& a : args) arguments << QString::fromStdString(a);
  QProcess process;
  // The program's own messages stay visible on the terminal the window was started from.
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  // Nothing is typed to the program: a question it asks, or the "Pause" that ends the upload's
  // batch file on Windows, meets the end of its input instead of waiting for ever.
  process.setStandardInputFile(QProcess::nullDevice());
  QEventLoop wait;
  bool ended = false;
  QObject::connect(&process, &QProcess::finished, &wait, [&] {
    ended = true;
    wait.quit();
  });
  QObject::connect(&process, &QProcess::errorOccurred, &wait, [&](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart || process.state() == QProcess::NotRunning) {
      ended = true;
      wait.quit();
    }
  });
  process.start(QString::fromStdString(program), arguments);
  if (!ended) wait.exec();
  // The event loop was told to end (the program quits): the program started is not cut short
  // (a firmware upload stopped half way leaves the board without its firmware).
  if (!ended) process.waitForFinished(-1);
  if (process.error() == QProcess::FailedToStart) return -1;
  if (process.exitStatus() == QProcess::CrashExit) return -1;
  return process.exitCode();
}

}  // namespace solmir::qt
