// The virtual reader board, driven as the program drives the real one: programming a slot
// and its title, reading a piece back, erase and test, parameters, odometer, EEPROM, the card
// file, pacing and faults.
#include <gtest/gtest.h>

#include <cmath>

#include "base/numbers.h"
#include "base/std_event_loop.h"
#include "board/card_info.h"
#include "board/commands.h"
#include "board/link.h"
#include "board/virtual/board_args.h"
#include "board/virtual/virtual_serial_port.h"
#include "tests/support/fakes.h"

namespace solmir::board::virt {
namespace {

struct Bench {
  explicit Bench(BoardOptions o = {}) : port(loop, std::move(o)), link(port, loop) {
    port.open("0");
  }
  StdEventLoop loop{true};
  VirtualSerialPort port;
  Link link;
  VirtualBoard& board() { return port.board(); }
  Card& card() { return board().card(); }

  // The card information block after a word ("INfCP", "PRACP", "PRBCP").
  CardInfoBlock block(std::string_view word) {
    std::array<std::string, 5> titres;
    link.discard_buffers();
    link.send_word(word);
    CardInfoBlock b;
    b.size_digit = link.wait_char();
    link.send_lf();
    if (size_digit_value(b.size_digit) != 0) read_card_block_rest(link, b, titres);
    return b;
  }

  // PRgCP and the transfer: signature, count, lines of k records each answered "A".
  void transfer(std::string_view sig, const std::vector<std::string>& records, int k) {
    link.send_word(cmd::PRgCP);
    link.send_line(sig);
    link.wait_letter("A");
    link.send_line(zero_pad(static_cast<std::int64_t>(records.size()), 5));
    link.wait_letter("A");
    for (std::size_t i = 0; i < records.size();) {
      std::string line;
      for (int j = 0; j < k; ++j) {
        if (i < records.size()) ++i;
        line += records[i - 1];  // the last record pads the last line
      }
      link.send_line(line);
      link.wait_letter("A");
    }
  }

  void title(std::string_view word, const std::string& ten, std::string notes = {}) {
    link.discard_buffers();
    link.send_word(word);
    link.wait_letter("A");
    link.send_line(ten.substr(0, 5));
    link.wait_letter("A");
    link.send_line(ten.substr(5, 5) + notes);
  }

  struct Copied {
    char letter = 0;
    std::vector<std::string> records;
    std::string titre;
  };
  // The read-back as the program makes it: N + 3 passes, the texts of passes 3 on kept,
  // then four 5-character chunks.
  Copied copy(std::string_view word) {
    Copied c;
    link.discard_buffers();
    link.reponse_7 = false;
    link.send_word(word);
    link.wait_char();
    link.send_lf();
    c.letter = link.wait_letter("ABCDE");
    link.send_lf();
    if (c.letter != 'C' && c.letter != 'D' && c.letter != 'E') {
      link.send_lf();
      return c;
    }
    const bool f42 = c.letter == 'E';
    link.begin_text(5);
    const int n = static_cast<int>(val(link.wait_text()));
    link.send_lf();
    if (f42) link.set_text_length(7);
    for (int j = 0; j <= n + 2; ++j) {
      const std::string t = link.wait_text();
      if (j > 2) c.records.push_back(t);
      link.expect_text();
      link.send_lf();
    }
    if (f42) {
      link.set_text_length(5);
      link.expect_text();
    }
    std::string t[5];
    for (int i = 1; i <= 4; ++i) {
      t[i] = link.wait_text();
      link.expect_text();
      link.send_lf();
    }
    link.end_text();
    c.titre = f42 ? t[2].substr(2) + t[3] + t[4] : t[2] + t[3];
    return c;
  }

  // Erase or test: the size digit, then progress characters, each acknowledged.
  std::string work(std::string_view word) {
    link.send_word(word);
    std::string got(1, link.wait_char());
    link.send_lf();
    if (got == "0") return got;
    for (;;) {
      const char c = link.wait_char(kLongWorkSilenceMs);
      link.send_lf();
      got += c;
      if (c == '7' || c == '8') return got;
    }
  }

