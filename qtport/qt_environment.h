// Where the program and the user's documents are, as Qt reports them.
#pragma once

#include <QString>

#include "base/ports.h"

namespace solmir::qt {

class QtEnvironment : public Environment {
 public:
  // The folder of the running executable.
  std::filesystem::path program_folder() override;
  // The user's Documents folder (on Linux the XDG documents folder, ~/Documents by default);
  // the home folder when the platform knows none.
  std::filesystem::path documents_folder() override;
};

// Paths between Qt and the standard library, whatever the platform's encoding.
std::filesystem::path to_path(const QString& s);
QString from_path(const std::filesystem::path& p);

}  // namespace solmir::qt
