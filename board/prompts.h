// What a board exchange asks the user and shows while it runs. The window answers with its
// message boxes, the gauge, the countdown and the status line; the command line with the
// terminal; the tests with scripted answers.
#pragma once

#include <cstdint>
#include <string>

namespace solmir::board {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A question with Yes and No, No being the default. True for Yes.
  virtual bool ask_yes_no(const std::string& question) = 0;
  // A message with OK only.
  virtual void tell(const std::string& message) = 0;
  // The status line of a long operation ("Programmation en cours ...").
  virtual void status(const std::string& line) { (void)line; }
  // A long operation starts: `total` steps will follow.
  virtual void progress_start(std::int64_t total) { (void)total; }
  // `done` steps of it are behind.
  virtual void progress(std::int64_t done) { (void)done; }
};

}  // namespace solmir::board
