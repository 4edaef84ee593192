// Message boxes, file dialogs and the busy pointer on Qt Widgets. Boxes are titled "Solmir";
// questions are Yes/No with No as the default button.
#pragma once

#include <QPointer>
#include <QWidget>

#include "base/ports.h"

namespace solmir::ui {

inline constexpr const char* kBoxTitle = "Solmir";

class QtDialogs : public Dialogs {
 public:
  // The window the boxes and dialogs are centred on (none: the screen).
  void set_parent(QWidget* parent) { parent_ = parent; }

  void message(const std::string& text) override;
  bool ask_yes_no(const std::string& text) override;
  bool ask_ok_cancel(const std::string& text) override;
  std::string open_file(const std::string& title, const std::string& filters,
                        const std::string& start_folder) override;
  std::string save_file(const std::string& title, const std::string& filters,
                        const std::string& start_folder, const std::string& proposed_name) override;
  void set_busy(bool busy) override;
  bool busy() const { return busy_; }

 private:
  // While a box or a dialog waits for the user, the pointer is the normal one.
  class NormalPointer;
  std::string file_dialog(bool save, const std::string& title, const std::string& filters,
                          const std::string& start_folder, const std::string& proposed_name);
  QPointer<QWidget> parent_;
  bool busy_ = false;
};

// A message of the program as a box shows it: CR LF and lone CR become line ends, and the
// line ends closing the text are dropped.
QString box_text(const std::string& text);

}  // namespace solmir::ui
