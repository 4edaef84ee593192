// The two keyboard shortcuts of the main window, shown in no menu: Alt+R tells the playing time
// of the piece reduced to a single relay, Alt+T rewrites the title of the chosen piece on the
// card without programming the piece again.
#include "app/form1.h"
#include "base/numbers.h"
#include "base/text.h"
#include "board/link.h"
#include "board/operation.h"
#include "board/programming.h"

namespace solmir {

namespace {

constexpr const char* kMsgActionTime = "Durée d'action totale ramenée à 1 relais = ";
constexpr const char* kMsgRetitledA = "Modification du titre de A effectuée : ";
constexpr const char* kMsgRetitledB = "Modification du titre de B effectuée : ";
// The background of an active window caption, for 200 ms.
constexpr std::uint32_t kActiveCaption = 0x99B4D1;

}  // namespace

bool Form1::Form_KeyDown(int key, bool alt, bool, bool) {
  if (!alt || (key != 'R' && key != 'T')) return false;
  if (key == 'R') {
    const double seconds = static_cast<double>(duree_action_totale) / 240.0;
    ports.dialogs.message(kMsgActionTime + str_num(seconds) + " secondes\r\n");
  } else if (key == 'T') {
    // Not in the middle of another exchange with the board, nor without a board.
    if (state.board_busy() || link->operation_depth > 0) return true;
    if (!link->is_open()) {
      append_message(board::kMsgNoLink);
      return true;
    }
    std::string bad;
    if (options_validees &&
        !board::extra_note_bytes({note30.text(), note31.text(), note32.text()}, bad)) {
      append_message(board::kMsgBadExtraNote + bad);
      return true;
    }
    // No other board command may start meanwhile; the state gives them back at the end, also
    // when the board falls silent.
    ActivityScope writing(*this, Activity::writing_title);
    board::run_board_operation(*this, [&] {
      envoie_titre();
      Titre.set_highlight(kActiveCaption);
      attente(ports.loop, 200);
      Titre.set_highlight(0);
      // The titles as the card now holds them; nothing is said when they could not be read.
      titre_lu_A.clear();
      titre_lu_B.clear();
      lit_titres();
      const std::string& read = choixa.value() ? titre_lu_A : titre_lu_B;
      if (!read.empty())
        append_message((choixa.value() ? kMsgRetitledA : kMsgRetitledB) + latin1_to_utf8(read));
    });
    Titre.set_highlight(0);
  }
  return true;
}

}  // namespace solmir
