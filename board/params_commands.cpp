// The parameter commands of the reader board: the acknowledged command words, the speed sensor
// divider, the output order and instrument tables, and the reset of every parameter. Each
// command waits for the board's "A", says what it did in the service messages and lets the
// board settle for 300 ms.
#include <string_view>

#include "app/form1.h"
#include "base/numbers.h"
#include "board/board_busy.h"
#include "board/commands.h"
#include "board/operation.h"
#include "board/params.h"

namespace solmir {

namespace {

// Sends the word, waits for "A", appends the message, waits 300 ms.
void acknowledged(Form1& f, std::string_view word, const char* message) {
  board::run_board_operation(f, [&] {
    board::BoardBusy busy(f);
    f.link->send_word(word);
    f.link->wait_letter("A");
    f.append_message(message);
    attente(f.ports.loop, 300);
  });
}

// Sends the word, waits for "A", then sends the bytes as data lines of 5, each answered by its
// own "A" before the next one goes; appends the message, waits 300 ms. False when the board
// fell silent.
bool with_data(Form1& f, std::string_view word, const std::vector<std::uint8_t>& bytes,
               const char* message) {
  return board::run_board_operation(f, [&] {
    board::BoardBusy busy(f);
    f.link->send_word(word);
    f.link->wait_letter("A");
    for (std::size_t i = 0; i < bytes.size(); i += 5) {
      std::string line;
      for (std::size_t k = i; k < i + 5; ++k)
        line += static_cast<char>(k < bytes.size() ? bytes[k] : 0);
      f.link->send_line(line);
      f.link->wait_letter("A");
    }
    f.append_message(message);
    attente(f.ports.loop, 300);
  });
}

}  // namespace

void Form1::efface_table_F9() {
  acknowledged(*this, board::cmd::EFsOR, board::kMsgEffaceTable);
}
void Form1::tachydef_F9() {
  acknowledged(*this, board::cmd::TAChD, board::kMsgCapteur);
}
void Form1::tachy2_F9() {
  acknowledged(*this, board::cmd::TACh2, board::kMsgCapteur);
}
void Form1::tachy4_F9() {
  acknowledged(*this, board::cmd::TACh4, board::kMsgCapteur);
}
void Form1::efface_table_instrus_F9() {
  acknowledged(*this, board::cmd::EFiNS, board::kMsgInstrusDefaut);
}
void Form1::active_nf_F9() {
  acknowledged(*this, board::cmd::NFmON, board::kMsgNfOn);
}
void Form1::desactive_nf_F9() {
  acknowledged(*this, board::cmd::NFmOF, board::kMsgNfOff);
}
void Form1::cde_relais_midi_F9() {
  acknowledged(*this, board::cmd::CDeRM, board::kMsgRelaisMidi);
}
void Form1::cde_relais_seuls_F9() {
  acknowledged(*this, board::cmd::CDeRE, board::kMsgRelaisSeuls);
}
void Form1::cde_mute_relais_RF_F9() {
  acknowledged(*this, board::cmd::MUtRE, board::kMsgMuteRelais);
}
void Form1::cde_midi_seul_F9() {
  acknowledged(*this, board::cmd::CDeMI, board::kMsgMidiSeul);
}
void Form1::cde_mute_midi_RF_F9() {
  acknowledged(*this, board::cmd::MUtMI, board::kMsgMuteMidi);
}
void Form1::cde_mute_relais_midi_RF_F9() {
  acknowledged(*this, board::cmd::MUtRM, board::kMsgMuteRelaisMidi);
}
void Form1::sortie_midi_D9_F9() {
  acknowledged(*this, board::cmd::SMiD9, board::kMsgSortieD9);
}
void Form1::sortie_midi_TX_F9() {
  acknowledged(*this, board::cmd::SMiTX, board::kMsgSortieTX);
}

bool Form1::prog_div(const std::string& diviseur) {
  // The divider travels as one byte: a whole number from 1 to 255, or nothing is sent.
  const auto v = board::parse_whole_number(diviseur);
  if (!v || *v < 1 || *v > 255) {
    ports.dialogs.message(board::kBoxDiviseur + diviseur + "\r\n");
    return false;
  }
  return with_data(*this, board::cmd::TAChX, {static_cast<std::uint8_t>(*v), 0, 0, 0, 0},
                   board::kMsgCapteur);
}

bool Form1::ordre_sorties_29_32_F9(const std::string& path) {
  // The table's notes are ranks in the 29-note scale.
  if (mode42.value()) mode42.set_value(false);
  if (Option32.value()) Option32.set_value(false);
  const auto table = board::read_order_table_29_32(path, table_notes);
  if (!table) {
    ports.dialogs.message(board::kBoxTable2932);
    return false;
  }
  return with_data(*this, board::cmd::PRsOR, *table, board::kMsgTable2932);
}

bool Form1::ordre_sorties_42_F9(const std::string& path) {
  // The table's notes are ranks in the 42-note scale.
  if (Option32.value()) Option32.set_value(false);
  if (!mode42.value()) mode42.set_value(true);
  const auto table = board::read_order_table_42_45(path, table_notes);
  if (!table) {
    ports.dialogs.message(board::kBoxTable4245);
    return false;
  }
  return with_data(*this, board::cmd::PRSOR, *table, board::kMsgTable4245);
}

bool Form1::table_instruments_F9(const std::string& path) {
  const auto table = board::read_instrument_table(path);
  if (!table) {
    ports.dialogs.message(board::kBoxInstrus);
    return false;
  }
  return with_data(*this, board::cmd::INsTR, *table, board::kMsgInstrusPerso);
}

void Form1::Aucun_instrument_F9() {
  with_data(*this, board::cmd::INsTR, std::vector<std::uint8_t>(10, 0), board::kMsgAucunInstru);
}

void Form1::init_params_click() {
  board::run_board_operation(*this, [this] {
    {
      board::BoardBusy busy(*this);
      // Closing the dialog says so in the service messages.
      form9.window.hide();
      link->send_word(board::cmd::INiPA);
      link->wait_letter("A");
      append_message(board::kMsgReinit);
    }
    fenetre_params_Click();
    attente(ports.loop, 300);
  });
}

}  // namespace solmir