  void acknowledged(std::string_view word) {
    link.send_word(word);
    link.wait_letter("A");
  }
  std::string params() {
    link.discard_buffers();
    link.send_word(cmd::NUuLL);
    link.send_word(cmd::LEcPA);
    link.begin_text(7);
    std::string p = link.wait_text();
    link.send_lf();
    link.end_text();
    return p;
  }
  int one_byte(std::string_view word) {
    link.send_word(word);
    const int v = static_cast<unsigned char>(link.wait_char());
    link.send_lf();
    return v;
  }
};

std::vector<std::string> records(Format f, int n, int seed = 0) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back(Card::sample_record(f, i + seed));
  return v;
}

TEST(VirtualBoard, ProgramsSlotAWithItsTitleAndExtraNotes) {
  Bench b;
  const CardInfoBlock info = b.block(cmd::PRACP);
  EXPECT_FALSE(info.has_a());
  const auto recs = records(Format::notes29, 30, 5);
  b.transfer("VELoR", recs, 14);
  b.title(cmd::TitrA, "Bach      ", "\x3C\x3E\x40");
  b.loop.wait_for_events(0);
  const auto p = b.card().piece('A');
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, Format::notes29);
  EXPECT_EQ(p->count, 30);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(b.card().record(*p, i), recs[i]) << i;
  // The padding of the last line is not stored.
  EXPECT_EQ(b.card().read(p->address + p->size(), 5), std::string(5, '\xFF'));
  EXPECT_EQ(b.card().title('A'), "Bach      ");
  EXPECT_EQ(b.card().notes('A'), "<>@");
  // The block (8 answers), signature, count, three data lines, then two title answers: the
  // last title line has none.
  EXPECT_EQ(b.board().answers_sent(), 8 + 2 + 3 + 2);
}

TEST(VirtualBoard, ANewPieceARemovesBAndTheDemo) {
  Bench b;
  b.card().put_piece('A', Format::notes29, 10, "Un");
  b.card().put_piece('B', Format::notes42, 3, "Deux");
  b.card().put_piece('D', Format::notes29, 5);
  CardInfoBlock info = b.block(cmd::PRBCP);
  EXPECT_TRUE(info.has_a() && info.b42 && info.demo);
  b.block(cmd::PRACP);
  b.transfer("VELOR", records(Format::notes42, 12), 10);
  info = b.block(cmd::INfCP);
  EXPECT_TRUE(info.a42);
  EXPECT_EQ(info.count_a(), 12);
  EXPECT_FALSE(info.has_b() || info.demo);
}

TEST(VirtualBoard, PieceBGoesAfterTheRoomOfA) {
  Bench b;
  b.card().put_piece('A', Format::notes29, 100);
  b.card().put_piece('D', Format::notes29, 5);
  b.block(cmd::PRBCP);
  b.transfer("VELor", records(Format::notes32, 20), 14);
  const auto p = b.card().piece('B');
  ASSERT_TRUE(p);
  EXPECT_EQ(p->address, 528u);
  EXPECT_EQ(p->format, Format::notes32);
  EXPECT_FALSE(b.card().piece('D'));  // B takes line B from the demo
  EXPECT_TRUE(b.card().piece('A'));
}

TEST(VirtualBoard, ProgramsTheDemoAreaOneRecordPerLine) {
  Bench b;
  b.card().put_piece('A', Format::notes29, 10);
  b.link.send_word(cmd::PRDCP);
  const auto recs = records(Format::notes29, 7);
  b.transfer("VELoR", recs, 1);
  const auto p = b.card().piece('D');
  ASSERT_TRUE(p);
  EXPECT_EQ(p->address, 16384u);
  EXPECT_EQ(b.card().record(*p, 6), recs[6]);
  EXPECT_TRUE(b.card().piece('A'));
  EXPECT_EQ(b.board().answers_sent(), 2 + 7);
}

