// The reader board's windows, each bound to its model: the parameter dialog (Form9), the
// odometer (Form5) and the EEPROM utility (Form6). They are modeless and stay alive with the
// main window; the model shows and hides them. The parameter dialog's key presses go to the
// model before its controls see them (its Alt shortcuts).
#pragma once

#include <QDialog>

namespace solmir {
class Form1;
namespace board {
struct Form5;
struct Form6;
}  // namespace board
}  // namespace solmir

namespace solmir::ui {

class Bindings;

class Form9Window : public QDialog {
  Q_OBJECT
 public:
  Form9Window(Form1& form, Bindings& bindings, QWidget* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Form1& form_;
  Bindings& bindings_;
};

class Form5Window : public QDialog {
  Q_OBJECT
 public:
  Form5Window(board::Form5& model, Bindings& bindings, QWidget* parent);
};

class Form6Window : public QDialog {
  Q_OBJECT
 public:
  Form6Window(board::Form6& model, Bindings& bindings, QWidget* parent);
};

}  // namespace solmir::ui
