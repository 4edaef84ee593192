// A run-time failure that stops the command running now. Its message is the French text the
// user is shown in the service messages.
#pragma once

#include <stdexcept>
#include <string>

namespace solmir {

class RunFailure : public std::runtime_error {
 public:
  explicit RunFailure(const std::string& message) : std::runtime_error(message) {}
};

// The error 65535 of bin_vers_entier: a text longer than 32 digits or holding another
// character than '0' or '1'.
class BinaryDigitError : public RunFailure {
 public:
  BinaryDigitError() : RunFailure("Erreur 65535 : chiffres binaires non valides") {}
};

}  // namespace solmir