TEST(VirtualBoard, CancelledSelectionWritesNothing) {
  Bench b;
  b.block(cmd::PRACP);
  b.link.send_word(cmd::NUuLL);
  b.link.send_word(cmd::PRgCP);
  b.link.send_line("VELoR");
  EXPECT_THROW(b.link.wait_letter("A", 1000), BoardSilent);
  EXPECT_FALSE(b.card().piece('A'));
}

TEST(VirtualBoard, DataBytesMayHoldTheValue10) {
  Bench b;
  b.block(cmd::PRACP);
  std::vector<std::string> recs(3, std::string("\n\n\n\n\n"));
  b.transfer("VELoR", recs, 14);
  const auto p = b.card().piece('A');
  ASSERT_TRUE(p);
  EXPECT_EQ(b.card().record(*p, 2), "\n\n\n\n\n");
}

struct CopyCase {
  const char* name;
  Format format;
  Slot slot;
  char letter;
};

class VirtualBoardCopy : public ::testing::TestWithParam<CopyCase> {};

TEST_P(VirtualBoardCopy, ReadsThePieceBackAsTheProgramReadsIt) {
  Bench b;
  const CopyCase& c = GetParam();
  b.card().put_piece('A', Format::notes29, 4, "Premier");
  if (c.slot == 'B') {
    b.card().put_piece('B', c.format, 3, "Deuxieme");
  } else {
    b.card().put_piece('A', c.format, 3, "Premier");
  }
  b.card().set_notes(c.slot, std::string_view("abc"));
  const auto got = b.copy(c.slot == 'A' ? cmd::CPyCP : cmd::CPYCP);
  EXPECT_EQ(got.letter, c.letter);
  ASSERT_EQ(got.records.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(got.records[i], Card::sample_record(c.format, i));
  const std::string title = c.slot == 'A' ? "Premier   " : "Deuxieme  ";
  EXPECT_EQ(got.titre.substr(0, 10), title);
  EXPECT_EQ(got.titre.size(), c.format == Format::notes42 ? 13u : 10u);
  // Back to idle: the board answers the next command.
  EXPECT_EQ(b.params(), std::string(7, '\xFF'));
}

INSTANTIATE_TEST_SUITE_P(Formats, VirtualBoardCopy,
                         ::testing::Values(CopyCase{"A29", Format::notes29, 'A', 'C'},
                                           CopyCase{"A32", Format::notes32, 'A', 'D'},
                                           CopyCase{"B42", Format::notes42, 'B', 'E'},
                                           CopyCase{"A42", Format::notes42, 'A', 'E'}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualBoard, CopyOfAnEmptySlotOrWithoutCard) {
  Bench b;
  EXPECT_EQ(b.copy(cmd::CPYCP).letter, 'A');
  BoardOptions o;
  o.size_code = 0;
  Bench none(o);
  none.link.send_word(cmd::CPyCP);
  EXPECT_EQ(none.link.wait_char(), '0');
}

TEST(VirtualBoard, EraseAndTestReportProgress) {
  Bench b;
  b.card().put_piece('A', Format::notes29, 10);
  EXPECT_EQ(b.work(cmd::DElCP), "5" + std::string(25, '5') + "7");
  EXPECT_FALSE(b.card().piece('A'));
  EXPECT_EQ(b.card().bytes(), std::vector<std::uint8_t>(32768, 0xFF));
  EXPECT_EQ(b.work(cmd::TStCP), "5" + std::string(50, '5') + "7");

  BoardOptions o;
  o.defective = true;
  o.defect_at_step = 10;
  o.size_code = 9;
  Bench bad(o);
  EXPECT_EQ(bad.work(cmd::TStCP), "9" + std::string(9, '5') + "8");

  o = {};
  o.size_code = 0;
  Bench none(o);
  EXPECT_EQ(none.work(cmd::DElCP), "0");
}

TEST(VirtualBoard, CardTimingMakesLongWorkTakeItsTime) {
  BoardOptions o;
  o.card_timing = true;
  o.size_code = 9;
  Bench b(o);
  const auto t0 = b.loop.uptime_ms();
  b.work(cmd::DElCP);
  // 128 x 2^8 units of 9.7 ms: about 318 s, in 25 steps of 12.7 s.
  EXPECT_NEAR(static_cast<double>(b.loop.uptime_ms() - t0), 128 * 256 * 9.7, 30);
}

TEST(VirtualBoard, PacingSpendsTheTimeOf57600Baud) {
  BoardOptions o;
  o.pace_link = true;
  Bench b(o);
  b.card().put_piece('A', Format::notes29, 100, "Mozart");
  const auto t0 = b.loop.uptime_ms();
  const CardInfoBlock info = b.block(cmd::INfCP);
  EXPECT_EQ(info.count_a(), 100);
  // "INfCP" + LF and 9 acknowledgements out, 1 + 1 + 5 + 1 + 1 + 20 bytes back, each step
  // waiting for the one before: 44 bytes of 0.17 ms (and up to 1 ms of rounding per answer).
  const double bytes = 44 * VirtualBoard::kByteMs;
  EXPECT_GE(static_cast<double>(b.loop.uptime_ms() - t0), bytes);
  EXPECT_LE(static_cast<double>(b.loop.uptime_ms() - t0), bytes + 11);
}

TEST(VirtualBoard, ParameterWordsAndTables) {
  Bench b;
  EXPECT_EQ(b.params(), std::string(7, '\xFF'));
  for (auto w : {cmd::TACh2, cmd::NFmON, cmd::MUtMI, cmd::SMiTX}) b.acknowledged(w);
  EXPECT_EQ(b.params(), std::string("\x55\xFF\xFF\xFF\x00\x77\xAA", 7));
  b.acknowledged(cmd::TAChX);
  b.link.send_line(std::string("\x04\0\0\0\0", 5));
  b.link.wait_letter("A");
  b.acknowledged(cmd::PRsOR);
  for (int i = 0; i < 7; ++i) {
    b.link.send_line(std::string(5, static_cast<char>(i + 1)));
    b.link.wait_letter("A");
  }
  b.acknowledged(cmd::INsTR);
  for (int i = 0; i < 2; ++i) {
    b.link.send_line(std::string(5, '\0'));
    b.link.wait_letter("A");
  }
  EXPECT_EQ(b.params(), std::string("\x99\x04\x64\x63\x00\x77\xAA", 7));
  EXPECT_EQ(b.board().order_table().size(), 35u);
  EXPECT_EQ(b.board().order_table()[34], 7);
  b.acknowledged(cmd::INiPA);
  EXPECT_EQ(b.params(), std::string(7, '\xFF'));
  EXPECT_TRUE(b.board().order_table().empty());
}

TEST(VirtualBoard, OdometerAndEeprom) {
  Bench b;
  EXPECT_EQ(b.one_byte(cmd::INtOD), 24);
  b.acknowledged("Od200");
  EXPECT_EQ(b.one_byte(cmd::INtOD), 200);
  EXPECT_EQ(b.one_byte("rd077"), 255);
  // A write goes to the address of the read before it.
  b.acknowledged("wr042");
  EXPECT_EQ(b.one_byte("rd077"), 42);
  EXPECT_EQ(b.one_byte("rd078"), 255);
}

TEST(VirtualBoard, ResetAbandonsAHalfDoneExchange) {
  Bench b;
  b.block(cmd::PRACP);
  b.link.send_word(cmd::PRgCP);  // the board now waits for a signature line
  b.port.set_dtr(true);
  b.port.set_dtr(false);
  EXPECT_EQ(b.one_byte(cmd::INtOD), 24);
}

TEST(VirtualBoard, FaultSilentAfterLines) {
  BoardOptions o;
  o.silent_after_lines = 2;
  Bench b(o);
  b.acknowledged(cmd::TAChD);
  b.acknowledged(cmd::TACh2);
  b.link.send_word(cmd::TACh4);
  EXPECT_THROW(b.link.wait_letter("A"), BoardSilent);
}

TEST(VirtualBoard, FaultDisconnectClosesThePort) {
  BoardOptions o;
  o.disconnect_after_lines = 1;
  Bench b(o);
  bool lost = false;
  b.link.on_lost = [&] { lost = true; };
  b.acknowledged(cmd::TAChD);  // answered before the board goes
  b.loop.wait_for_events(0);
  EXPECT_TRUE(lost);
  EXPECT_FALSE(b.port.is_open());
  EXPECT_FALSE(b.port.open("0"));
}

// ---------------------------------------------------------------- the card file

TEST(VirtualBoardFile, AMissingFileStartsAsAnEmpty32kCard) {
  test::TempDir dir;
  BoardOptions o;
  o.card_file = dir.path() / "carte.bin";
  {
    VirtualBoard board(o);
    EXPECT_EQ(board.card().size_code(), 5);
  }
  EXPECT_EQ(std::filesystem::file_size(o.card_file), 32768u);
  EXPECT_EQ(test::read_file(o.card_file), std::string(32768, '\xFF'));
}

TEST(VirtualBoardFile, WhatIsProgrammedIsThereNextTime) {
  test::TempDir dir;
  BoardOptions o;
  o.card_file = dir.path() / "carte.bin";
  o.size_code = 3;
  o.size_code_given = true;
  {
    Bench b(o);
    b.block(cmd::PRACP);
    b.transfer("VELoR", records(Format::notes29, 20), 14);
    b.title(cmd::TitrA, "Garde     ");
    b.loop.wait_for_events(0);
  }
  BoardOptions again;
  again.card_file = o.card_file;
  Bench b(again);
  const CardInfoBlock info = b.block(cmd::INfCP);
  EXPECT_EQ(info.size_digit, '3');
  EXPECT_EQ(info.count_a(), 20);
  EXPECT_EQ(b.card().title('A'), "Garde     ");
}

TEST(VirtualBoardFile, BadFilesAndSizesAreRefused) {
  test::TempDir dir;
  const auto odd = dir.path() / "odd.bin";
  test::write_file(odd, std::string(1000, 'x'));
  BoardOptions o;
  o.card_file = odd;
  EXPECT_THROW(VirtualBoard{o}, std::runtime_error);
  // An existing card keeps its size unless it is started empty.
  const auto card = dir.path() / "carte.bin";
  test::write_file(card, std::string(4096, '\xFF'));
  o.card_file = card;
  o.size_code = 4;
  o.size_code_given = true;
  EXPECT_THROW(VirtualBoard{o}, std::runtime_error);
  o.empty_card = true;
  { VirtualBoard board(o); }
  EXPECT_EQ(std::filesystem::file_size(card), 16384u);
}

TEST(VirtualBoardArgs, ReadsTheOptionsAndLeavesTheRest) {
  std::vector<std::string> args{
      "--card", "c.bin",     "fichier.mid",       "--demo=20", "--piece-a", "100:42", "--title-a",
      "Mozart", "--no-card", "--wrong-answer-at", "3",         "--slow",    "--port", "x"};
  const BoardOptions o = take_board_options(args);
  EXPECT_EQ(args, (std::vector<std::string>{"fichier.mid", "--port", "x"}));
  EXPECT_EQ(o.card_file, "c.bin");
  ASSERT_EQ(o.pieces.size(), 2u);
  EXPECT_EQ(o.pieces[0].slot, 'A');  // A first, whatever the order given
  EXPECT_EQ(o.pieces[0].format, Format::notes42);
  EXPECT_EQ(o.pieces[0].count, 100);
  EXPECT_EQ(o.pieces[0].title, "Mozart");
  EXPECT_EQ(o.pieces[1].slot, 'D');
  EXPECT_EQ(o.size_code, 0);
  EXPECT_EQ(o.wrong_answer_at, 3);
  EXPECT_TRUE(o.pace_link && o.card_timing);
  std::vector<std::string> bad{"--size-code", "12"};
  EXPECT_THROW(take_board_options(bad), std::invalid_argument);
  std::vector<std::string> missing{"--card"};
  EXPECT_THROW(take_board_options(missing), std::invalid_argument);
}

}  // namespace
}  // namespace solmir::board::virt
