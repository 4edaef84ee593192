// The serial link: the receive handler, the waits and their silence limits, opening and
// closing the link, the port scan and the device notifications.
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "base/std_event_loop.h"
#include "board/link.h"
#include "board/operation.h"
#include "tests/support/board_rig.h"

namespace solmir {
namespace {

using board::Link;
using board::virt::BoardOptions;
using test::BoardRig;

// A port whose received bytes the test schedules on the event loop.
class ScriptedPort : public SerialPort {
 public:
  explicit ScriptedPort(EventLoop& loop) : loop_(loop) {}
  // Delivers bytes after delay_ms, as one arrival.
  void arrive(std::string bytes, int delay_ms = 0) {
    loop_.post(delay_ms, [this, bytes] {
      rx += bytes;
      if (on_bytes_arrived) on_bytes_arrived();
    });
  }
  bool open(const std::string&) override { return open_ = true; }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  void write(std::string_view b) override { written += b; }
  std::string read(std::size_t n) override {
    std::string s = rx.substr(0, std::min(n, rx.size()));
    rx.erase(0, s.size());
    return s;
  }
  std::size_t bytes_available() const override { return rx.size(); }
  void discard_buffers() override { rx.clear(); }
  void set_dtr(bool) override {}
  void set_rts(bool) override {}
  std::string rx, written;

