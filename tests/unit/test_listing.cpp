// The event listing of MIDI files: the text of every line, the tempo map in single precision,
// note pairing, the format errors with their messages and the files that cannot be converted.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "midi/listing.h"
#include "tests/support/fakes.h"
#include "tests/support/midi_builder.h"

namespace solmir::midi {
namespace {

using test::smf;
using test::smf_header;
using test::TrackBuilder;
using test::vlq;

// The first event of the first track of a file with a 6-byte header starts at offset 22
// (14 header bytes, "MTrk" and its length); its status byte is at 23 = 0x17.
constexpr const char* kPath = "t.mid";

std::vector<std::string> lines_of(const ListingResult& r) {
  std::vector<std::string> v;
  for (std::size_t i = 0; i < r.listing.size(); ++i) v.push_back(r.listing.render(i));
  return v;
}

// The lines before HEAD and ENDF (all of them when the conversion stopped early).
std::vector<std::string> events_of(const ListingResult& r) {
  std::vector<std::string> v = lines_of(r);
  if (r.end == ListingEnd::completed && v.size() >= 2) v.resize(v.size() - 2);
  return v;
}

std::string bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

std::string be32(std::uint32_t v) {
  return bytes({static_cast<int>(v >> 24), static_cast<int>((v >> 16) & 0xFF),
                static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)});
}

// A track chunk holding exactly `data` (the end-of-track event included or not).
std::string chunk(const std::string& data) {
  return "MTrk" + be32(static_cast<std::uint32_t>(data.size())) + data;
}

// A one-track format-0 file at 480 ticks per quarter note holding `data` then end of track.
std::string one_track(const std::string& data, int division = 480) {
  return smf_header(0, 1, division) + chunk(data + bytes({0, 0xFF, 0x2F, 0}));
}

ListingResult convert(const std::string& file) {
  return desassemble_midi(file, kPath);
}

std::string located(const char* message, const char* hex) {
  return std::string(message) + "\r\n    Events processed until loc hex: " + hex;
}

// ------------------------------------------------------------------ line formats

TEST(ListingLines, ExampleNoteAt480TicksPerQuarter) {
  TrackBuilder t;
  t.note_on(960, 1, 60, 100).note_off(480, 1, 60).end();
  const auto r = desassemble_midi(smf(0, 480, {t}), "/tmp/x.mid");
  ASSERT_EQ(r.end, ListingEnd::completed);
  EXPECT_EQ(r.code_erreur_midi, 0);
  EXPECT_EQ(r.message_erreur_midi, "");
  const auto l = lines_of(r);
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[0], "NOTE 0001000 001440 00001 00060 00500 00100 C3");
  EXPECT_EQ(l[1], "NOOF 0001500 001440 00001 00060");
  EXPECT_EQ(l[2], "HEAD ##10000  /tmp/x.mid 01500");
  EXPECT_EQ(l[3], "ENDF 9999999");
}

struct LineCase {
  const char* what;
  std::string event;  // after its delta time of 960 ticks (1000 ms)
  std::string line;
};

std::vector<LineCase> line_cases() {
  std::vector<LineCase> v = {
      {"key pressure", bytes({0xA2, 60, 64}), "KAFT 0001000 000960 00003 00060 00064"},
      {"key pressure above 127 is listed", bytes({0xA0, 200, 1}),
       "KAFT 0001000 000960 00001 00200 00001"},
      {"control change", bytes({0xB0, 7, 100}), "CONC 0001000 000960 00001 00007 00100"},
      {"program change", bytes({0xC5, 19}), "PRGC 0001000 000960 00006 00019"},
      {"data byte with its top bit set", bytes({0xC0, 0x99}), "PRGC 0001000 000960 00001 00153"},
      {"channel pressure", bytes({0xDF, 127}), "CAFT 0001000 000960 00016 00127"},
      {"pitch bend centre", bytes({0xE0, 0, 64}), "PBEN 0001000 000960 00001 08192"},
      {"pitch bend top", bytes({0xE1, 127, 127}), "PBEN 0001000 000960 00002 16383"},
      {"quarter frame", bytes({0xF1, 37}), "MQTR 0001000 000960 00037"},
      {"song position", bytes({0xF2, 1, 2}), "SNGP 0001000 000960 00257"},
      {"song select", bytes({0xF3, 5}), "SNGS 0001000 000960 00005"},
      {"sequence number", bytes({0xFF, 0, 2, 0, 7}), "SEQN 0001000 000960 00007"},
      {"sequence number, high byte with top bit", bytes({0xFF, 0, 2, 0x81, 5}),
       "SEQN 0001000 000960 00133"},
      {"sequence number, high byte below 128 ignored", bytes({0xFF, 0, 2, 5, 7}),
       "SEQN 0001000 000960 00007"},
      {"sequence number takes its two bytes from a longer meta", bytes({0xFF, 0, 3, 0, 9, 0x77}),
       "SEQN 0001000 000960 00009"},
      {"tempo", bytes({0xFF, 0x51, 3, 0x07, 0xA1, 0x20}), "TEMP 0001000 000960 0500000"},
      {"tempo of eight digits keeps seven", bytes({0xFF, 0x51, 3, 0xFF, 0xFF, 0xFF}),
       "TEMP 0001000 000960 6777215"},
      {"time signature", bytes({0xFF, 0x58, 4, 6, 3, 24, 8}),
       "TIME 0001000 000960 00006 00008 00024 00008"},
      {"time code offset", bytes({0xFF, 0x54, 5, 1, 2, 3, 4, 5}),
       "SMPT 0001000 000960 00001 00002 00003 00004 00005"},
      {"key signature, flats as an unsigned byte", bytes({0xFF, 0x59, 2, 0xFD, 1}),
       "KEYS 0001000 000960 00253 00001"},
      {"text of length 0", bytes({0xFF, 1, 0}), "TEXT 0001000 000960 "},
      {"text not UTF-8 is read as Windows-1252", bytes({0xFF, 1, 4, 'c', 0xE9, ' ', 'x'}),
       "TEXT 0001000 000960 c\xC3\xA9 x"},
  };
  const char* codes[] = {"TEXT", "AUTH", "TNAM", "INST", "LYRC", "MARK", "CUEP"};
  for (int type = 1; type <= 7; ++type)
    v.push_back({codes[type - 1], bytes({0xFF, type, 5}) + "hello",
                 std::string(codes[type - 1]) + " 0001000 000960 hello"});
  static const char kHex[] = "0123456789ABCDEF";
  // 0xF7 is the escape event, with a length (see the hand-made files below).
  for (int status = 0xF4; status <= 0xFE; ++status)
    if (status != 0xF7)
      v.push_back({"one-byte system message", bytes({status}),
                   std::string("F") + kHex[status & 0x0F] + "XX 0001000 000960"});
  return v;
}

