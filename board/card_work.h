// Card erase and card test: the reader board does the work on the card; the program asks the
// user first, sends one word, follows the board's progress answers with the progress bar and
// a countdown of the estimated time, and reports the outcome. The two are one procedure with
// the constants of CardWork.
//
// The exchange, each answer acknowledged by a lone LF before the program acts on it:
//   "DElCP" / "TStCP" -> the size code digit n ("0": no card; 1..9: the work has begun);
//   then "5" per step done (25 for an erase, 50 for a test), "7" at the end (for a test: the
//   card is good) or, for a test, "8" (the card is defective). Other characters are ignored.
// Progress total 128 x 2^(n - 1); estimated time Int(total x seconds per unit) + 1 s.
#pragma once

#include <string_view>

namespace solmir {
class Button;
class Form1;
}  // namespace solmir

namespace solmir::board {

struct CardWork {
  Button Form1::*own;        // disabled before the question
  std::string_view word;     // the board command
  Button Form1::*others[4];  // disabled once the word is sent
  int steps;
  double seconds_per_unit;
  const char* question;
  const char* status;  // the status line while the board works
  bool test;
};

extern const CardWork kErase;
extern const CardWork kTest;

inline constexpr const char* kMsgEraseQuestion =
    "Attention !! Toutes les données de cette carte\r\nseront effacées";
inline constexpr const char* kMsgErasing = "Effacement en cours - ne pas retirer la carte";
inline constexpr const char* kMsgErased = "Effacement terminé";
inline constexpr const char* kMsgTesting = "Test en cours - ne pas retirer la carte";
inline constexpr const char* kMsgCardGood = "Test carte OK";
inline constexpr const char* kMsgCardDefective = "Carte défectueuse";

enum class WorkOutcome {
  finished,   // erase done, or test passed ("7")
  defective,  // test failed ("8")
  declined,   // the user answered No
  no_card,    // "Carte muette ou absente"
  failed,     // the board fell silent or the link went away
};

// The erase or the test, as its button runs it.
WorkOutcome run_card_work(Form1& f, const CardWork& w);

// The estimated time in seconds for a size code digit (1..9).
int work_estimate(const CardWork& w, int size_code);

}  // namespace solmir::board
