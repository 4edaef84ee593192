// Every model call made from a widget runs through here: a failure that escapes a command is
// shown in the service messages in French instead of ending the program, and when the outermost
// command is over the mouse pointer is the normal one again, whatever happened.
#pragma once

#include <functional>
#include <string>

namespace solmir {
class Form1;
}

namespace solmir::ui {

class CommandGuard {
 public:
  explicit CommandGuard(Form1& form) : form_(form) {}
  // what: the command as the user knows it ("Ouvrir fichier Midi...", "Titre").
  void run(const std::string& what, const std::function<void()>& command);

 private:
  void report(const std::string& message);
  Form1& form_;
  int depth_ = 0;
};

}  // namespace solmir::ui
