#include "board/board_busy.h"

#include "app/form1.h"

namespace solmir::board {

namespace {

// The controls connexion_on and connexion_off decide.
bool follows_link(const Form1& f, const Control* c) {
  for (const Control* l : std::initializer_list<const Control*>{
           &f.programmer, &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte,
           &f.fenetre_params, &f.Prog_demo})
    if (c == l) return true;
  return false;
}

}  // namespace

BoardBusy::BoardBusy(Form1& f)
    : f_(f), activity_(std::make_unique<ActivityScope>(f, Activity::board_settings)) {
  for (Control* c : std::initializer_list<Control*>{
           &f.programmer, &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte,
           &f.fenetre_params, &f.Prog_demo, &f.Prog_Uno, &f.Prog_Duemilanove, &f.Prog_Nano,
           &f.Prog_Nano_N, &f.form9.Valider, &f.form5.Command1, &f.form6.Command1,
           &f.form6.Command3}) {
    before_.emplace_back(c, c->enabled());
    c->set_enabled(false);
  }
}

BoardBusy::~BoardBusy() {
  const bool link_up = f_.link->is_open();
  for (auto& [c, enabled] : before_)
    if (link_up || !follows_link(f_, c)) c->set_enabled(enabled);
}

bool board_idle(const Form1& f) {
  return f.link->operation_depth == 0 && !f.upload_running;
}

}  // namespace solmir::board
