// Choosing, opening and closing the link port: the port box, the port scan, start-up's port
// step and the device notifications. They tell the window state whether the link is open and
// whether a scan runs; the enables follow from the state.
#include <cctype>
#include <cmath>
#include <optional>

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
  if (t.empty() || std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-' || t[0] == '+') {
    // A number no port can have ("1e300", twenty digits) is tried as written, and fails.
    const double v = val(t);
    if (!std::isfinite(v) || v < -1e9 || v > 1e9) return t;
    return std::to_string(static_cast<long long>(v));
  }
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
  state.link_open = true;
  // The image in memory may be written out again.
  state.image.saveable = state.image.present;
  apply_state();
  append_message(kMsgSelect);
  ports.dialogs.set_busy(false);
}

void Form1::connexion_off() {
  if (link->is_open()) link->port().close();
  open_port_name.clear();
  state.link_open = false;
  state.image.saveable = false;
  apply_state();
  append_message(board::kMsgNoLink);
  ports.dialogs.set_busy(false);
}

void Form1::port_Change() {
  // While the scan runs it writes the port it tries into the box; while avrdude has the port,
  // the link leaves it alone.
  if (state.runs(Activity::port_scan) || !link_follows_port ||
      state.runs(Activity::firmware_upload))
    return;
  if (link->is_open()) link->port().close();
  if (open_link_on(*this, port.text())) connexion_on();
  if (!link->is_open()) connexion_off();
}

void Form1::Label2_Click() {
  if (link->is_open()) return;
  port.set_text("32");
  if (link->is_open()) return;  // the port box's own change found it
  std::optional<ActivityScope> scan(std::in_place, *this, Activity::port_scan);
  ports.dialogs.set_busy(true);
  // Ports 32 down to 0; the first that opens is taken (the board is not asked anything).
  // One port object serves as probe and link. The box shows the port being tried.
  for (int n = 32; scan; --n) {
    port.set_text(std::to_string(n));
    const bool found = open_link_on(*this, std::to_string(n));
    if (found || n == 0) {
      scan.reset();  // the scan is over before the link's state is told
      if (found) {
        connexion_on();
      } else {
        connexion_off();
      }
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
  if (state.runs(Activity::port_scan) || state.runs(Activity::firmware_upload)) return;
  ports.dialogs.set_busy(true);
  append_message(board::kMsgBoardDetected);
  port.set_text(port_text);  // reopens the link when the number changed
  if (!link->is_open() && open_link_on(*this, port.text())) connexion_on();
  ports.dialogs.set_busy(false);
}

void Form1::device_removal(const std::string& port_text) {
  // Only the disappearance of the link's own port closes the link: another device going
  // away (a USB stick, a second board) leaves it alone. A removal that names no port closes
  // the link only when its port is gone while the window still counts it open.
  const bool own_port = !port_text.empty() && port_text == open_port_name;
  if (own_port || (state.link_open && !link->is_open())) connexion_off();
}

}  // namespace solmir
