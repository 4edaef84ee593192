// The board version check run before the parameter dialog is shown.
#include "board/version.h"

#include "app/form1.h"
#include "board/commands.h"

namespace solmir {

namespace board {

std::string version_text(char letter) {
  static const char* const table[] = {"3.1", "3.2", "3.3", "4.0", "4.1", "5.0", "5.1",
                                      "5.2", "5.3", "5.4", "6.0", "6.1", "6.2", "7.0"};
  if (letter >= 'a' && letter <= 'n') return table[letter - 'a'];
  return "inconnue";
}

}  // namespace board

void Form1::lit_version() {
  link->discard_buffers();
  link->send_word(board::cmd::VErSO);
  link->car_reponse.assign(1, ' ');
  link->car_recu = false;
  // The check has its own limit: 20 passes of 50 ms, about a second.
  for (int pass = 0; !link->car_recu && pass < 20; ++pass) {
    ports.loop.process_events();
    attente(ports.loop, 50);
  }
  link->send_lf();
  if (link->car_reponse != " ") {
    const std::string v = board::version_text(link->car_reponse[0]);
    if (v != board::kProgramVersion) append_message(board::kMsgVersionMismatch);
    form9.window.set_caption(board::kCaptionForm9 + v + ")");
  } else {
    form9.window.set_caption(std::string(board::kCaptionForm9) + "x.x)");
  }
}

}  // namespace solmir
