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

constexpr const char* kUsage =
    "Usage : solmir [FICHIER.mid]\n"
    "Programmation de cartes à puces pour orgue de barbarie à partir de fichiers MIDI.\n\n"
    "  FICHIER.mid    fichier MIDI ouvert au démarrage, sans passer par le menu\n"
    "  -h, --help     affiche cette aide\n"
    "  -v, --version  affiche la version\n";

// ---- The link port: the one place where the serial port is wired into the window.
// When the Qt serial port and the virtual board are there: declare their options here
// (--carte-virtuelle), and let make_link_port() return the Qt serial port, or the virtual
// board's port when the option is given. Device arrival and removal notifications go to
// Form1::device_arrival / device_removal from the same place.
void add_link_options(QCommandLineParser&) {}

std::unique_ptr<solmir::SerialPort> make_link_port(const QCommandLineParser&) {
  return std::make_unique<solmir::ui::UnwiredSerialPort>();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication::setApplicationName("Solmir");
  QApplication::setApplicationVersion(solmir::kVersion);
  QApplication::setDesktopFileName("solmir");

  // The command line is read before the window system is reached: --help and --version work
  // without a display.
  QCommandLineParser parser;
  const QCommandLineOption help({"h", "help"}, "Affiche cette aide.");
  const QCommandLineOption version({"v", "version"}, "Affiche la version.");
  parser.addOption(help);
  parser.addOption(version);
  add_link_options(parser);
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) {
      fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
    } else {
      fprintf(stderr, "Option inconnue : %s (voir solmir --help)\n", qPrintable(unknown.first()));
    }
    return 2;
  }
  if (parser.isSet(help)) {
    printf("%s", kUsage);
    return 0;
  }
  if (parser.isSet(version)) {
    printf("Solmir %s\n", solmir::kVersion);
    return 0;
  }
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    fprintf(stderr, "Un seul fichier MIDI à la fois (voir solmir --help)\n");
    return 2;
  }

  QApplication app(argc, argv);
  // Qt's own texts (file dialogs) in French when the translations are installed.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale(QLocale::French), "qtbase", "_",
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qt_texts);

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
  loop.run_task = [&window](const std::function<void()>& task) { window.run_guarded(task); };
  window.start(files.isEmpty() ? QString() : files.first());
  const int status = QApplication::exec();
  loop.run_task = nullptr;
  return status;
}
