// Commands whose features are not built yet: each says so in the service messages.
#include "app/form1.h"

namespace solmir {

namespace {
constexpr const char* kNotYet = "Commande pas encore disponible";
}

// ---- the link
void Form1::init_port() {}
void Form1::connexion_on() {}
void Form1::connexion_off() {}
void Form1::port_Change() {}
void Form1::Label2_Click() {}
void Form1::start_link() {}
void Form1::device_arrival(const std::string&) {}
void Form1::device_removal(const std::string&) {}
void Form1::lit_version() {}
void Form1::Infos_carte_Click() {
  append_message(kNotYet);
}
void Form1::lit_titres() {}

// ---- card operations
void Form1::programmer_Click() {
  append_message(kNotYet);
}
void Form1::envoie_titre() {}
void Form1::Copier_carte_Click() {
  append_message(kNotYet);
}
void Form1::Effacer_carte_Click() {
  append_message(kNotYet);
}
void Form1::Tester_carte_Click() {
  append_message(kNotYet);
}
void Form1::Form_KeyDown(int, bool, bool, bool) {}

}  // namespace solmir
