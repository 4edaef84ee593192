#include "tests/gui/gui_rig.h"

#include <QTextEdit>

#include "qtport/qt_environment.h"

namespace solmir::test {

GuiRig::GuiRig()
    : settings(qt::from_path(dir.path() / "config")), ports{loop,     dialogs,   serial,
                                                            settings, processes, environment} {}

GuiRig::GuiRig(const std::function<std::unique_ptr<SerialPort>(EventLoop&)>& make_serial)
    : settings(qt::from_path(dir.path() / "config")),
      owned_serial(make_serial(loop)),
      ports{loop, dialogs, *owned_serial, settings, processes, environment} {}

GuiRig::~GuiRig() {
  window.reset();
  form.reset();
}

QString GuiRig::settings_folder() const {
  return qt::from_path(dir.path() / "config");
}

std::string GuiRig::saved(const std::string& key) const {
  qt::QtSettingsStore fresh(settings_folder());
  return fresh.get(kAppName, kSection, key, "<absent>");
}

void GuiRig::save(const std::string& key, const std::string& value) {
  settings.save(kAppName, kSection, key, value);
}

ui::MainWindow& GuiRig::start(const QString& midi_file) {
  form = std::make_unique<Form1>(ports);
  window = std::make_unique<ui::MainWindow>(*form);
  window->start(midi_file);
  return *window;
}

std::vector<std::string> GuiRig::shown_messages() const {
  auto* view = find<QTextEdit>("Label_defautP");
  std::vector<std::string> lines;
  for (const QString& l : view->toPlainText().split('\n')) lines.push_back(l.toStdString());
  return lines;
}

std::string text_of(const QString& s) {
  return s.toStdString();
}

}  // namespace solmir::test
