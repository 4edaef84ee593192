// Card erase and card test: the reader board does the work on the card; the program asks the
// user first, sends one word, follows the board's progress answers, and reports the outcome.
// The two are one exchange with the constants of WorkSpec.
//
// The exchange, each answer acknowledged by a lone LF before the program acts on it:
//   "DElCP" / "TStCP" -> the size code digit n ("0": no card; 1..9: the work has begun);
//   then "5" per step done (25 for an erase, 50 for a test), "7" at the end (for a test: the
//   card is good) or, for a test, "8" (the card is defective). Other characters are ignored.
// Progress total 128 x 2^(n - 1); estimated time Int(total x seconds per unit) + 1 s.
// A first answer that is no digit at all is not taken for "no card": the board may well be
// working, so its steps are followed to their end and the run reports the odd answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "board/link.h"
#include "board/prompts.h"

namespace solmir::board {

struct WorkSpec {
  std::string_view word;  // the board command
  int steps;
  double seconds_per_unit;
  const char* question;
  const char* status;  // the status line while the board works
  bool test;
};

extern const WorkSpec kErase;
extern const WorkSpec kTest;

inline constexpr const char* kMsgEraseQuestion =
    "Attention !! Toutes les données de cette carte\r\nseront effacées";
inline constexpr const char* kMsgErasing = "Effacement en cours - ne pas retirer la carte";
inline constexpr const char* kMsgErased = "Effacement terminé";
inline constexpr const char* kMsgTesting = "Test en cours - ne pas retirer la carte";
inline constexpr const char* kMsgCardGood = "Test carte OK";
inline constexpr const char* kMsgCardDefective = "Carte défectueuse";

enum class WorkOutcome {
  finished,    // erase done, or test passed ("7")
  defective,   // test failed ("8")
  declined,    // the user answered No
  no_card,     // "Carte muette ou absente"
  unexpected,  // the first answer was no size digit (the message says what came)
  failed,      // (window) the board fell silent, the link went away or the user stopped it
};

// What the window shows besides the progress: the seconds left.
class WorkPrompts : public Prompts {
 public:
  virtual void seconds_left(std::int64_t seconds) { (void)seconds; }
  // The word has gone: the board may be working from now on.
  virtual void work_started() {}
};

struct WorkResult {
  WorkOutcome outcome = WorkOutcome::declined;
  int size_code = 0;
  std::string message;  // unexpected: what came, in French
};

// Asks the question, then runs the exchange. Progress: progress_start(total) once the size
// code is known (the step count when it is not), progress(done) per step. Throws
// BoardFailure.
WorkResult card_work(Link& link, const WorkSpec& w, WorkPrompts& prompts);

// The estimated time in seconds for a size code digit (1..9).
int work_estimate(const WorkSpec& w, int size_code);

// A received character as the messages show it: "Z" in quotes, or its code.
std::string describe_answer(char c);

}  // namespace solmir::board
