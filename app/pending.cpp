// Commands whose features are not built yet: each says so in the service messages.
#include "app/form1.h"

namespace solmir {

namespace {
constexpr const char* kNotYet = "Commande pas encore disponible";
}

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
