// Commands whose features are not built yet: each says so in the service messages
// ("Commande pas encore disponible"). Every command of the window is built now.
#include "app/form1.h"

namespace solmir {}  // namespace solmir
