// The window's answers to what a board exchange asks: message boxes titled "Solmir", and the
// status line that Timer1 repeats in the service messages. Each exchange adds its progress.
#pragma once

#include <string>

#include "app/form1.h"

namespace solmir {

template <class Prompts>
class WindowAnswers : public Prompts {
 public:
  explicit WindowAnswers(Form1& f) : f_(f) {}
  bool ask_yes_no(const std::string& q) override { return f_.ports.dialogs.ask_yes_no(q); }
  void tell(const std::string& m) override { f_.ports.dialogs.message(m); }
  void status(const std::string& line) override {
    f_.msg_variable.set_text(line);
    f_.Timer1.set_enabled(true);
  }

 protected:
  Form1& f_;
};

}  // namespace solmir
