// solmir-screenshot: the window as `solmir [FICHIER.mid]` shows it, written to a PNG file. For
// the README and for looking at the layout; run it under xvfb-run with HOME pointing to a
// scratch folder, so that the settings and the data folder are not the user's.
//   solmir-screenshot IMAGE.png [FICHIER.mid] [--fenetre
//   form2|form3|form4|form5|form6|form8|form9|apercu]
// With SOLMIR_LAYOUT_DEBUG set, the place and the minimum size of every named widget are listed.
#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QPixmap>
#include <QTest>
#include <cstdio>

#include "app/form1.h"
#include "qtport/qt_environment.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_process_runner.h"
#include "qtport/qt_settings_store.h"
#include "qtport/serial_port_factory.h"
#include "ui/board_windows.h"
#include "ui/form_windows.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"
#include "ui/qt_dialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Solmir");
  QCommandLineParser parser;
  parser.addPositionalArgument("IMAGE.png", "Image written");
  parser.addPositionalArgument("FICHIER.mid", "Fichier MIDI ouvert au démarrage");
  parser.addOption({"fenetre", "Fenêtre prise en plus de la fenêtre principale", "nom"});
  parser.process(app);
  const QStringList args = parser.positionalArguments();
  if (args.isEmpty()) {
    fprintf(stderr, "Usage : solmir-screenshot IMAGE.png [FICHIER.mid] [--fenetre form2]\n");
    return 2;
  }

  solmir::qt::QtEventLoop loop;
  solmir::ui::QtDialogs dialogs;
  solmir::qt::QtSettingsStore settings;
  solmir::qt::QtProcessRunner processes;
  solmir::qt::QtEnvironment environment;
  // The window linked to a virtual reader board, as `solmir --carte-virtuelle` shows it.
  solmir::qt::SerialChoice link = solmir::qt::choose_serial_port({"--carte-virtuelle"}, loop);
  solmir::Ports ports{loop, dialogs, *link.port, settings, processes, environment};
  solmir::Form1 form(ports);
  solmir::ui::MainWindow window(form);
  dialogs.set_parent(&window);
  window.start(args.size() > 1 ? args[1] : QString());
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  QWidget* shot = &window;
  const QString which = parser.value("fenetre");
  if (which == "form2") {
    form.option32N_Click();
    shot = window.form2_window();
  } else if (which == "form3") {
    form.apropos.click();
    shot = window.form3_window();
  } else if (which == "form4") {
    form.form4.window.show();
    shot = window.form4_window();
  } else if (which == "form8") {
    form.traite_midi_Click();
    shot = window.form8_window();
  } else if (which == "form9") {
    form.fenetre_params_Click();
    shot = window.form9_window();
  } else if (which == "form5") {
    form.form5.window.show();
    form.Lect_odometre_click();
    shot = window.form5_window();
  } else if (which == "apercu") {
    form.Apercu_Click();
    shot = window.preview_window();
  } else if (which == "form6") {
    form.read_EEPROM();
    form.form6.window.show();
    shot = window.form6_window();
  }
  if (shot != &window && !QTest::qWaitForWindowExposed(shot)) return 1;
  QTest::qWait(200);
  if (!shot->grab().save(args[0])) {
    fprintf(stderr, "Impossible d'écrire %s\n", qPrintable(args[0]));
    return 1;
  }
  if (qEnvironmentVariableIsSet("SOLMIR_LAYOUT_DEBUG"))
    for (QWidget* w : window.findChildren<QWidget*>())
      if (w->window() == &window && !w->objectName().isEmpty())
        printf("%-24s %-14s min %3dx%-3d at %3d,%-3d %3dx%d\n", qPrintable(w->objectName()),
               w->metaObject()->className(), w->minimumSizeHint().width(),
               w->minimumSizeHint().height(), w->x(), w->y(), w->width(), w->height());
  printf("%s : %dx%d\n", qPrintable(args[0]), shot->width(), shot->height());
  return 0;
}
