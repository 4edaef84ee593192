// While a configuration exchange runs, the commands that would start another exchange on the
// link are disabled; they get their state back when it ends, however it ends. The commands
// that the link's own state governs stay as connexion_off left them when the link went away.
#pragma once

#include <memory>
#include <utility>
#include <vector>

namespace solmir {
class ActivityScope;
class Control;
class Form1;
}  // namespace solmir

namespace solmir::board {

class BoardBusy {
 public:
  explicit BoardBusy(Form1& f);
  ~BoardBusy();
  BoardBusy(const BoardBusy&) = delete;
  BoardBusy& operator=(const BoardBusy&) = delete;

 private:
  Form1& f_;
  // The window state's "board settings" activity: first in, last out, so that the state has
  // the last word on the enables.
  std::unique_ptr<ActivityScope> activity_;
  std::vector<std::pair<Control*, bool>> before_;
};

// No board exchange or firmware upload is running: a user's command may start one.
bool board_idle(const Form1& f);

}  // namespace solmir::board
