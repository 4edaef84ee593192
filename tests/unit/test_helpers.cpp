// The shared conversions and number rules.
#include <gtest/gtest.h>

#include "base/failure.h"
#include "base/inpout.h"
#include "base/numbers.h"
#include "base/std_event_loop.h"

namespace solmir {
namespace {

TEST(Numbers, MessagesWriteABlankInPlaceOfThePlusSign) {
  EXPECT_EQ(str_num(std::int64_t{20}), " 20");
  EXPECT_EQ(str_num(std::int64_t{0}), " 0");
  EXPECT_EQ(str_num(std::int64_t{-3}), "-3");
  EXPECT_EQ(str_num(2.5), " 2.5");
  EXPECT_EQ(str_num(2.0), " 2");
}

TEST(Numbers, HalvesGoToTheEvenNeighbourOrUpward) {
  EXPECT_EQ(round_half_even(2.5), 2);
  EXPECT_EQ(round_half_even(3.5), 4);
  EXPECT_EQ(round_half_even(12.5), 12);
  EXPECT_EQ(round_half_up(2.5), 3);
  EXPECT_EQ(round_half_up(120.48), 120);
  EXPECT_EQ(round_half_up(179.96), 180);
}

TEST(Numbers, ValReadsTheLeadingNumberAndParseNumberTheWholeText) {
  EXPECT_EQ(val("12abc"), 12);
  EXPECT_EQ(val("abc"), 0);
  EXPECT_DOUBLE_EQ(val(" 7.6"), 7.6);
  EXPECT_EQ(val("-4"), -4);
  EXPECT_EQ(parse_number("0.25"), 0.25);
  EXPECT_EQ(parse_number("0,25"), 0.25);
  EXPECT_EQ(parse_number(" 60 "), 60);
  EXPECT_FALSE(parse_number("abc"));
  EXPECT_FALSE(parse_number(""));
  EXPECT_FALSE(parse_number("12abc"));
}

TEST(Numbers, FixedFieldsKeepTheirWidth) {
  EXPECT_EQ(fixed_field(60, 5), "00060");
  EXPECT_EQ(fixed_field(123456, 5), "23456");
  EXPECT_EQ(fixed_field(-1, 7), "999999");
  EXPECT_EQ(fixed_field(0, 6), "000000");
  // Below -10^w the sum is negative: its sign and its first digit are dropped.
  EXPECT_EQ(fixed_field(-1677738240, 7), "6677382");
  EXPECT_EQ(fixed_field(-10000005, 7), "");
  EXPECT_EQ(format_000(24), "024");
  EXPECT_EQ(format_000(7.6), "008");
  EXPECT_EQ(zero_pad(120, 7), "0000120");
}

TEST(Inpout, BinaryDigits) {
  EXPECT_EQ(bin_vers_entier("101"), 5);
  EXPECT_EQ(bin_vers_entier("1" + std::string(31, '0')), INT32_MIN);
  EXPECT_THROW(bin_vers_entier(std::string(33, '0')), BinaryDigitError);
  EXPECT_THROW(bin_vers_entier("10a1"), BinaryDigitError);
  EXPECT_THROW(bin_vers_entier(""), BinaryDigitError);
  EXPECT_EQ(entier_vers_bin(5, 3), "101");
  EXPECT_EQ(entier_vers_bin(9, 3), "001");
  EXPECT_EQ(entier_vers_bin(5, 0), "");
  EXPECT_EQ(entier_vers_bin(-5, 4), "0000");
  EXPECT_EQ(entier_vers_bin(400, 11), "00110010000");
}

TEST(Inpout, HexadecimalAndText) {
  EXPECT_EQ(hex_vers_entier("ff"), 255);
  EXPECT_EQ(hex_vers_entier(""), 0);
  EXPECT_FALSE(hex_vers_entier("1G"));
  EXPECT_EQ(texte_vers_bin("A"), "01000001");
  EXPECT_EQ(texte_vers_bin(""), "");
  EXPECT_EQ(texte_vers_bin("\xFF"), "11111111");
  EXPECT_EQ(hex_vers_octet("0A"), 10);
  EXPECT_EQ(hex_vers_octet("a0"), 0);
  EXPECT_EQ(hex_vers_octet("FF"), 255);
  EXPECT_EQ(hex_vers_octet("A"), 170);
}

TEST(Inpout, RangNote) {
  NoteTable t{};
  t[0] = 48;
  t[3] = 60;
  t[7] = 60;
  t[45] = 99;
  EXPECT_EQ(rang_note(t, 0), 255);
  EXPECT_EQ(rang_note(t, 60), 4);  // first of the two, plus one
  EXPECT_EQ(rang_note(t, 48), 1);
  EXPECT_EQ(rang_note(t, 77), 1);  // not in the table
  EXPECT_EQ(rang_note(t, 99), 1);  // entry 45 is not searched
}

TEST(Inpout, AttenteRunsEventsAndLastsAtLeastTheTime) {
  StdEventLoop loop(true);
  int ran = 0;
  loop.post(0, [&] { ++ran; });
  attente(loop, 0);
  EXPECT_EQ(ran, 1);
  loop.post(150, [&] { ++ran; });
  const auto t0 = loop.uptime_ms();
  attente(loop, 200);
  EXPECT_GT(loop.uptime_ms() - t0, 200);
  EXPECT_EQ(ran, 2);
}

}  // namespace
}  // namespace solmir
