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
#include "qtport/device_watcher.h"
#include "qtport/qt_environment.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_process_runner.h"
#include "qtport/qt_settings_store.h"
#include "qtport/serial_port_factory.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"

namespace {

constexpr const char* kUsage =
    "Usage : solmir [FICHIER.mid] [--carte-virtuelle [--card FICHIER] [options de la carte]]\n"
    "Programmation de cartes à puces pour orgue de barbarie à partir de fichiers MIDI.\n\n"
    "  FICHIER.mid        fichier MIDI ouvert au démarrage, sans passer par le menu\n"
    "  --carte-virtuelle  relie la fenêtre à une carte de lecture virtuelle (sans carte\n"
    "                     réelle) ; --card FICHIER garde sa carte mémoire dans un fichier\n"
    "                     (voir solmir-carte-virtuelle --help pour ses autres options)\n"
    "  -h, --help     affiche cette aide\n"
    "  -v, --version  affiche la version\n";

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
  // The link port: the Qt serial port, or with --carte-virtuelle a virtual reader board in
  // the process; the board's options are taken off the command line here.
  solmir::qt::QtEventLoop loop;
  solmir::qt::SerialChoice link;
  try {
    link = solmir::qt::choose_serial_port(std::vector<std::string>(argv + 1, argv + argc), loop);
  } catch (const std::exception& e) {
    fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  QStringList arguments{QString::fromLocal8Bit(argv[0])};
  for (const std::string& a : link.rest) arguments << QString::fromLocal8Bit(a.c_str());
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

  solmir::ui::QtDialogs dialogs;
  solmir::qt::QtSettingsStore settings;
  solmir::qt::QtProcessRunner processes;
  solmir::qt::QtEnvironment environment;
  solmir::Ports ports{loop, dialogs, *link.port, settings, processes, environment};

  solmir::Form1 form(ports);
  solmir::ui::MainWindow window(form);
  dialogs.set_parent(&window);
  loop.run_task = [&window](const std::function<void()>& task) { window.run_guarded(task); };
  window.start(files.isEmpty() ? QString() : files.first());
  // Boards plugged in or out while the window runs (a virtual board never goes away).
  solmir::qt::DeviceWatcher watcher;
  if (!link.virtual_board) {
    watcher.on_arrival = [&](const std::string& p) {
      window.run_guarded([&] { form.device_arrival(p); });
    };
    watcher.on_removal = [&](const std::string& p) {
      window.run_guarded([&] { form.device_removal(p); });
    };
    watcher.start();
  }
  const int status = QApplication::exec();
  loop.run_task = nullptr;
  return status;
}