TEST(ListingLines, EveryEventKindWritesItsFixedColumns) {
  for (const LineCase& c : line_cases()) {
    SCOPED_TRACE(c.what);
    const auto r = convert(one_track(vlq(960) + c.event));
    ASSERT_EQ(r.end, ListingEnd::completed) << r.message_erreur_midi;
    EXPECT_EQ(events_of(r), std::vector<std::string>{c.line});
    EXPECT_EQ(lines_of(r).back(), "ENDF 9999999");
  }
}

TEST(ListingLines, NoteNamesArePitchClassAndOctave) {
  const std::pair<int, const char*> names[] = {{0, "C-2"},  {11, "B-2"}, {12, "C-1"},
                                               {23, "B-1"}, {24, "C0"},  {60, "C3"},
                                               {61, "C#3"}, {70, "A#3"}, {127, "G8"}};
  for (const auto& [key, name] : names) EXPECT_EQ(note_name(key), name) << key;
  TrackBuilder t;
  t.note_on(0, 16, 0, 1).note_off(480, 16, 0).end();
  EXPECT_EQ(events_of(convert(smf(0, 480, {t})))[0],
            "NOTE 0000000 000480 00016 00000 00500 00001 C-2");
}

TEST(ListingLines, TimeSignatureOutsidePowersZeroToFiveKeepsTheDenominator) {
  // Powers 6, 3, 6, 0, 5, 7: the first keeps the initial 4, later ones the previous value.
  std::string data;
  for (int power : {6, 3, 6, 0, 5, 7}) data += vlq(0) + bytes({0xFF, 0x58, 4, 3, power, 24, 8});
  const auto l = events_of(convert(one_track(data)));
  ASSERT_EQ(l.size(), 6u);
  const char* denominators[] = {"00004", "00008", "00008", "00001", "00032", "00032"};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(l[i], std::string("TIME 0000000 000000 00003 ") + denominators[i] + " 00024 00008");
}

TEST(ListingLines, TheDenominatorCarriesOverToTheNextTrack) {
  TrackBuilder a, b;
  a.event(0, {0xFF, 0x58, 4, 3, 3, 24, 8}).end();
  b.event(0, {0xFF, 0x58, 4, 2, 6, 24, 8}).end();
  EXPECT_EQ(events_of(convert(smf(1, 480, {a, b})))[1],
            "TIME 0000000 000000 00002 00008 00024 00008");
}

// At 500 ticks per quarter note and 500000 microseconds per quarter note a tick is exactly
// one millisecond, so wrapped fields are easy to read.
TEST(ListingLines, LongTimesKeepTheirLowerDigits) {
  TrackBuilder t;
  t.note_on(0, 1, 60).note_off(123456, 1, 60).event(1234567 - 123456, {0xF8}).end();
  const auto l = lines_of(desassemble_midi(smf(0, 500, {t}), "/p/long.mid"));
  ASSERT_EQ(l.size(), 5u);
  // The duration 123456 and the tick 123456 keep their lower digits.
  EXPECT_EQ(l[0], "NOTE 0000000 123456 00001 00060 23456 00100 C3");
  EXPECT_EQ(l[1], "NOOF 0123456 123456 00001 00060");
  // A tick from 1,000,000 to 8,999,999 shows its lower six digits.
  EXPECT_EQ(l[2], "F8XX 1234567 234567");
  // The largest note end 123456 shows its lower five digits.
  EXPECT_EQ(l[3], "HEAD ##10000  /p/long.mid 23456");
}

TEST(ListingLines, HeadCarriesTheLargestNoteEndOfAllTracks) {
  TrackBuilder a, b;
  a.note_on(0, 1, 60).note_off(3000, 1, 60).end();
  b.note_on(0, 2, 62).note_off(1000, 2, 62).end();
  EXPECT_EQ(lines_of(convert(smf(1, 500, {a, b})))[4], "HEAD ##10000  t.mid 03000");
}

// ------------------------------------------------------------------ timing

TEST(ListingTiming, FormatZeroTempoAtTickZeroAppliesToEveryLaterEvent) {
  TrackBuilder t;
  t.tempo(0, 250000).note_on(480, 1, 60).note_off(480, 1, 60).end();
  const auto l = events_of(convert(smf(0, 480, {t})));
  EXPECT_EQ(l, (std::vector<std::string>{"TEMP 0000000 000000 0250000",
                                         "NOTE 0000250 000960 00001 00060 00250 00100 C3",
                                         "NOOF 0000500 000960 00001 00060"}));
}

