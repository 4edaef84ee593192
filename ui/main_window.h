// The main window: the Qt view of the Form1 model. Every control of the model has its widget,
// named as the control; the model decides values, captions, enabled and visible states, the
// window passes on what the user does. Key presses anywhere in the window go to the model
// first, as the window sees them before its controls.
#pragma once

#include <QMainWindow>
#include <QString>

#include "ui/bindings.h"
#include "ui/command_guard.h"

class QMenu;

namespace solmir {
class Form1;
}

namespace solmir::ui {

class Form2Window;
class Form3Window;
class Form4Window;
class Form8Window;
class Form5Window;
class Form6Window;
class Form9Window;
class QtCardPlayer;
class PreviewWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(Form1& form, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up: the model's own (settings, scale, size, data folder), the window shown, the
  // link's step, then the MIDI file given on the command line, if any.
  void start(const QString& midi_file = {});
  // Opens a MIDI file as "Ouvrir fichier Midi..." does, without the file dialog.
  void open_midi(const QString& path);
  // Quit: saves the settings and closes the link (the model's quit), closes the windows and
  // ends the event loop. Ends this program only. Runs once.
  void quit();
  bool has_quit() const { return quit_done_; }
  // Runs work posted on the event loop (the status timer's ticks, the link's waits) as the
  // window's own commands run: a failure is reported, the pointer restored.
  void run_guarded(const std::function<void()>& task);

  Form2Window* form2_window() const { return form2_; }
  Form3Window* form3_window() const { return form3_; }
  Form4Window* form4_window() const { return form4_; }
  Form8Window* form8_window() const { return form8_; }
  Form5Window* form5_window() const { return form5_; }
  Form6Window* form6_window() const { return form6_; }
  Form9Window* form9_window() const { return form9_; }
  // "Aperçu de la carte" (its set_cursor_tick shows a play position).
  PreviewWindow* preview_window() const { return preview_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_menus();
  void build_sound_menu(QMenu* menu);
  QWidget* build_central();
  QWidget* build_card_operations();
  QWidget* build_programmer();
  QWidget* build_parameters();
  QWidget* build_channels();
  QWidget* build_messages();

  Form1& form_;
  CommandGuard guard_;
  Bindings bindings_;  // stops before the widgets go
  Form2Window* form2_ = nullptr;
  Form3Window* form3_ = nullptr;
  Form4Window* form4_ = nullptr;
  Form8Window* form8_ = nullptr;
  Form5Window* form5_ = nullptr;
  Form6Window* form6_ = nullptr;
  Form9Window* form9_ = nullptr;
  QtCardPlayer* card_player_ = nullptr;
  PreviewWindow* preview_ = nullptr;
  bool quit_done_ = false;
};

}  // namespace solmir::ui
