// The small windows of the main window, each bound to its model: the extra notes (Form2), the
// About box (Form3), the card information (Form4) and the pre-processing thresholds (Form8).
// They are modeless and stay alive with the main window; the model shows and hides them.
#pragma once

#include <QDialog>

namespace solmir {
struct Form3;
class Form1;
namespace board {
struct Form4;
}
namespace score {
struct Form2;
struct Form8;
}  // namespace score
}  // namespace solmir

namespace solmir::ui {

class Bindings;

class Form2Window : public QDialog {
  Q_OBJECT
 public:
  Form2Window(score::Form2& model, Bindings& bindings, QWidget* parent);
};

class Form3Window : public QDialog {
  Q_OBJECT
 public:
  // Opening the web page can fail; the main window's service messages say so.
  Form3Window(Form3& model, Form1& form, Bindings& bindings, QWidget* parent);
};

class Form4Window : public QDialog {
  Q_OBJECT
 public:
  Form4Window(board::Form4& model, Bindings& bindings, QWidget* parent);
};

class Form8Window : public QDialog {
  Q_OBJECT
 public:
  Form8Window(score::Form8& model, Bindings& bindings, QWidget* parent);
};

}  // namespace solmir::ui