TEST(ListingTiming, TempoLineIsTimedWithTheTempoBeforeIt) {
  TrackBuilder t;
  t.tempo(0, 250000).tempo(960, 1000000).event(480, {0xB0, 1, 2}).end();
  EXPECT_EQ(events_of(convert(smf(0, 480, {t}))),
            (std::vector<std::string>{"TEMP 0000000 000000 0250000", "TEMP 0000500 000960 1000000",
                                      "CONC 0001500 001440 00001 00001 00002"}));
}

TEST(ListingTiming, ConductorTempoChangesApplyToLaterTracksAndTheirTempoEventsAreIgnored) {
  TrackBuilder conductor, melody;
  conductor.tempo(0, 500000).tempo(960, 1000000).end();
  // A tempo event in a later track of a format-1 file adds no line and changes nothing.
  melody.note_on(480, 1, 60).tempo(0, 250000).note_off(960, 1, 60).end();
  const auto l = events_of(convert(smf(1, 480, {conductor, melody})));
  EXPECT_EQ(l,
            (std::vector<std::string>{"TEMP 0000000 000000 0500000", "TEMP 0001000 000960 1000000",
                                      // 500 ms to the change, then 480 ticks at 2.083 ms
                                      "NOTE 0000500 001440 00001 00060 01500 00100 C3",
                                      "NOOF 0002000 001440 00001 00060"}));
}

TEST(ListingTiming, NoteAcrossTempoChangesInTheSameTrack) {
  TrackBuilder t;
  t.note_on(480, 1, 60)
      .tempo(480, 1000000)
      .event(0, {0xB0, 1, 0})  // at the tempo's tick: the tempo takes effect before it
      .tempo(480, 250000)
      .note_off(480, 1, 60)
      .end();
  const auto l = events_of(convert(smf(0, 480, {t})));
  EXPECT_EQ(l, (std::vector<std::string>{
                   "TEMP 0001000 000960 1000000", "CONC 0001000 000960 00001 00001 00000",
                   "TEMP 0002000 001440 0250000", "NOTE 0000500 001920 00001 00060 01750 00100 C3",
                   "NOOF 0002250 001920 00001 00060"}));
}

TEST(ListingTiming, FormatTwoTracksEachUseTheirOwnTempoEvents) {
  TrackBuilder a, b;
  a.tempo(0, 250000).event(480, {0xF8}).end();
  // The second track first follows the table left by the first, until its own tempo event.
  b.event(480, {0xF8}).tempo(0, 1000000).event(480, {0xF8}).end();
  EXPECT_EQ(events_of(convert(smf(2, 480, {a, b}))),
            (std::vector<std::string>{"TEMP 0000000 000000 0250000", "F8XX 0000250 000480",
                                      "F8XX 0000250 000480", "TEMP 0000250 000480 1000000",
                                      "F8XX 0001250 000960"}));
}

TEST(ListingTiming, TimesAreSinglePrecisionRoundedHalvesToEven) {
  // 500000 / 480 / 1000 ms per tick in single precision times 228 is 237.49998, not 237.5.
  TrackBuilder t;
  t.event(228, {0xF8}).end();
  EXPECT_EQ(events_of(convert(smf(0, 480, {t})))[0], "F8XX 0000237 000228");
  // 1 tick at 2000 ticks per quarter note is 0.25 ms -> 0; 2 ticks 0.5 -> 0; 6 ticks 1.5 -> 2.
  TrackBuilder h;
  h.event(1, {0xF8}).event(1, {0xF8}).event(4, {0xF8}).end();
  EXPECT_EQ(events_of(convert(smf(0, 2000, {h}))),
            (std::vector<std::string>{"F8XX 0000000 000001", "F8XX 0000000 000002",
                                      "F8XX 0000002 000006"}));
}

TEST(ListingTiming, NineHundredNinetyEightConductorTempoChangesAllApply) {
  // 998 changes every 100 ticks, alternating 1 and 2 ms per tick (500 ticks per quarter):
  // 499 segments of 100 ms and 499 of 200 ms up to the note end at tick 99800.
  TrackBuilder conductor, melody;
  for (int i = 0; i < 998; ++i) conductor.tempo(i == 0 ? 0 : 100, i % 2 == 0 ? 500000 : 1000000);
  conductor.end();
  melody.note_on(50, 1, 60).note_off(99800 - 50, 1, 60).end();
  const auto r = convert(smf(1, 500, {conductor, melody}));
  ASSERT_EQ(r.end, ListingEnd::completed) << r.message_erreur_midi;
  const auto l = events_of(r);
  ASSERT_EQ(l.size(), 1000u);
  EXPECT_EQ(l[998], "NOTE 0000050 099800 00001 00060 49650 00100 C3");
  EXPECT_EQ(l[999], "NOOF 0149700 099800 00001 00060");
}

TEST(ListingTiming, TicksBeyondTheEndMarkerKeepTheTempoInForce) {
  // 9,999,999 marks the end of the tempo table; a piece may still run past that tick.
  TrackBuilder conductor, melody;
  conductor.tempo(0, 250000).end();  // half a millisecond per tick at 500 per quarter
  melody.note_on(9999990, 1, 60).note_off(20, 1, 60).event(10, {0xF8}).end();
  const auto r = convert(smf(1, 500, {conductor, melody}));
  ASSERT_EQ(r.end, ListingEnd::completed);
  const auto l = events_of(r);
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[1], "NOTE 4999995 100001 00001 00060 00010 00100 C3");
  EXPECT_EQ(l[3], "F8XX 5000010 100002");
}

// ------------------------------------------------------------------ notes

TEST(ListingNotes, OverlappingNoteOnsMakeOneNoteFromFirstOnToLastOff) {
  TrackBuilder t;
  t.note_on(0, 1, 60, 100).note_on(480, 1, 60, 50).note_off(480, 1, 60).note_off(480, 1, 60).end();
  EXPECT_EQ(events_of(convert(smf(0, 480, {t}))),
            (std::vector<std::string>{"NOTE 0000000 001440 00001 00060 01500 00100 C3",
                                      "NOOF 0001500 001440 00001 00060"}));
}

