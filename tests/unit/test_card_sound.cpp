// The sound of a card image: the note events the board makes while it plays the records.
#include <gtest/gtest.h>

#include <ostream>

#include "score/card_image.h"
#include "score/card_sound.h"
#include "score/record_reading.h"
#include "score/scales.h"
#include "tests/support/note_lists.h"

namespace solmir::score {

void PrintTo(const SoundEvent& e, std::ostream* os) {
  *os << "{" << e.tick << ", ch " << e.channel << ", " << e.note << (e.on ? " on}" : " off}");
}

namespace {

using test::list_of;

NoteTable base_table() {
  NoteTable t{};
  for (std::size_t k = 0; k < kBaseScale.size(); ++k) t[k] = kBaseScale[k];
  return t;
}

NoteTable percussion_table() {
  NoteTable t{};
  for (std::size_t k = 0; k < kPercussionLow.size(); ++k) t[k] = kPercussionLow[k];
  for (std::size_t k = 0; k < kPercussionHigh.size(); ++k) t[16 + k] = kPercussionHigh[k];
  return t;
}

constexpr double kTick = 1.0 / 240.0;

TEST(CardSound, TheRecordsOfANoteListSoundItsNotesAfterTheInitialDelay) {
  // Built by the card image builder, then heard: the initial delay, the note list's times.
  struct Case {
    const char* what;
    RecordLayout layout;
    bool marks;
    std::int64_t initial;
    std::int64_t first;  // where the first note sounds
  };
  const Case cases[] = {
      {"27/29", RecordLayout::notes29, false, 400, 400},
      {"27/29 with the start pattern (401 ticks)", RecordLayout::notes29, true, 400, 401},
      {"32, delay below 128", RecordLayout::notes32, false, 100, 100},
      {"32, delay in units of 16 (200 -> 12 x 16)", RecordLayout::notes32, false, 200, 192},
      {"42", RecordLayout::notes42, false, 400, 400},
      {"27/29, 5000 ticks of silence through fillers", RecordLayout::notes29, false, 5000, 5000},
  };
  const NoteList l = list_of({{0, 60, true}, {60, 60, false}, {60, 62, true}, {120, 62, false}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NoteTable t = base_table();
    if (c.layout == RecordLayout::notes42) {
      t = {};
      for (std::size_t k = 0; k < kBaseScale.size(); ++k) t[16 + k] = kBaseScale[k];
    }
    const Records r = build_records(l, t, c.layout, c.initial, c.marks);
    const CardSound s = card_sound(r.Liste_tran, c.layout, t, false, kTick);
    const std::int64_t f = c.first;
    // Within a record the highest output comes first (62 drives output 6, 60 output 5).
    const std::vector<SoundEvent> expected = {
        {f, kMelodyChannel, 60, true},
        {f + 60, kMelodyChannel, 62, true},
        {f + 60, kMelodyChannel, 60, false},
        {f + 120, kMelodyChannel, 62, false},
    };
    EXPECT_EQ(s.events, expected);
    EXPECT_EQ(s.end_tick, f + 120);
    EXPECT_DOUBLE_EQ(s.duration(), static_cast<double>(f + 120) / 240.0);
  }
}

TEST(CardSound, OutputsHoldTheirNoteThroughFillersAndShareANote) {
  NoteTable t = base_table();
  t[6] = 60;  // outputs 5 and 6 both drive note 60
  const std::string off(29, '0');
  auto rec = [](int delay, std::initializer_list<int> on) {
    std::string s = encode_delay(delay, RecordLayout::notes29) + std::string(29, '0');
    for (int k : on) s[static_cast<std::size_t>(11 + 28 - k)] = '1';
    return s;
  };
  const std::vector<std::string> records = {
      rec(10, {5}),    // 60 starts
      rec(2047, {5}),  // a filler: still sounding
      rec(5, {5, 6}),  // the second output on the same note: no new start
      rec(5, {6}),     // one of them off: 60 still sounds
      "not a record",  // skipped, adds nothing
      rec(20, {}),     // both off
  };
  const CardSound s = card_sound(records, RecordLayout::notes29, t, false, kTick);
  const std::vector<SoundEvent> expected = {{10, kMelodyChannel, 60, true},
                                            {10 + 2047 + 5 + 5 + 20, kMelodyChannel, 60, false}};
  EXPECT_EQ(s.events, expected);
  EXPECT_EQ(s.skipped_lines, 1u);
}

TEST(CardSound, PercussionOutputsPlayTheirDrumsOnTheDrumChannel) {
  const NoteTable t = percussion_table();
  const Records r =
      build_records(list_of({{0, 35, true}, {10, 35, false}, {10, 68, true}, {20, 68, false}}), t,
                    RecordLayout::notes42, 40, false);
  const CardSound s = card_sound(r.Liste_tran, RecordLayout::notes42, t, true, kTick);
  // Drum 35 is output 16, drum 68 output 0: the higher output first.
  const std::vector<SoundEvent> expected = {{40, kDrumChannel, 35, true},
                                            {50, kDrumChannel, 35, false},
                                            {50, kDrumChannel, 68, true},
                                            {60, kDrumChannel, 68, false}};
  EXPECT_EQ(s.events, expected);
}

TEST(CardSound, ANoteLeftOnByTheLastRecordRingsOnAndEnds) {
  const NoteTable t = base_table();
  const std::string last =
      encode_delay(400, RecordLayout::notes29) + std::string(23, '0') + "1" + std::string(5, '0');
  const CardSound s = card_sound({last}, RecordLayout::notes29, t, false, kTick);
  ASSERT_EQ(s.events.size(), 2u);
  EXPECT_EQ(s.events[0], (SoundEvent{400, kMelodyChannel, 60, true}));
  EXPECT_EQ(s.events[1], (SoundEvent{400 + 240, kMelodyChannel, 60, false}));
  EXPECT_EQ(s.end_tick, 640);
}

TEST(CardSound, TheTickIsTheStepOverTheSpeed) {
  EXPECT_DOUBLE_EQ(*tick_seconds(60, 0.25), 1.0 / 240.0);
  EXPECT_DOUBLE_EQ(*tick_seconds(30, 0.5), 1.0 / 60.0);
  for (auto [v, p] : {std::pair{0.0, 0.25}, {60.0, 0.0}, {-60.0, 0.25}, {60.0, -1.0}})
    EXPECT_FALSE(tick_seconds(v, p)) << v << " " << p;
}

TEST(RecordReading, ChangesComeHighestOutputFirstAtTheSumOfTheDelays) {
  std::vector<std::tuple<std::size_t, std::int64_t, int, bool>> seen;
  const std::string a = encode_delay(3, RecordLayout::notes29) + "1" + std::string(27, '0') + "1";
  const std::string b = encode_delay(4, RecordLayout::notes29) + std::string(29, '0');
  const RecordWalk w = walk_records(
      {a, "0101", b}, RecordLayout::notes29,
      [&](std::size_t i, std::int64_t t, int k, bool on) { seen.emplace_back(i, t, k, on); });
  const std::vector<std::tuple<std::size_t, std::int64_t, int, bool>> expected = {
      {0, 3, 28, true}, {0, 3, 0, true}, {2, 7, 28, false}, {2, 7, 0, false}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(w.end_tick, 7);
  EXPECT_EQ(w.skipped_lines, 1u);
}

}  // namespace
}  // namespace solmir::score
