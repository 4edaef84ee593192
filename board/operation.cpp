#include "board/operation.h"

#include <utility>
#include <vector>

#include "app/form1.h"
#include "board/link.h"

namespace solmir::board {

bool run_board_operation(Form1& f, const std::function<void()>& body) {
  if (f.link->operation_depth > 0) {
    body();
    return true;
  }
  std::vector<std::pair<Control*, bool>> before;
  for (Control* c : std::initializer_list<Control*>{
           &f.programmer, &f.Sauve_midi, &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte,
           &f.Copier_carte, &f.fenetre_params, &f.Prog_demo, &f.option32N, &f.mode42, &f.Option32})
    before.emplace_back(c, c->enabled());
  f.link->operation_failed = false;
  ++f.link->operation_depth;
  try {
    body();
    --f.link->operation_depth;
    return true;
  } catch (const BoardFailure& e) {
    --f.link->operation_depth;
    f.link->operation_failed = true;
    if (f.link->is_open())
      for (auto& [c, enabled] : before) c->set_enabled(enabled);
    f.Timer1.set_enabled(false);
    f.link->end_text();
    f.ports.dialogs.set_busy(false);
    f.append_message(e.what());
    return false;
  } catch (...) {
    --f.link->operation_depth;
    throw;
  }
}

}  // namespace solmir::board
