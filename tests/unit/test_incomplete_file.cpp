// What is said of a MIDI file that could not be read whole.
#include <gtest/gtest.h>

#include <string>

#include "midi/listing.h"

namespace solmir::midi {
namespace {

std::string bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s += static_cast<char>(v);
  return s;
}

const std::string kHeader = bytes({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0});

TEST(IncompleteFile, TruncatedTrackSaysWhereAndWhatIsKept) {
  // One note, then the file ends inside the next event.
  const std::string f =
      kHeader + bytes({'M', 'T', 'r', 'k', 0, 0, 0, 20, 0, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x10});
  const ListingResult r = desassemble_midi(f, "x.mid");
  ASSERT_TRUE(r.incomplete());
  EXPECT_FALSE(not_midi(r));
  EXPECT_EQ(incomplete_file_message(r, 1),
            "Fichier MIDI incomplet ou corrompu : fin de fichier inattendue (octet 0x1F) ; 1 note "
            "lue avant l'erreur est gardée");
  EXPECT_NE(incomplete_file_message(r, 2).find("2 notes lues avant l'erreur sont gardées"),
            std::string::npos);
}

TEST(IncompleteFile, NotMidiAtAll) {
  for (const std::string& f : {std::string(), std::string("RIFF....")}) {
    const ListingResult r = desassemble_midi(f, "x.mid");
    EXPECT_TRUE(r.incomplete());
    EXPECT_TRUE(not_midi(r));
  }
}

TEST(IncompleteFile, CompleteFileIsNot) {
  const std::string f = kHeader + bytes({'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0});
  EXPECT_FALSE(desassemble_midi(f, "x.mid").incomplete());
}

}  // namespace
}  // namespace solmir::midi
