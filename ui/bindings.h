// The two-way ties between the model's controls and the widgets that show them. A widget
// takes its control's name as object name and its tooltip; every change of the control is
// mirrored at once (with the widget's signals blocked, so that the model is not told its own
// change back); what the user does goes to the control through the command guard.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "app/controls.h"
#include "ui/command_guard.h"

class QAbstractButton;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QWidget;

namespace solmir::ui {

class MessagesView;
class ShapeWidget;

// Twips (1/1440 inch) and the pixels of a widget's screen.
int twips_to_px(int twips, double dpi);
int px_to_twips(int px, double dpi);

class Bindings {
 public:
  explicit Bindings(CommandGuard& guard) : guard_(guard) {}
  // Stops every tie; the widgets may outlive the model's controls from here on.
  ~Bindings();
  Bindings(const Bindings&) = delete;
  Bindings& operator=(const Bindings&) = delete;

  CommandGuard& guard() { return guard_; }

  void check(CheckBox& box, QAbstractButton* widget);
  void text(TextBox& box, QLineEdit* widget);
  // A list of fixed entries: each choice of the user goes to the list, also of the entry shown.
  void combo(ComboBox& box, QComboBox* widget);
  void button(Button& button, QAbstractButton* widget);
  // A label; a ClickableLabel also passes its clicks on.
  void label(Label& label, QLabel* widget);
  // A frame whose caption the model sets.
  void frame(Label& caption, QGroupBox* widget);
  void action(MenuEntry& entry, QAction* action);
  // A menu entry whose triggering runs `instead` rather than the entry's click (quitting also
  // ends the window's event loop).
  void action(MenuEntry& entry, QAction* action, std::function<void()> instead);
  void progress(ProgressBar& bar, QProgressBar* widget);
  void shape(Shape& shape, ShapeWidget* widget);
  void messages(TextBox& box, MessagesView* widget);
  // A top-level window: caption, position and size (twips) both ways; shown and hidden as the
  // model says when mirror_visible, and a window the user closes is hidden in the model.
  void window(Window& window, QWidget* widget, bool mirror_visible);

  // Runs update now and after every change of the control.
  void watch(Control& control, std::function<void()> update);

 private:
  CommandGuard& guard_;
  std::vector<std::pair<Control*, int>> subscriptions_;
};

}  // namespace solmir::ui