TEST(ListingNotes, RunningStatusAndNoteOnWithVelocityZero) {
  TrackBuilder t;
  // Note on 60, note on 64 under running status, then both ended by velocity-0 note ons.
  t.raw(bytes({0, 0x93, 60, 90, 0, 64, 91, 0x83, 0x60, 60, 0, 0, 64, 0})).end();
  EXPECT_EQ(
      events_of(convert(smf(0, 480, {t}))),
      (std::vector<std::string>{
          "NOTE 0000000 000480 00004 00060 00500 00090 C3", "NOOF 0000500 000480 00004 00060",
          "NOTE 0000000 000480 00004 00064 00500 00091 E3", "NOOF 0000500 000480 00004 00064"}));
}

TEST(ListingNotes, ChannelsAndKeysArePairedSeparately) {
  TrackBuilder t;
  t.note_on(0, 1, 60).note_on(0, 2, 60).note_off(480, 2, 60).note_off(480, 1, 60).end();
  const auto l = events_of(convert(smf(0, 480, {t})));
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[0], "NOTE 0000000 000480 00002 00060 00500 00100 C3");
  EXPECT_EQ(l[2], "NOTE 0000000 000960 00001 00060 01000 00100 C3");
}

TEST(ListingNotes, NotesSoundingAtTheEndOfTheirTrackAreDroppedAndTheKeyFreed) {
  TrackBuilder a, b;
  a.note_on(0, 1, 60).note_on(0, 1, 60).end(960);
  // In the next track the key is not sounding: its note off is an orphan, and the next note
  // starts afresh.
  b.note_off(240, 1, 60).note_on(240, 1, 60, 70).note_off(480, 1, 60).end();
  const auto r = convert(smf(1, 480, {a, b}));
  ASSERT_EQ(r.end, ListingEnd::completed);
  EXPECT_EQ(events_of(r), (std::vector<std::string>{
                              "NOTE 999999 000240 00001 00060 00251 00000 C3",
                              "NOOF 0000250 000240 00001 00060",
                              "NOTE 0000500 000960 00001 00060 00500 00070 C3",
                              "NOOF 0001000 000960 00001 00060",
                          }));
  EXPECT_EQ(lines_of(r)[4], "HEAD ##10000  t.mid 01000");
}

TEST(ListingNotes, NoteOffWithoutNoteOnIsMarkedOrphanAndKeepsTheLastVelocity) {
  TrackBuilder t;
  t.note_off(480, 1, 60).note_on(0, 1, 60, 77).note_off(480, 1, 60).note_off(480, 1, 60).end();
  const auto r = convert(smf(0, 480, {t}));
  const auto l = events_of(r);
  ASSERT_EQ(l.size(), 6u);
  EXPECT_EQ(l[0], "NOTE 999999 000480 00001 00060 00501 00000 C3");
  EXPECT_EQ(l[1], "NOOF 0000500 000480 00001 00060");
  EXPECT_EQ(l[2], "NOTE 0000500 000960 00001 00060 00500 00077 C3");
  EXPECT_EQ(l[4], "NOTE 999999 001440 00001 00060 01501 00077 C3");
  EXPECT_TRUE(r.listing.lines[0].orphan);
  EXPECT_FALSE(r.listing.lines[2].orphan);
  EXPECT_TRUE(r.listing.lines[4].orphan);
  // A second orphan after the first: the key stays cleared, the count does not go on down.
  TrackBuilder u;
  u.note_off(0, 1, 60).note_off(0, 1, 60).note_on(0, 1, 60).note_off(480, 1, 60).end();
  const auto m = events_of(convert(smf(0, 480, {u})));
  ASSERT_EQ(m.size(), 6u);
  EXPECT_EQ(m[4], "NOTE 0000000 000480 00001 00060 00500 00100 C3");
}

TEST(ListingNotes, OrphanFarBeforeTimeZeroKeepsTheFieldRule) {
  // At tick 100000 the tempo jumps from 0 to 16777215 us per quarter at 1 tick per quarter:
  // tick -1 lies 1677738240 ms before time 0, and the field drops its sign with its first
  // digit.
  TrackBuilder t;
  t.tempo(0, 0).tempo(100000, 16777215).note_off(0, 1, 60).end();
  const auto l = events_of(convert(smf(0, 1, {t})));
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[2], "NOTE 6677382 100000 00001 00060 67783 00000 C3");
}

// ------------------------------------------------------------------ other events