 private:
  EventLoop& loop_;
  bool open_ = true;
};

struct LinkRig {
  StdEventLoop loop{true};
  ScriptedPort port{loop};
  Link link{port, loop};
};

TEST(ReceiveHandler, OneCharacterModeKeepsOnlyTheLastArrival) {
  LinkRig r;
  // A status letter followed at once by another character is lost.
  r.port.arrive("B7");
  r.loop.wait_for_events(0);
  EXPECT_FALSE(r.link.etat_B);
  EXPECT_TRUE(r.link.car_recu);
  EXPECT_EQ(r.link.car_reponse, "7");
  r.port.arrive("7C");
  r.loop.wait_for_events(0);
  EXPECT_TRUE(r.link.etat_C);
  EXPECT_FALSE(r.link.car_recu);
  EXPECT_EQ(r.link.car_reponse, "7");  // kept until cleared
}

TEST(ReceiveHandler, TextModeTakesWholeAnswersIncludingLetters) {
  LinkRig r;
  r.link.begin_text(5);
  r.port.arrive("0A");
  r.loop.wait_for_events(0);
  EXPECT_FALSE(r.link.reponse_recue);  // not all there yet
  r.port.arrive("B12xyz");
  r.loop.wait_for_events(0);
  EXPECT_TRUE(r.link.reponse_recue);
  EXPECT_EQ(r.link.rep5, "0AB12");
  EXPECT_EQ(r.link.rep7, "       ");
  EXPECT_FALSE(r.link.etat_A);
  // The next answer waits in the port until the first has been used.
  EXPECT_EQ(r.port.rx, "xyz");
  r.link.expect_text();
  r.port.arrive("ab");
  EXPECT_EQ(r.link.wait_text(), "xyzab");
}

TEST(LinkWait, AnAnswerThatCameEarlierIsNotLeftInThePort) {
  LinkRig r;
  r.link.begin_text(5);
  r.port.arrive(
      "11111"
      "22222");
  EXPECT_EQ(r.link.wait_text(), "11111");
  r.link.expect_text();
  // No new bytes arrive: the second answer is already there.
  EXPECT_EQ(r.link.wait_text(), "22222");
}

struct SilenceCase {
  const char* name;
  int answer_after_ms;
  int limit_ms;
  bool answered;
};

class LinkSilence : public ::testing::TestWithParam<SilenceCase> {};

TEST_P(LinkSilence, EndsOnlyAfterTheLimitWithoutAByte) {
  LinkRig r;
  r.port.arrive("5", GetParam().answer_after_ms);
  const auto t0 = r.loop.uptime_ms();
  if (GetParam().answered) {
    EXPECT_EQ(r.link.wait_char(GetParam().limit_ms), '5');
  } else {
    EXPECT_THROW(r.link.wait_char(GetParam().limit_ms), board::BoardSilent);
    EXPECT_EQ(r.loop.uptime_ms() - t0, GetParam().limit_ms);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LinkSilence,
    ::testing::Values(SilenceCase{"AnswerWithin", 4900, board::kAnswerSilenceMs, true},
                      SilenceCase{"AnswerTooLate", 5100, board::kAnswerSilenceMs, false},
                      // An erase step of a card of size code 9 takes about 13 s.
                      SilenceCase{"LongStep", 13000, board::kLongWorkSilenceMs, true},
                      SilenceCase{"NeverAnswers", 1000000, board::kLongWorkSilenceMs, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A board that chatters: each answer has its own limit from the start of its wait, and bytes
// that are not the awaited answer do not extend it.
struct ChatterCase {
  const char* name;
  bool text_mode;                                     // else: waits for the letter "A"
  std::vector<std::pair<std::string, int>> arrivals;  // bytes, at ms
  std::optional<std::int64_t> answered_at;            // nothing: the wait gives up at the limit
};

class LinkChatter : public ::testing::TestWithParam<ChatterCase> {};

TEST_P(LinkChatter, StrayBytesDoNotExtendTheLimit) {
  const ChatterCase& c = GetParam();
  LinkRig r;
  for (const auto& [bytes, at] : c.arrivals) r.port.arrive(bytes, at);
  auto wait = [&] {
    if (c.text_mode) {
      r.link.begin_text(5);
      r.link.wait_text();
    } else {
      r.link.wait_letter("A");
    }
  };
  if (c.answered_at) {
    wait();
    EXPECT_EQ(r.loop.uptime_ms(), *c.answered_at);
  } else {
    EXPECT_THROW(wait(), board::BoardSilent);
    EXPECT_EQ(r.loop.uptime_ms(), board::kAnswerSilenceMs);
  }
}

std::vector<std::pair<std::string, int>> every_second(const std::string& b, int from, int to) {
  std::vector<std::pair<std::string, int>> v;
  for (int t = from; t <= to; t += 1000) v.emplace_back(b, t);
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkChatter,
    ::testing::Values(
        ChatterCase{"AStrayByteEverySecond", false, every_second("x", 1000, 60000), std::nullopt},
        ChatterCase{
            "TheAnswerAmongStrayBytes", false, {{"x", 1000}, {"7", 2000}, {"xA", 3000}}, 3000},
        ChatterCase{"TheAnswerAfterTheLimit", false,
                    [] {
                      auto v = every_second("x", 1000, 5500);
                      v.emplace_back("A", 6000);
                      return v;
                    }(),
                    std::nullopt},
        // Parts of a text 4 s apart: the whole answer is not there within the limit.
        ChatterCase{"ATextInPiecesTooSlow",
                    true,
                    {{"1", 4000}, {"1", 8000}, {"1", 12000}, {"1234", 16000}},
                    std::nullopt},
        ChatterCase{"ATextInPiecesInTime", true, {{"12", 1000}, {"345", 4000}}, 4000}),
    [](const auto& info) { return std::string(info.param.name); });

// A stop request ends the running wait with a failure of its own.
TEST(LinkWait, AStopRequestEndsTheWait) {
  LinkRig r;
  r.loop.post(300, [&] { r.link.request_stop(); });
  EXPECT_THROW(r.link.wait_letter("A"), board::BoardStopped);
  EXPECT_EQ(r.loop.uptime_ms(), 300);
  EXPECT_FALSE(r.link.stop_requested());
}

// Writing to a port that went away is a failure, not a silent loss of the bytes.
TEST(LinkFraming, WritingToAPortGoneThrows) {
  LinkRig r;
  r.port.close();
  try {
    r.link.send_word("TitrA");
    FAIL();
  } catch (const board::BoardSilent& e) {
    EXPECT_TRUE(e.link_lost);
    EXPECT_STREQ(e.what(), board::kMsgBoardSilent);
  }
  EXPECT_TRUE(r.port.written.empty());
}

TEST(LinkWait, APortThatGoesAwayEndsTheWait) {
  LinkRig r;
  r.loop.post(100, [&] { r.port.close(); });
  try {
    r.link.wait_letter("A");
    FAIL();
  } catch (const board::BoardSilent& e) {
    EXPECT_TRUE(e.link_lost);
  }
  EXPECT_LT(r.loop.uptime_ms(), 1000);
}

TEST(LinkFraming, WordsAcknowledgementsAndDataLines) {
  LinkRig r;
  r.link.send_word("VErSO");
  r.link.send_lf();
  r.link.send_line(std::string("\x04\0\0\0\0", 5));
  r.link.send_word(std::string("rd") + "077");
  EXPECT_EQ(r.port.written, std::string("VErSO\n\n\x04\0\0\0\0\nrd077\n", 19));
}

// ---------------------------------------------------------------- opening and closing

void save_port(BoardRig& b, const std::string& p) {
  b.rig.settings.values["Solmir/Startup/Port"] = p;
}

int count(const std::vector<std::string>& v, const std::string& s) {
  return static_cast<int>(std::count(v.begin(), v.end(), s));
}

TEST(Connection, StartUpOpensTheSavedPortAndResetsTheBoard) {
  BoardRig b({}, {"3"});
  save_port(b, "3");
  Form1& f = b.start();
  EXPECT_EQ(b.port().open_attempts, std::vector<std::string>{"3"});
  EXPECT_EQ(b.port().resets(), 1);
  EXPECT_EQ(f.Shape1.color(), kGreen);
  for (const Control* c : std::initializer_list<const Control*>{
           &f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte, &f.fenetre_params,
           &f.Prog_demo, &f.option32N})
    EXPECT_TRUE(c->enabled()) << c->name();
  // No card image yet: nothing to program, nothing to save.
  EXPECT_FALSE(f.programmer.enabled());
  EXPECT_FALSE(f.Sauve_midi.enabled());
  EXPECT_EQ(b.message_lines(), (std::vector<std::string>{kMsgSelect, kMsgSelect}));
}

TEST(Connection, ScanWhereOnlyPort3Exists) {
  BoardRig b({}, {"3"});
  save_port(b, "7");
  Form1& f = b.start();
  std::vector<std::string> tried{"7", "32"};
  for (int n = 32; n >= 3; --n) tried.push_back(std::to_string(n));
  EXPECT_EQ(b.port().open_attempts, tried);
  EXPECT_EQ(f.port.text(), "3");
  EXPECT_EQ(f.open_port_name, "3");
  EXPECT_EQ(f.Shape1.color(), kGreen);
  EXPECT_FALSE(f.link->scan_en_cours);
  EXPECT_FALSE(b.rig.dialogs.busy);
  EXPECT_EQ(count(b.message_lines(), board::kMsgNoLink), 1);
  EXPECT_EQ(b.message_lines().back(), kMsgSelect);
}

TEST(Connection, ScanThatFindsNothingEndsDisconnected) {
  BoardRig b({}, {"99"});
  Form1& f = b.start();
  EXPECT_EQ(b.port().open_attempts.size(), 35u);  // "0", "32" twice, 31 ... 0
  EXPECT_EQ(b.port().open_attempts.back(), "0");
  EXPECT_EQ(f.port.text(), "0");
  EXPECT_EQ(f.Shape1.color(), kRed);
  EXPECT_FALSE(f.Infos_carte.enabled());
  EXPECT_FALSE(f.fenetre_params.enabled());
  EXPECT_EQ(count(b.message_lines(), board::kMsgNoLink), 2);
  EXPECT_FALSE(b.rig.dialogs.busy);
}

TEST(Connection, ANumberNoPortCanHaveIsRefusedLikeAnyBadPort) {
  BoardRig b({}, {"3"});
  save_port(b, "3");
  Form1& f = b.start();
  for (const char* huge : {"1e300", "99999999999999999999999"}) {
    f.port.set_text(huge);
    EXPECT_FALSE(f.link->is_open()) << huge;
    EXPECT_EQ(b.port().open_attempts.back(), huge);
    EXPECT_EQ(b.message_lines().back(), board::kMsgNoLink);
  }
}

TEST(Connection, ScanDoesNothingWhileConnected) {
  BoardRig b;
  Form1& f = b.start();
  const auto tries = b.port().open_attempts.size();
  f.Label2.click();
  EXPECT_EQ(b.port().open_attempts.size(), tries);
}

TEST(Connection, PortBoxChanges) {
  BoardRig b({}, {"3", "4", "/dev/pts/9"});
  save_port(b, "3");
  Form1& f = b.start();
  // The same number again is no change: the link is not reopened.
  f.port.set_text("3");
  EXPECT_EQ(b.port().resets(), 1);
  f.port.set_text("4");
  EXPECT_EQ(f.open_port_name, "4");
  EXPECT_EQ(b.port().resets(), 2);
  // A device path is used as it is; a number is read as one.
  f.port.set_text("/dev/pts/9");
  EXPECT_EQ(f.open_port_name, "/dev/pts/9");
  f.port.set_text(" 03");
  EXPECT_EQ(f.open_port_name, "3");
  // A port that does not open leaves the window disconnected.
  f.port.set_text("5");
  EXPECT_FALSE(f.link->is_open());
  EXPECT_EQ(f.Shape1.color(), kRed);
  EXPECT_FALSE(f.Copier_carte.enabled());
  EXPECT_EQ(b.message_lines().back(), board::kMsgNoLink);
}

TEST(Connection, SavedPortIsNotOpenedWhileTheSettingsAreRead) {
  BoardRig b({}, {"3"});
  save_port(b, "3");
  b.start();
  // Start-up opens it once, at its port step.
  EXPECT_EQ(b.port().open_attempts.size(), 1u);
}

TEST(Connection, ArrivalWhileConnected) {
  BoardRig b({}, {"3", "5"});
  save_port(b, "3");
  Form1& f = b.start();
  f.device_arrival("5");
  EXPECT_EQ(b.message_lines()[b.message_lines().size() - 2], board::kMsgBoardDetected);
  EXPECT_EQ(f.port.text(), "5");
  EXPECT_EQ(f.open_port_name, "5");
  EXPECT_EQ(b.port().resets(), 2);
  // The same number again: the message, and nothing else.
  const auto lines = b.message_lines().size();
  f.device_arrival("5");
  EXPECT_EQ(b.message_lines().size(), lines + 1);
  EXPECT_EQ(b.message_lines().back(), board::kMsgBoardDetected);
  EXPECT_EQ(b.port().resets(), 2);
  EXPECT_FALSE(b.rig.dialogs.busy);
}

TEST(Connection, OnlyTheLinksOwnPortClosesTheLink) {
  BoardRig b({}, {"3"});
  save_port(b, "3");
  Form1& f = b.start();
  const auto lines = b.message_lines().size();
  f.device_removal("8");  // a USB stick, another board
  f.device_removal("");   // a device of unknown name, while the port still works
  EXPECT_TRUE(f.link->is_open());
  EXPECT_EQ(b.message_lines().size(), lines);
  f.device_removal("3");
  EXPECT_FALSE(f.link->is_open());
  EXPECT_EQ(f.Shape1.color(), kRed);
  EXPECT_EQ(b.message_lines().back(), board::kMsgNoLink);
}

TEST(Connection, UnpluggedBoardDropsTheLinkAndComesBackOnArrival) {
  BoardRig b({}, {"3"});
  save_port(b, "3");
  Form1& f = b.start();
  b.port().unplug();
  b.rig.loop.wait_for_events(0);
  EXPECT_FALSE(f.link->is_open());
  EXPECT_EQ(f.Shape1.color(), kRed);
  EXPECT_FALSE(f.Infos_carte.enabled());
  // The removal notice that follows changes nothing more.
  const auto lines = b.message_lines().size();
  f.device_removal("3");
  EXPECT_EQ(b.message_lines().size(), lines);
  // Plugged in again under the same number: the box does not change, the link reopens.
  b.port().plug_in();
  f.device_arrival("3");
  EXPECT_TRUE(f.link->is_open());
  EXPECT_EQ(f.Shape1.color(), kGreen);
  EXPECT_EQ(b.message_lines().back(), kMsgSelect);
}

TEST(Connection, QuitClosesThePort) {
  BoardRig b;
  Form1& f = b.start();
  f.quitter_Click();
  EXPECT_FALSE(b.port().is_open());
}

TEST(BoardOperation, NestedOperationsReportOnce) {
  BoardOptions o;
  o.silent_after_lines = 0;
  BoardRig b(o);
  Form1& f = b.start();
  f.Infos_carte.set_enabled(false);
  const bool ok = board::run_board_operation(f, [&] {
    f.Tester_carte.set_enabled(false);
    f.Timer1.set_enabled(true);
    f.lit_titres();
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(count(b.message_lines(), board::kMsgBoardSilent), 1);
  EXPECT_TRUE(f.Tester_carte.enabled());
  EXPECT_FALSE(f.Infos_carte.enabled());  // as it was before
  EXPECT_FALSE(f.Timer1.enabled());
}

}  // namespace
}  // namespace solmir
