// Choosing, opening and closing the link port, and what the main window enables while the
// link is up: the port box, the port scan, start-up's port step and the device notifications.
#include <cctype>

#include "app/form1.h"
#include "base/numbers.h"
#include "board/link.h"

namespace solmir {

namespace {

// The name the port is opened with: the number held by the box ("3", "07" and "3 " give
// "3"; an empty box gives "0"), or the text itself when it is a device path or name
// ("/dev/pts/4", "COM3").
std::string port_name_of(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  const std::string t = text.substr(b, e - b);
  if (t.empty() || std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-' || t[0] == '+')
    return std::to_string(static_cast<long long>(val(t)));
  return t;
}

bool open_link_on(Form1& f, const std::string& text) {
  const std::string name = port_name_of(text);
  if (!f.link->port().open(name)) return false;
  f.open_port_name = name;
  return true;
}

}  // namespace

void Form1::init_port() {
  SerialPort& s = link->port();
  // The DTR/RTS pulse resets the board.
  s.set_dtr(true);
  s.set_rts(true);
  attente(ports.loop, 400);
  s.set_dtr(false);
  s.set_rts(false);
  link->end_text();
  link->discard_buffers();
}

void Form1::connexion_on() {
  init_port();
  Sauve_midi.set_enabled(true);
  for (Control* c :
       std::initializer_list<Control*>{&Infos_carte, &Effacer_carte, &Tester_carte, &Copier_carte})
    c->set_enabled(true);
  Shape1.set_color(kGreen);
  active_menus_carte();
  append_message(kMsgSelect);
  ports.dialogs.set_busy(false);
}

void Form1::connexion_off() {
  if (link->is_open()) link->port().close();
  open_port_name.clear();
  for (Control* c : std::initializer_list<Control*>{&programmer, &Sauve_midi, &Infos_carte,
                                                    &Effacer_carte, &Tester_carte, &Copier_carte})
    c->set_enabled(false);
  Shape1.set_color(kRed);
  append_message(board::kMsgNoLink);
  desactive_menus_carte();
  ports.dialogs.set_busy(false);
}

void Form1::port_Change() {
  // While avrdude has the port, the link leaves it alone.
  if (link->scan_en_cours || !link_follows_port || upload_running) return;
  if (link->is_open()) link->port().close();
  if (open_link_on(*this, port.text())) connexion_on();
  if (!link->is_open()) connexion_off();
}

void Form1::Label2_Click() {
  if (link->is_open()) return;
  port.set_text("32");
  link->scan_en_cours = true;
  ports.dialogs.set_busy(true);
  // Ports 32 down to 0; the first that opens is taken (the board is not asked anything).
  // One port object serves as probe and link.
  while (link->scan_en_cours) {
    const auto n = static_cast<long long>(val(port.text()));
    if (open_link_on(*this, std::to_string(n))) {
      link->scan_en_cours = false;
      connexion_on();
    } else if (n > 0) {
      port.set_text(std::to_string(n - 1));
    } else {
      link->scan_en_cours = false;
      connexion_off();
    }
    attente(ports.loop, 20);
  }
  ports.dialogs.set_busy(false);
}

void Form1::start_link() {
  link_follows_port = true;
  if (open_link_on(*this, port.text())) connexion_on();
  if (!link->is_open()) Label2_Click();
}

void Form1::device_arrival(const std::string& port_text) {
  // The scan in progress finds the new port by itself; an upload takes the port back itself.
  if (link->scan_en_cours || upload_running) return;
  ports.dialogs.set_busy(true);
  append_message(board::kMsgBoardDetected);
  port.set_text(port_text);  // reopens the link when the number changed
  if (!link->is_open() && open_link_on(*this, port.text())) connexion_on();
  ports.dialogs.set_busy(false);
}

void Form1::device_removal(const std::string& port_text) {
  // Only the disappearance of the link's own port closes the link: another device going
  // away (a USB stick, a second board) leaves it alone. A removal that names no port closes
  // the link only when its port is gone while the window still shows it connected.
  const bool own_port = !port_text.empty() && port_text == open_port_name;
  const bool shown_connected = Shape1.color() == kGreen;
  if (own_port || (shown_connected && !link->is_open())) connexion_off();
}

}  // namespace solmir
