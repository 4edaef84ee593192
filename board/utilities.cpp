// The odometer and the EEPROM utility: one byte read or written at a time. The numbers travel
// as three decimal digits after "Od", "rd" and "wr".
#include <optional>

#include "app/form1.h"
#include "base/numbers.h"
#include "board/board_busy.h"
#include "board/commands.h"
#include "board/operation.h"

namespace solmir {

namespace {

constexpr const char* kBoxOdometre = "Le nombre d'impulsions doit être compris entre 0 et 999 : ";
constexpr const char* kBoxAdresse = "L'adresse doit être comprise entre 0 et 999 : ";
constexpr const char* kBoxOctet = "La valeur d'un octet doit être comprise entre 0 et 255 : ";

// The number of a field as the command carries it: the numeric value of its leading digits
// rounded to a whole number; nothing (said in a message box) when it does not fit in
// min..max.
std::optional<std::int64_t> field_number(Form1& f, const TextBox& box, std::int64_t max,
                                         const char* refused) {
  const std::int64_t v = round_half_up(val(box.text()));
  if (v < 0 || v > max) {
    f.ports.dialogs.message(refused + box.text() + "\r\n");
    return std::nullopt;
  }
  return v;
}

// The byte the board answers with. Its value may be that of a status letter ("A" to "F", 65
// to 70), which the receive handler takes as that letter: it is the answer all the same.
int wait_byte(board::Link& link) {
  for (const char l : std::string_view("ABCDEF")) link.flag(l) = false;
  link.car_reponse.assign(1, ' ');
  link.car_recu = false;
  char got = 0;
  link.wait_until([&] {
    if (link.car_recu) {
      got = link.car_reponse[0];
      return true;
    }
    for (const char l : std::string_view("ABCDEF")) {
      if (link.flag(l)) {
        got = l;
        return true;
      }
    }
    return false;
  });
  return static_cast<unsigned char>(got);
}

}  // namespace

void Form1::Lect_odometre_click() {
  board::run_board_operation(*this, [this] {
    board::BoardBusy busy(*this);
    link->discard_buffers();
    link->send_word(board::cmd::INtOD);
    const int v = wait_byte(*link);
    link->send_lf();
    form5.Text1.set_text(std::to_string(v));
  });
}

void Form1::Modif_odometre_click() {
  const auto v = field_number(*this, form5.Text1, 999, kBoxOdometre);
  if (!v) return;
  board::run_board_operation(*this, [this, v] {
    board::BoardBusy busy(*this);
    link->send_word(std::string(board::cmd::Od) + zero_pad(*v, 3));
    link->wait_letter("A");
    attente(ports.loop, 300);
  });
}

void Form1::read_EEPROM() {
  const auto a = field_number(*this, form6.adress, 999, kBoxAdresse);
  if (!a) return;
  board::run_board_operation(*this, [this, a] {
    board::BoardBusy busy(*this);
    link->discard_buffers();
    link->send_word(std::string(board::cmd::rd) + zero_pad(*a, 3));
    const int v = wait_byte(*link);
    link->send_lf();
    form6.value.set_text(std::to_string(v));
  });
}

void Form1::write_EEPROM() {
  const auto v = field_number(*this, form6.value, 255, kBoxOctet);
  if (!v) return;
  board::run_board_operation(*this, [this, v] {
    board::BoardBusy busy(*this);
    link->send_word(std::string(board::cmd::wr) + zero_pad(*v, 3));
    link->wait_letter("A");
    attente(ports.loop, 300);
  });
}

}  // namespace solmir