TEST(ListingEvents, SkippedEventsAddNoLine) {
  struct Case {
    const char* what;
    std::string event;
  };
  const Case cases[] = {
      {"unknown meta event with a two-byte length",
       bytes({0xFF, 0x7F, 0x81, 0x05}) + std::string(133, '\x2F')},
      {"unknown meta event of length 0", bytes({0xFF, 0x21, 0})},
      {"system exclusive of its stated length, F7 bytes inside",
       bytes({0xF0, 0x04, 0x7E, 0xF7, 0x01, 0xF7})},
      {"system exclusive of length 0", bytes({0xF0, 0x00})},
      {"escape event of its stated length", bytes({0xF7, 0x03, 0x90, 60, 100})},
      {"note start", bytes({0x90, 60, 100})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto r = convert(one_track(vlq(0) + c.event + vlq(960) + bytes({0xF8})));
    ASSERT_EQ(r.end, ListingEnd::completed) << r.message_erreur_midi;
    EXPECT_EQ(events_of(r), std::vector<std::string>{"F8XX 0001000 000960"});
  }
}

TEST(ListingEvents, HeaderBytesBeyondSixAreSkippedAndEveryTrackIsRead) {
  // A format-0 file that declares two tracks has both read, one after the other.
  TrackBuilder a, b;
  a.event(960, {0xF8}).end();
  b.event(0, {0xFA}).end();
  const std::string file = smf_header(0, 2, 480, 10) + "XXXX" + a.chunk() + b.chunk();
  EXPECT_EQ(events_of(convert(file)),
            (std::vector<std::string>{"F8XX 0001000 000960", "FAXX 0000000 000000"}));
}

TEST(ListingEvents, EachTrackIsReadWithinItsChunkLength) {
  // The first chunk says more than the file holds: what it gives is kept, then error 1.
  const std::string track1 = bytes({0, 0xF8, 0, 0xFF, 0x2F, 0});
  const std::string track2 = bytes({0, 0xFA, 0, 0xFF, 0x2F, 0});
  const std::string file =
      smf_header(1, 2, 480) + "MTrk" + be32(1000) + track1 + "MTrk" + be32(6) + track2;
  const auto r = convert(file);
  EXPECT_EQ(r.end, ListingEnd::format_error);
  EXPECT_EQ(r.code_erreur_midi, 1);
  EXPECT_EQ(lines_of(r), (std::vector<std::string>{"F8XX 0000000 000000"}));
}

TEST(ListingEvents, NoTrackGivesOnlyTheClosingLines) {
  EXPECT_EQ(lines_of(convert(smf_header(1, 0, 480))),
            (std::vector<std::string>{"HEAD ##10000  t.mid 00000", "ENDF 9999999"}));
}

// ------------------------------------------------------------------ format errors

struct ErrorCase {
  const char* what;
  std::string file;
  int code;
  std::string message;
  std::vector<std::string> lines;  // the lines kept
};

std::string tempo_file(int changes) {
  std::string data;
  for (int i = 0; i < changes; ++i) data += bytes({0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20});
  return one_track(data);
}

std::vector<ErrorCase> error_cases() {
  const std::string h = smf_header(0, 1, 480);
  const char* eof = "*** Midifile corrupt, unexpected EOF.";
  const char* delta = "Midifile corrupt, deltatime invalid format.";
  const char* running = "Midifile corrupt, running status error. ";
  const char* mthd = "Midifile corrupt: header MThd not in file.";
  const std::string conc = "CONC 0000000 000000 00001 00007 00100";
  return {
      {"header cut short", "MThd" + be32(6) + bytes({0, 0}), 1, located(eof, "0"), {}},
      {"track cut inside an event",
       h + chunk(bytes({0, 0xB0, 7, 100, 0, 0xB0, 7})),
       1,
       located(eof, "1B"),
       {conc}},
      {"text running past the end of the file",
       h + chunk(bytes({0, 0xB0, 7, 100, 0, 0xFF, 1, 0x10}) + "abc"),
       1,
       located(eof, "1B"),
       {conc}},
      {"unknown meta event with a huge length",
       h + chunk(bytes({0, 0xB0, 7, 100, 0, 0xFF, 0x7F, 0xFF, 0xFF, 1, 2})),
       1,
       located(eof, "1B"),
       {conc}},
      {"system exclusive without F7",
       h + chunk(bytes({0, 0xF0, 5, 1, 2, 3})),
       1,
       located(eof, "17"),
       {}},
      {"a declared track missing",
       smf_header(1, 2, 480) + chunk(bytes({0, 0xFF, 0x2F, 0})),
       1,
       located(eof, "17"),
       {}},
      {"delta time of more than four bytes",
       h + chunk(bytes({0, 0xB0, 7, 100, 0x81, 0x81, 0x81, 0x81, 0})),
       2,
       located(delta, "17"),
       {conc}},
      {"running status at the start", h + chunk(bytes({0, 60, 64})), 3, located(running, "17"), {}},
      {"running status after a meta event",
       h + chunk(bytes({0, 0xB0, 7, 100, 0, 0xFF, 1, 0, 0, 60, 64})),
       3,
       located(running, "1F"),
       {conc, "TEXT 0000000 000000 "}},
      {"running status after system exclusive",
       h + chunk(bytes({0, 0xF0, 1, 0xF7, 0, 60, 64})),
       3,
       located(running, "1B"),
       {}},
      {"running status after a one-byte system message",
       h + chunk(bytes({0, 0xF8, 0, 60, 64})),
       3,
       located(running, "19"),
       {"F8XX 0000000 000000"}},
      {"running status at the start of the next track",
       smf_header(1, 2, 480) + chunk(bytes({0, 0xB0, 7, 100, 0, 0xFF, 0x2F, 0})) +
           chunk(bytes({0, 60, 64})),
       3,
       located(running, "27"),
       {conc}},
      {"empty file", "", 5, mthd, {}},
      {"three bytes", "MTh", 5, mthd, {}},
      {"another chunk first", "RIFF" + be32(6) + bytes({0, 0, 0, 1, 1, 0xE0}), 5, mthd, {}},
      {"lower-case header", "mthd" + be32(6) + bytes({0, 0, 0, 1, 1, 0xE0}), 5, mthd, {}},
      {"only a chunk of another kind where the track should be",
       h + "MTrX" + be32(4) + bytes({0, 0xFF, 0x2F, 0}),
       1,
       located(eof, "0"),
       {}},
  };
}

TEST(ListingErrors, FormatErrorsStopWithTheirCodeMessageAndLocation) {
  for (const ErrorCase& c : error_cases()) {
    SCOPED_TRACE(c.what);
    const auto r = convert(c.file);
    EXPECT_EQ(r.end, ListingEnd::format_error);
    EXPECT_EQ(r.code_erreur_midi, c.code);
    EXPECT_EQ(r.message_erreur_midi, c.message);
    // No HEAD and no ENDF: the lines converted before the error stay.
    EXPECT_EQ(lines_of(r), c.lines);
  }
}

TEST(ListingErrors, TheNineHundredNinetyNinthTempoEventStops) {
  const auto ok = convert(tempo_file(998));
  ASSERT_EQ(ok.end, ListingEnd::completed);
  EXPECT_EQ(ok.listing.size(), 998u + 2);

  const auto r = convert(tempo_file(999));
  EXPECT_EQ(r.end, ListingEnd::format_error);
  EXPECT_EQ(r.code_erreur_midi, 7);
  EXPECT_EQ(r.message_erreur_midi, "More than 999 tempochanges. cannot continue processinf.");
  // The TEMP line of the 999th event is written before the table overflows.
  ASSERT_EQ(r.listing.size(), 999u);
  EXPECT_EQ(r.listing.render(998), "TEMP 0000000 000000 0500000");
}

TEST(ListingErrors, TempoEventsOfLaterFormatOneTracksDoNotCount) {
  std::string data;
  for (int i = 0; i < 1200; ++i) data += bytes({0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20});
  const std::string file = smf_header(1, 2, 480) + chunk(bytes({0, 0xFF, 0x2F, 0})) +
                           chunk(data + bytes({0, 0xFF, 0x2F, 0}));
  const auto r = convert(file);
  EXPECT_EQ(r.end, ListingEnd::completed);
  EXPECT_EQ(r.listing.size(), 2u);
}

TEST(ListingErrors, LocationIsTheLastEventWhoseDeltaTimeWasRead) {
  // 300 events of 2 bytes; the file ends inside the delta time after the last one.
  std::string data;
  for (int i = 0; i < 300; ++i) data += bytes({0, 0xF8});
  data += bytes({0x81});
  const auto r = convert(smf_header(0, 1, 480) + chunk(data));
  EXPECT_EQ(r.code_erreur_midi, 1);
  // The last event's status byte: 22 + 299 * 2 + 1 = 621 = 0x26D.
  EXPECT_EQ(r.message_erreur_midi, located("*** Midifile corrupt, unexpected EOF.", "26D"));
  EXPECT_EQ(r.listing.size(), 300u);
}

TEST(ListingErrors, ANewConversionStartsAfresh) {
  EXPECT_EQ(convert("MTh").code_erreur_midi, 5);
  TrackBuilder t;
  t.note_on(960, 1, 60).note_off(480, 1, 60).end();
  const auto r = convert(smf(0, 480, {t}));
  EXPECT_EQ(r.code_erreur_midi, 0);
  EXPECT_EQ(r.message_erreur_midi, "");
  EXPECT_EQ(r.listing.size(), 4u);
}

// ------------------------------------------------------------------ hand-made files

// Files that are valid but unusual, or cut short: how each is read. The note is C3 from tick
// 960 to 1440 (1000 to 1500 ms) unless the case says otherwise.
TEST(ListingFiles, LengthsChunksEscapesEncodingsAndTruncations) {
  const std::string h = smf_header(0, 1, 480);
  const std::string h2 = smf_header(1, 2, 480);
  const std::string note = bytes({0x87, 0x40, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0});
  const std::string eot = bytes({0, 0xFF, 0x2F, 0});
  const std::string note_line = "NOTE 0001000 001440 00001 00060 00500 00100 C3";
  const std::string noof_line = "NOOF 0001500 001440 00001 00060";
  const std::string long_text(16384, 'a');
  const std::string eof = "*** Midifile corrupt, unexpected EOF.";
  struct Case {
    const char* what;
    std::string file;
    int code;  // 0: completed
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a text of 16384 bytes has a three-byte length",
       h + chunk(bytes({0, 0xFF, 1, 0x81, 0x80, 0x00}) + long_text + note + eot),
       0,
       {"TEXT 0000000 000000 " + long_text, note_line, noof_line}},
      {"a meta of an unknown type with a four-byte length",
       h + chunk(bytes({0, 0xFF, 0x7F, 0x80, 0x80, 0x80, 0x02, 1, 2}) + note + eot),
       0,
       {note_line, noof_line}},
      {"a length of five bytes",
       h + chunk(bytes({0, 0xFF, 1, 0x81, 0x81, 0x81, 0x81, 0x01})),
       2,
       {}},
      {"a system exclusive with a two-byte length",
       h + chunk(bytes({0, 0xF0, 0x81, 0x00}) + std::string(127, '\x01') + "\xF7" + note + eot),
       0,
       {note_line, noof_line}},
      {"an escape event before the first note keeps the note",
       h + chunk(bytes({0, 0xF7, 2, 0xF3, 0x01}) + note + eot),
       0,
       {note_line, noof_line}},
      {"a tempo of length 0 is skipped",
       h + chunk(bytes({0, 0xFF, 0x51, 0}) + note + eot),
       0,
       {note_line, noof_line}},
      {"a tempo of length 4 takes its first three bytes",
       h + chunk(bytes({0, 0xFF, 0x51, 4, 0x0F, 0x42, 0x40, 0x55}) + note + eot),
       0,
       {"TEMP 0000000 000000 1000000", "NOTE 0002000 001440 00001 00060 01000 00100 C3",
        "NOOF 0003000 001440 00001 00060"}},
      {"short fixed-size metas are skipped",
       h + chunk(bytes({0, 0xFF, 0,    1, 7, 0, 0xFF, 0x54, 4,    1,    2, 3, 4,
                        0, 0xFF, 0x58, 3, 4, 2, 24,   0,    0xFF, 0x59, 1, 0}) +
                 note + eot),
       0,
       {note_line, noof_line}},
      {"longer fixed-size metas skip their extra bytes",
       h + chunk(bytes({0, 0xFF, 0x58, 5, 3, 3, 24, 8, 9, 0, 0xFF, 0x59, 3, 2, 1, 0x44}) + note +
                 eot),
       0,
       {"TIME 0000000 000000 00003 00008 00024 00008", "KEYS 0000000 000000 00002 00001", note_line,
        noof_line}},
      {"a chunk of another kind before the track is skipped",
       h + "XFIH" + be32(3) + "abc" + chunk(note + eot),
       0,
       {note_line, noof_line}},
      {"a chunk of another kind between tracks is skipped",
       h2 + chunk(bytes({0, 0xF8}) + eot) + "Junk" + be32(2) + "MT" + chunk(note + eot),
       0,
       {"F8XX 0000000 000000", note_line, noof_line}},
      {"a track without end of track ends at its chunk's end",
       h2 + chunk(bytes({0, 0xF8})) + chunk(note + eot),
       0,
       {"F8XX 0000000 000000", note_line, noof_line}},
      {"bytes after the end of track are skipped",
       h2 + chunk(bytes({0, 0xF8}) + eot + bytes({0, 0x90, 61, 1})) + chunk(note + eot),
       0,
       {"F8XX 0000000 000000", note_line, noof_line}},
      {"an event cut by the end of the file",
       h + chunk(bytes({0, 0xF8, 0, 0xB0, 7})),
       1,
       {"F8XX 0000000 000000"}},
      {"an end of track one byte past a chunk length one short",
       h2 + "MTrk" + be32(5) + bytes({0, 0xF8}) + eot + chunk(note + eot),
       0,
       {"F8XX 0000000 000000", note_line, noof_line}},
      {"a chunk length past the end of the file keeps what the file holds",
       h + "MTrk" + be32(4000) + note + eot,
       1,
       {note_line, noof_line}},
      {"a system exclusive longer than the file",
       h + chunk(bytes({0, 0xF8, 0, 0xF0, 0x10, 1, 2})) + chunk(eot),
       1,
       {"F8XX 0000000 000000"}},
      {"a text longer than the file", h + chunk(bytes({0, 0xFF, 1, 5, 'a', 'b'})), 1, {}},
      {"UTF-8 text is kept",
       h + chunk(bytes({0, 0xFF, 2, 3, 0xC2, 0xA9, '1'}) + eot),
       0,
       {"AUTH 0000000 000000 \xC2\xA9"
        "1"}},
      {"a Latin-1 copyright sign becomes UTF-8",
       h + chunk(bytes({0, 0xFF, 2, 6, 0xA9, ' ', '1', '9', '9', '9'}) + eot),
       0,
       {"AUTH 0000000 000000 \xC2\xA9 1999"}},
      {"Windows-1252 quotes, euro and an unassigned byte",
       h + chunk(bytes({0, 0xFF, 3, 5, 0x93, 'a', 0x94, 0x80, 0x81}) + eot),
       0,
       {"TNAM 0000000 000000 \xE2\x80\x9C"
        "a\xE2\x80\x9D\xE2\x82\xAC\xC2\x81"}},
      {"a lone UTF-8 lead byte makes the text Windows-1252",
       h + chunk(bytes({0, 0xFF, 5, 3, 0xC3, 0xA9, 0xC3}) + eot),
       0,
       {"LYRC 0000000 000000 \xC3\x83\xC2\xA9\xC3\x83"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto r = convert(c.file);
    EXPECT_EQ(r.code_erreur_midi, c.code) << r.message_erreur_midi;
    EXPECT_EQ(r.end, c.code == 0 ? ListingEnd::completed : ListingEnd::format_error);
    EXPECT_EQ(events_of(r), c.lines);
    EXPECT_FALSE(r.sequences_played_together);
  }
}

TEST(ListingFiles, FormatTwoIsReadAndSaysItsSequencesArePlayedTogether) {
  TrackBuilder a, b;
  a.note_on(960, 1, 60).note_off(480, 1, 60).end();
  b.note_on(0, 2, 62).note_off(480, 2, 62).end();
  const auto two = convert(smf(2, 480, {a, b}));
  ASSERT_EQ(two.end, ListingEnd::completed);
  EXPECT_TRUE(two.sequences_played_together);
  EXPECT_EQ(two.listing.size(), 6u);
  EXPECT_FALSE(convert(smf(1, 480, {a, b})).sequences_played_together);
}

// ------------------------------------------------------------------ files that cannot be read

TEST(ListingAbnormal, FilesThatCannotBeConvertedEndWithoutClosingLines) {
  const std::string track = chunk(bytes({0, 0xB0, 7, 100, 0, 0xFF, 0x2F, 0}));
  const std::string conc = "CONC 0000000 000000 00001 00007 00100";
  std::string far;  // nine delta times of 0x0FFFFFFF ticks before unknown meta events
  for (int i = 0; i < 9; ++i) far += bytes({0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x7F, 0});
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"time-code division", smf_header(0, 1, 0xE728) + track, {}},
      {"division 0", smf_header(0, 1, 0) + track, {}},
      {"format 32768", smf_header(0x8000, 1, 480) + track, {}},
      {"format 3", smf_header(3, 1, 480) + track, {}},
      {"format 0x7FFF", smf_header(0x7FFF, 1, 480) + track, {}},
      {"32768 tracks", smf_header(1, 0x8000, 480) + track, {}},
      {"header length 32760", smf_header(0, 1, 480, 32760) + std::string(32754, '\0') + track, {}},
      {"header length 2^31", smf_header(0, 1, 480, 0x80000000u) + track, {}},
      {"chunk length 2^31", smf_header(0, 1, 480) + "MTrk" + be32(0x80000000u), {}},
      {"key 128 in a note on",
       smf_header(0, 1, 480) + chunk(bytes({0, 0xB0, 7, 100, 0, 0x90, 128, 1})),
       {conc}},
      {"key 200 in a note on of velocity 0",
       smf_header(0, 1, 480) + chunk(bytes({0, 0xB0, 7, 100, 0, 0x90, 200, 0})),
       {conc}},
      {"key 255 in a note off",
       smf_header(0, 1, 480) + chunk(bytes({0, 0xB0, 7, 100, 0, 0x80, 255, 0})),
       {conc}},
      {"tick beyond 32 bits", smf_header(0, 1, 480) + chunk(far), {}},
      {"time beyond 32 bits",
       smf_header(0, 1, 1) + chunk(bytes({0, 0xFF, 0x51, 3, 0xFF, 0xFF, 0xFF, 0x8F, 0xFF, 0x7F,
                                          0xF8, 0, 0xFF, 0x2F, 0})),
       {"TEMP 0000000 000000 6777215"}},
      {"orphan note lasting beyond 32 bits",
       smf_header(0, 1, 1) +
           chunk(bytes({0,    0xFF, 0x51, 3,    0,    0,    0,    0x86, 0x8D, 0x20, 0xFF,
                        0x51, 3,    0xFF, 0xFF, 0xFF, 0x86, 0x8D, 0x20, 0x80, 60,   0})),
       {"TEMP 0000000 000000 0000000", "TEMP 0000000 100000 6777215"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto r = convert(c.file);
    EXPECT_EQ(r.end, ListingEnd::abnormal);
    EXPECT_EQ(r.code_erreur_midi, 0);
    EXPECT_EQ(r.message_erreur_midi, "");
    EXPECT_NE(r.abnormal_message, "");
    EXPECT_EQ(lines_of(r), c.lines);
  }
  // Just below the limits the file converts.
  EXPECT_EQ(convert(smf_header(0, 1, 480, 32759) + std::string(32753, '\0') + track).end,
            ListingEnd::completed);
  EXPECT_EQ(convert(smf_header(2, 1, 0x7FFF) + track).end, ListingEnd::completed);
}

// ------------------------------------------------------------------ the packed lines

TEST(ListingLines, EveryLineReadsBackAsItWasAdded) {
  auto line = [](Code code, std::int32_t time, std::int32_t tick,
                 std::initializer_list<std::int32_t> f) {
    ListingLine l;
    l.code = code;
    l.time_ms = time;
    l.tick = tick;
    int k = 0;
    for (std::int32_t v : f) l.f[k++] = v;
    return l;
  };
  std::vector<ListingLine> lines = {
      ListingLine{},
      line(Code::NOTE, 1000, 1440, {16, 127, 150000, 100}),
      line(Code::NOTE, -1, 0, {1, 60, -2147483647, 0}),
      line(Code::NOTE, 5, 6, {1, 60, 500, 100, 7}),  // a fifth field
      line(Code::KAFT, 0, 0, {1, 300, 5}),           // a key beyond a byte
      line(Code::PBEN, 2147483647, 2147483647, {2, 16383}),
      line(Code::TEMP, 0, 0, {16777215}),
      line(Code::TIME, 1, 2, {6, 32, 24, -8}),
      line(Code::SMPT, 1, 2, {1, 2, 3, 255, 255}),
      line(Code::SMPT, 1, 2, {1, 2, 3, 256, 0}),
      line(Code::ENDF, 0, 0, {1}),
      line(static_cast<Code>(77), 3, 4, {5}),
  };
  ListingLine orphan = line(Code::NOTE, -1, 480, {1, 60, 501, 0});
  orphan.orphan = true;
  ListingLine odd_orphan = line(Code::NOOF, 1, 2, {1, 60});
  odd_orphan.orphan = true;
  ListingLine system = line(Code::SYSTEM, 1, 2, {});
  system.status = 0xFE;
  ListingLine odd_status = line(Code::CONC, 1, 2, {1, 2, 3});
  odd_status.status = 0xB0;
  ListingLine text = line(Code::TEXT, 1, 2, {});
  text.text = 3;
  ListingLine odd_text = line(Code::CONC, 1, 2, {1, 2, 3});
  odd_text.text = 1;
  for (const auto& l : {orphan, odd_orphan, system, odd_status, text, odd_text}) lines.push_back(l);

  ListingLines store;
  for (const auto& l : lines) store.push_back(l);
  ASSERT_EQ(store.size(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(store[i], lines[i]) << i;
  std::size_t i = 0;
  for (const ListingLine& l : store) EXPECT_EQ(l, lines[i++]);
  EXPECT_EQ(store.back(), lines.back());
}

// ------------------------------------------------------------------ real files and progress

TEST(ListingFiles, EveryRealFileConvertsCompletely) {
  const auto files = test::shared_midi_files();
  ASSERT_FALSE(files.empty());
  for (const auto& p : files) {
    SCOPED_TRACE(p.string());
    const auto r = desassemble_midi(test::read_file(p), p.string());
    ASSERT_EQ(r.end, ListingEnd::completed) << r.message_erreur_midi << r.abnormal_message;
    EXPECT_EQ(r.listing.render(r.listing.size() - 2).rfind("HEAD ##10000  " + p.string() + " ", 0),
              0u);
    std::size_t notes = 0;
    for (const auto& l : r.listing.lines) notes += l.code == Code::NOTE && !l.orphan;
    EXPECT_GT(notes, 10u);
  }
}

TEST(ListingFiles, ProgressFollowsTheBytesReadUpToTheWholeFile) {
  std::string data;
  for (int i = 0; i < 5000; ++i) data += bytes({0, 0xF8});
  const std::string file = one_track(data);
  std::vector<std::size_t> seen;
  desassemble_midi(file, kPath, [&](std::size_t done, std::size_t total) {
    EXPECT_EQ(total, file.size());
    seen.push_back(done);
  });
  ASSERT_GE(seen.size(), 5u);
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i], seen[i - 1]);
  EXPECT_EQ(seen.back(), file.size());
}

}  // namespace
}  // namespace solmir::midi
