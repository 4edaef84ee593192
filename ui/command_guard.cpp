#include "ui/command_guard.h"

#include <exception>

#include "app/form1.h"
#include "base/failure.h"

namespace solmir::ui {

namespace {

constexpr const char* kStopped = "La commande « %s » s'est arrêtée : ";
constexpr const char* kUnexpected = "Erreur inattendue pendant « %s » : ";
constexpr const char* kUnknown = "Erreur inattendue pendant « %s »";

std::string with(const char* pattern, const std::string& what) {
  std::string s = pattern;
  s.replace(s.find("%s"), 2, what);
  return s;
}

}  // namespace

void CommandGuard::report(const std::string& message) {
  try {
    form_.append_message(message);
  } catch (...) {
    // Nothing more can be said; the window stays usable.
  }
}

void CommandGuard::run(const std::string& what, const std::function<void()>& command) {
  ++depth_;
  try {
    command();
  } catch (const RunFailure& e) {
    report(with(kStopped, what) + e.what());
  } catch (const std::exception& e) {
    report(with(kUnexpected, what) + e.what());
  } catch (...) {
    report(with(kUnknown, what));
  }
  if (--depth_ == 0) {
    try {
      form_.ports.dialogs.set_busy(false);
    } catch (...) {
    }
  }
}

}  // namespace solmir::ui
