// The control model: each window is a plain struct of these controls, named as the window's
// widgets are. Setting a value runs the control's change rule whenever the value changes, also
// when the program changes it (the scale rules chain through this). Every change notifies the
// observers, so that a window can mirror the model and tests can read it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace solmir {

class Control {
 public:
  explicit Control(std::string name, std::string tooltip = {})
      : name_(std::move(name)), tooltip_(std::move(tooltip)) {}
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  const std::string& name() const { return name_; }
  const std::string& tooltip() const { return tooltip_; }
  bool enabled() const { return enabled_; }
  bool visible() const { return visible_; }
  void set_enabled(bool on);
  void set_visible(bool on);

  // Observers are called after every change of the control's state.
  int subscribe(std::function<void()> observer);
  void unsubscribe(int id);

 protected:
  void notify();

 private:
  std::string name_;
  std::string tooltip_;
  bool enabled_ = true;
  bool visible_ = true;
  std::vector<std::pair<int, std::function<void()>>> observers_;
  int next_id_ = 1;
};

// A check box: value ticked or not; on_change runs whenever the value changes.
class CheckBox : public Control {
 public:
  CheckBox(std::string name, std::string caption, std::string tooltip = {})
      : Control(std::move(name), std::move(tooltip)), caption_(std::move(caption)) {}
  bool value() const { return value_; }
  void set_value(bool v);
  const std::string& caption() const { return caption_; }
  void set_caption(std::string c);
  std::function<void()> on_change;

 private:
  std::string caption_;
  bool value_ = false;
};

// A text box; on_change runs whenever the text changes.
class TextBox : public Control {
 public:
  TextBox(std::string name, std::string text = {}, std::string tooltip = {})
      : Control(std::move(name), std::move(tooltip)), text_(std::move(text)) {}
  const std::string& text() const { return text_; }
  void set_text(std::string t);
  // Longest text the user may type (0: no limit); the program may set longer texts.
  int max_length = 0;
  std::function<void()> on_change;
  // Background colour (RGB); 0 means the normal window background.
  std::uint32_t highlight = 0;
  void set_highlight(std::uint32_t rgb);

 private:
  std::string text_;
};

// A push button, a label, a menu entry: a caption, an enabled flag and a click.
class Button : public Control {
 public:
  Button(std::string name, std::string caption, std::string tooltip = {})
      : Control(std::move(name), std::move(tooltip)), caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }
  void set_caption(std::string c);
  // Runs on_click when the control is enabled (as a user's click would).
  void click();
  std::function<void()> on_click;

 private:
  std::string caption_;
};

using Label = Button;
using MenuEntry = Button;

// The progress bar `gauge1`.
class ProgressBar : public Control {
 public:
  explicit ProgressBar(std::string name) : Control(std::move(name)) {}
  std::int64_t max() const { return max_; }
  std::int64_t value() const { return value_; }
  void set_max(std::int64_t m);
  void set_value(std::int64_t v);
  // Asks the view to draw the bar now.
  void repaint() { notify(); }

 private:
  std::int64_t max_ = 100;
  std::int64_t value_ = 0;
};

// A shape whose fill colour changes (the link state `Shape1`).
class Shape : public Control {
 public:
  explicit Shape(std::string name) : Control(std::move(name)) {}
  std::uint32_t color() const { return color_; }
  void set_color(std::uint32_t rgb);

 private:
  std::uint32_t color_ = 0xFF0000;
};

// A drop-down list of fixed entries.
class ComboBox : public Control {
 public:
  ComboBox(std::string name, std::vector<std::string> entries, std::string tooltip = {})
      : Control(std::move(name), std::move(tooltip)), entries_(std::move(entries)) {}
  const std::vector<std::string>& entries() const { return entries_; }
  int index() const { return index_; }
  std::string text() const { return index_ >= 0 ? entries_[index_] : std::string(); }
  // Selecting runs on_change (whether or not the entry differs, as a click on the list does).
  void select(int i);
  std::function<void()> on_change;

 private:
  std::vector<std::string> entries_;
  int index_ = -1;
};

// A window's visible/position state, for the dialogs of the main window.
class Window : public Control {
 public:
  Window(std::string name, std::string caption)
      : Control(std::move(name)), caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }
  void set_caption(std::string c);
  void show() { set_visible(true); }
  void hide() { set_visible(false); }
  // Position and size in twips, relative to the screen.
  int left = 0, top = 0, width = 0, height = 0;
  void move(int l, int t);
  void resize(int w, int h);

 private:
  std::string caption_;
};

}  // namespace solmir
