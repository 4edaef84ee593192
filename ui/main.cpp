// solmir [FICHIER.mid]: the window. A MIDI file given on the command line is opened at
// start-up as "Ouvrir fichier Midi..." opens it, without the file dialog.
#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <memory>

#include "app/form1.h"
#include "qtport/qt_environment.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_process_runner.h"
#include "qtport/qt_settings_store.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/unwired_serial_port.h"

namespace {

// The port behind the link. This is where the Qt serial port (and, for
// --carte-virtuelle, the virtual board) is chosen from the command line.
std::unique_ptr<solmir::SerialPort> make_link_port(const QCommandLineParser&) {
  return std::make_unique<solmir::ui::UnwiredSerialPort>();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Solmir");
  QApplication::setApplicationVersion(solmir::kVersion);
  QApplication::setDesktopFileName("solmir");

  // Qt's own texts (file dialogs) in French when the translations are installed.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale(QLocale::French), "qtbase", "_",
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qt_texts);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Programmation de cartes à puces pour orgue de barbarie à partir de fichiers MIDI.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("FICHIER.mid", "Fichier MIDI ouvert au démarrage.", "[FICHIER.mid]");
  parser.process(app);
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    fprintf(stderr, "Un seul fichier MIDI à la fois.\n");
    return 2;
  }

  solmir::qt::QtEventLoop loop;
  solmir::ui::QtDialogs dialogs;
  solmir::qt::QtSettingsStore settings;
  solmir::qt::QtProcessRunner processes;
  solmir::qt::QtEnvironment environment;
  std::unique_ptr<solmir::SerialPort> serial = make_link_port(parser);
  solmir::Ports ports{loop, dialogs, *serial, settings, processes, environment};

  solmir::Form1 form(ports);
  solmir::ui::MainWindow window(form);
  dialogs.set_parent(&window);
  window.start(files.isEmpty() ? QString() : files.first());
  return QApplication::exec();
}
