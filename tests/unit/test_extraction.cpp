// Note extraction: from the event listing to the note event list in ticks.
#include <gtest/gtest.h>

#include "midi/listing.h"
#include "score/extraction.h"
#include "tests/support/midi_builder.h"

namespace solmir::score {
namespace {

using test::smf;
using test::TrackBuilder;

midi::Listing listing_of(const std::string& bytes) {
  auto r = midi::desassemble_midi(bytes, "x.mid");
  EXPECT_EQ(r.end, midi::ListingEnd::completed);
  return r.listing;
}

std::vector<std::string> rendered(const NoteList& l) {
  std::vector<std::string> v;
  for (const auto& e : l) v.push_back(render(e));
  return v;
}

// A NOTE line built by hand: start ms, duration ms, channel, key.
midi::Listing one_note(int start_ms, int duration_ms, int channel = 1, int key = 60) {
  midi::Listing l;
  midi::ListingLine n;
  n.code = midi::Code::NOTE;
  n.time_ms = start_ms;
  n.f[0] = channel;
  n.f[1] = key;
  n.f[2] = duration_ms;
  n.f[3] = 100;
  l.lines.push_back(n);
  midi::ListingLine off;
  off.code = midi::Code::NOOF;
  off.time_ms = start_ms + duration_ms;
  off.f[0] = channel;
  off.f[1] = key;
  l.lines.push_back(off);
  return l;
}

TEST(Extraction, MillisecondsBecomeTicksRoundedHalfUpWithWholeLengths) {
  struct Case {
    int start_ms, duration_ms;
    const char* on;
    const char* off;
    std::int64_t length;
  } cases[] = {
      {502, 250, "0000120 00060 NOTE ", "0000180 00060 NOOF ", 60},
      {504, 249, "0000121 00060 NOTE ", "0000180 00060 NOOF ", 59},
      // Beyond the 5-digit duration field of the listing: the true length counts.
      {0, 150000, "0000000 00060 NOTE ", "0036000 00060 NOOF ", 36000},
  };
  for (const auto& c : cases) {
    const auto r = extract_notes(one_note(c.start_ms, c.duration_ms), {}, 60, 0.25);
    ASSERT_EQ(r.Liste1.size(), 2u) << c.start_ms;
    EXPECT_EQ(render(r.Liste1[0]), c.on);
    EXPECT_EQ(render(r.Liste1[1]), c.off);
    EXPECT_EQ(r.duree_action_totale, c.length);
    EXPECT_EQ(r.pairs, 1);
  }
}

TEST(Extraction, ANoteShorterThanATickIsCountedButMakesNoLines) {
  const auto r = extract_notes(one_note(1000, 3), {}, 60, 0.25);
  EXPECT_EQ(r.note_on, 1);
  EXPECT_EQ(r.note_off, 1);
  EXPECT_EQ(r.pairs, 0);
  EXPECT_EQ(r.duree_action_totale, 0);
  EXPECT_TRUE(r.Liste1.empty());
}

TEST(Extraction, ChannelSelectionKeepsTheTimeOriginAndCountsEveryNoteOff) {
  TrackBuilder t;
  t.note_on(480, 1, 60).note_off(480, 1, 60).note_on(0, 10, 36).note_off(240, 10, 36).end();
  const auto listing = listing_of(smf(0, 480, {t}));

  const auto all = extract_notes(listing, {}, 60, 0.25);
  EXPECT_EQ(rendered(all.Liste1),
            (std::vector<std::string>{"0000120 00060 NOTE ", "0000240 00036 NOTE ",
                                      "0000240 00060 NOOF ", "0000300 00036 NOOF "}));

  std::array<bool, 16> only10{};
  only10[9] = true;
  const auto drums = extract_notes(listing, only10, 60, 0.25);
  EXPECT_EQ(rendered(drums.Liste1),
            (std::vector<std::string>{"0000000 00127 NOTE", "0000060 00127 NOOF",
                                      "0000240 00036 NOTE ", "0000300 00036 NOOF "}));
  EXPECT_EQ(drums.note_on, 1);
  EXPECT_EQ(drums.note_off, 2);  // the note-off of channel 1 is counted too
}

TEST(Extraction, ANoteEndWithoutItsStartNeverBecomesANote) {
  // The stray note-off comes after a tempo change, when its start no longer reads 999999.
  TrackBuilder t;
  t.tempo(0, 400000)
      .note_on(480, 1, 60)
      .note_off(480, 1, 60)
      .tempo(0, 300000)
      .note_off(960, 1, 64)
      .end();
  const auto listing = listing_of(smf(0, 480, {t}));
  const auto r = extract_notes(listing, {}, 60, 0.25);
  EXPECT_EQ(r.note_on, 1);
  EXPECT_EQ(r.pairs, 1);
  ASSERT_EQ(r.Liste1.size(), 2u);
  for (const auto& e : r.Liste1) EXPECT_EQ(e.note, 60);
}

}  // namespace
}  // namespace solmir::score
