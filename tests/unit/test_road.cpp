// The road as pure functions: the note list read straight from the bytes is the one the
// stored listing gives, its sort is the order of the lines' text, and its text is the lines'.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "score/note_list.h"
#include "score/road.h"
#include "tests/support/fakes.h"

namespace solmir::score {
namespace {

std::string file_bytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Road, NotesReadFromTheBytesAreThoseOfTheListingOnRealFiles) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SOLMIR_SHARED_MIDI)) {
    if (entry.path().extension() != ".mid") continue;
    ++files;
    SCOPED_TRACE(entry.path().string());
    const std::string bytes = file_bytes(entry.path());
    for (const std::array<bool, 16>& ticked :
         {std::array<bool, 16>{}, std::array<bool, 16>{true, false, true}}) {
      ReadOptions o;
      o.ticked = ticked;
      const NotesRead r = read_notes(bytes, entry.path().string(), o);
      const ExtractionResult e = extract_notes(
          midi::desassemble_midi(bytes, entry.path().string()).listing, ticked, 60, 0.25);
      EXPECT_EQ(r.notes.Liste1, e.Liste1);
      EXPECT_EQ(r.notes.pairs, e.pairs);
      EXPECT_EQ(r.notes.note_off, e.note_off);
      EXPECT_EQ(r.notes.duree_action_totale, e.duree_action_totale);
      EXPECT_FALSE(r.listing.incomplete());
    }
  }
  EXPECT_GT(files, 0);
}

TEST(Road, TheSortIsTheTextOrderAndTheLinesAreTheTextOfEachEvent) {
  // Many ties (same time and note, both kinds, with and without the trailing blank), times
  // over several digit groups, and lists too odd for the fast sort (negative or huge times).
  std::mt19937 random(12345);
  struct Case {
    const char* what;
    std::int64_t max_time;
    bool odd;
  };
  for (const Case c : {Case{"ties", 40, false}, Case{"wide", 9999999, false},
                       Case{"negative and huge", 3, true}}) {
    SCOPED_TRACE(c.what);
    NoteList list;
    for (int i = 0; i < 5000; ++i) {
      list.push_back({static_cast<std::int64_t>(random() % (c.max_time + 1)),
                      static_cast<int>(random() % 128), random() % 2 == 0, random() % 3 != 0});
    }
    if (c.odd) {
      list.push_back({-5, 60, true, true});
      list.push_back({123456789012, 61, false, true});
    }
    NoteList sorted = list;
    sort_notes(sorted);
    std::vector<std::string> texts;
    for (const NoteEvent& e : list) texts.push_back(render(e));
    std::sort(texts.begin(), texts.end());
    std::string expected;
    if (!c.odd) {
      // Without negative times the text order is the list's order.
      for (const std::string& t : texts) expected += t + '\n';
      std::string out;
      append_note_lines(sorted, out);
      EXPECT_EQ(out, expected);
    }
    NoteList by_operator = list;
    std::stable_sort(by_operator.begin(), by_operator.end());
    EXPECT_EQ(sorted, by_operator);
    // In blocks, the same text.
    std::string whole, blocks, rest;
    append_note_lines(sorted, whole);
    append_note_lines(sorted, rest, [&blocks](const std::string& b) { blocks += b; });
    EXPECT_EQ(blocks + rest, whole);
  }
}

}  // namespace
}  // namespace solmir::score
