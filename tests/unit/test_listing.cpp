// The event listing of MIDI files.
#include <gtest/gtest.h>

#include "midi/listing.h"
#include "tests/support/midi_builder.h"

namespace solmir::midi {
namespace {

using test::smf;
using test::TrackBuilder;

std::vector<std::string> lines_of(const ListingResult& r) {
  std::vector<std::string> v;
  for (std::size_t i = 0; i < r.listing.size(); ++i) v.push_back(r.listing.render(i));
  return v;
}

TEST(Listing, ExampleNoteAt480TicksPerQuarter) {
  TrackBuilder t;
  t.note_on(960, 1, 60, 100).note_off(480, 1, 60).end();
  const auto r = desassemble_midi(smf(0, 480, {t}), "/tmp/x.mid");
  ASSERT_EQ(r.end, ListingEnd::completed);
  const auto l = lines_of(r);
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[0], "NOTE 0001000 001440 00001 00060 00500 00100 C3");
  EXPECT_EQ(l[1], "NOOF 0001500 001440 00001 00060");
  EXPECT_EQ(l[2], "HEAD ##10000  /tmp/x.mid 01500");
  EXPECT_EQ(l[3], "ENDF 9999999");
}

}  // namespace
}  // namespace solmir::midi
