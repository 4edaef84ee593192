// Starting a program and waiting for its end on QProcess. The wait runs the event loop, so the
// window stays alive while the program runs (the firmware upload takes a while).
#pragma once

#include "base/ports.h"

namespace solmir::qt {

class QtProcessRunner : public ProcessRunner {
 public:
  // The exit code; -1 when the program could not be started or crashed.
  int run_and_wait(const std::string& program, const std::vector<std::string>& args) override;
};

}  // namespace solmir::qt
