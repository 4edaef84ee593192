// A main window on the real Qt widgets and the real settings store (in a temporary folder),
// with the model's clock virtual and the file dialogs scripted.
#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "qtport/qt_settings_store.h"
#include "tests/support/fakes.h"
#include "ui/main_window.h"

namespace solmir::test {

struct GuiRig {
  GuiRig();
  // With a serial port made on the rig's event loop (a virtual board, for instance).
  explicit GuiRig(const std::function<std::unique_ptr<SerialPort>(EventLoop&)>& make_serial);
  ~GuiRig();
  TempDir dir;
  StdEventLoop loop{true};
  ScriptedDialogs dialogs;
  qt::QtSettingsStore settings;
  FakeProcessRunner processes;
  FakeEnvironment environment{dir.path()};
  AbsentSerialPort serial;
  std::unique_ptr<SerialPort> owned_serial;
  Ports ports;
  std::unique_ptr<Form1> form;
  std::unique_ptr<ui::MainWindow> window;

  // The folder of the settings store.
  QString settings_folder() const;
  // A value as saved for the program (read afresh from the store's file).
  std::string saved(const std::string& key) const;
  void save(const std::string& key, const std::string& value);

  // Builds the window and runs its start-up.
  ui::MainWindow& start(const QString& midi_file = {});

  // The widget of the main window (not of its dialogs) with that object name.
  template <class T>
  T* find(const char* name) const {
    return find_in<T>(window.get(), name);
  }
  template <class T>
  static T* find_in(QWidget* top, const char* name) {
    for (T* w : top->findChildren<T*>(QString::fromUtf8(name))) {
      if constexpr (std::is_base_of_v<QWidget, T>) {
        if (w->window() != top) continue;
      }
      return w;
    }
    return nullptr;
  }
  // The lines shown in the service messages view.
  std::vector<std::string> shown_messages() const;
};

// The text of a widget as the model writes it.
std::string text_of(const QString& s);

}  // namespace solmir::test
