// The card preview's data, the notes the scale drops, and the transposition: from small crafted
// images and tunes to the main window's road.
#include <gtest/gtest.h>

#include <algorithm>

#include "midi/listing.h"
#include "score/card_image.h"
#include "score/dropped_notes.h"
#include "score/extraction.h"
#include "score/preview.h"
#include "score/scales.h"
#include "tests/support/board_rig.h"
#include "tests/support/card_image_rig.h"
#include "tests/support/fakes.h"
#include "tests/support/midi_builder.h"
#include "tests/support/note_lists.h"

namespace solmir::score {
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
  for (std::size_t k = 13; k < 16; ++k) t[k] = kNoNote;
  for (std::size_t k = 0; k < kPercussionHigh.size(); ++k) t[16 + k] = kPercussionHigh[k];
  return t;
}

std::vector<std::tuple<int, std::int64_t, std::int64_t>> spans_of(const CardPreview& p) {
  std::vector<std::tuple<int, std::int64_t, std::int64_t>> v;
  for (const PreviewSpan& s : p.spans) v.emplace_back(s.output, s.start, s.end);
  std::sort(v.begin(), v.end());
  return v;
}

// Two overlapping notes (60 on output 5, 62 on output 6) and a note no output plays (61 is
// not in the base scale): the spans start and end where the records turn the outputs.
TEST(Preview, SpansFollowTheRecordsOfABuiltImage) {
  const NoteList l = list_of({{0, 60, true},
                              {60, 60, false},
                              {30, 62, true},
                              {90, 62, false},
                              {40, 61, true},
                              {50, 61, false}});
  const Records r = build_records(l, base_table(), RecordLayout::notes29, 400, false);
  const CardPreview p =
      preview_card(r.Liste_tran, RecordLayout::notes29, base_table(), false, {0.25, 240}, false);
  ASSERT_EQ(p.rows.size(), 29u);
  EXPECT_EQ(p.rows[5].label, "C3");
  EXPECT_EQ(p.rows[6].label, "D3");
  EXPECT_EQ(p.rows[9].label, "F#3");
  EXPECT_EQ(spans_of(p), (decltype(spans_of(p)){{5, 400, 460}, {6, 430, 490}}));
  EXPECT_EQ(p.initial_delay, 400);
  EXPECT_EQ(p.loop_start, 400);
  EXPECT_FALSE(p.start_pattern);
  EXPECT_EQ(p.length, 490);
  EXPECT_EQ(p.records.size(), r.Liste_tran.size());
  EXPECT_DOUBLE_EQ(p.millimetres(p.length), 122.5);
  EXPECT_DOUBLE_EQ(p.seconds(480), 2.0);
  for (const PreviewRecord& rec : p.records) EXPECT_FALSE(rec.filler);
}

// Long silences, the start pattern and the 32-note delay units, as the records read back.
TEST(Preview, FillersPatternAndDelayUnits) {
  struct Case {
    const char* what;
    RecordLayout layout;
    std::int64_t initial;
    bool pattern;
    std::int64_t gap;  // silence between the two notes
    std::size_t fillers;
    std::int64_t initial_seen;  // the silence the preview shades
  } cases[] = {
      {"29, silence of 5000", RecordLayout::notes29, 400, false, 5000, 2, 400},
      {"29 with marks", RecordLayout::notes29, 400, true, 100, 0, 401},
      {"42, long initial delay with marks", RecordLayout::notes42, 3000, true, 100, 1, 3000},
      {"32, delay in units of 16", RecordLayout::notes32, 400, false, 208, 0, 400},
  };
  for (const Case& c : cases) {
    const NoteList l =
        list_of({{0, 60, true}, {60, 60, false}, {60 + c.gap, 62, true}, {120 + c.gap, 62, false}});
    const NoteTable t = base_table();
    const Records r = build_records(l, t, c.layout, c.initial, c.pattern);
    // Read back: whether there is a start pattern comes from the first field.
    const CardPreview p = preview_card(r.Liste_tran, c.layout, t, false, {});
    std::size_t fillers = 0;
    for (const PreviewRecord& rec : p.records) fillers += rec.filler;
    EXPECT_EQ(fillers, c.fillers) << c.what;
    EXPECT_EQ(p.start_pattern, c.pattern) << c.what;
    EXPECT_EQ(p.initial_delay, c.initial_seen) << c.what;
    ASSERT_EQ(p.spans.size(), 2u) << c.what;
    const auto s = spans_of(p);
    // Each note lasts its 60 ticks, the second starts gap ticks after the first ends (the
    // 32-note field holds 208 as 13 units of 16).
    EXPECT_EQ(std::get<2>(s[0]) - std::get<1>(s[0]), 60) << c.what;
    EXPECT_EQ(std::get<1>(s[1]) - std::get<2>(s[0]), c.gap) << c.what;
    std::int64_t sum = 0;
    for (const auto& rec : r.Liste_tran) sum += decode_delay(rec, c.layout);
    EXPECT_EQ(p.length, sum) << c.what;
  }
}

TEST(Preview, LinesThatAreNotRecordsAreCountedAndAnOutputOnAtTheEndIsClosed) {
  const std::string on5 = "00000001010" + std::string(23, '0') + "100000";
  const CardPreview p = preview_card({on5, "garbage", std::string(40, '2')}, RecordLayout::notes29,
                                     base_table(), false, {});
  EXPECT_EQ(p.skipped_lines, 2u);
  // A piece that ends with an output on shows nothing beyond its last record.
  EXPECT_TRUE(p.spans.empty());
  EXPECT_EQ(p.length, 10);
}

TEST(Preview, RowsNameNotesOrDrums) {
  const auto notes = preview_rows(RecordLayout::notes42, percussion_table(), false);
  const auto drums = preview_rows(RecordLayout::notes42, percussion_table(), true);
  ASSERT_EQ(drums.size(), 45u);
  EXPECT_EQ(drums[16].label, "35");
  EXPECT_EQ(notes[16].label, midi::note_name(35));
  EXPECT_EQ(drums[13].label, "-");  // an empty extra note
  EXPECT_EQ(preview_rows(RecordLayout::notes32, base_table(), false)[30].label, "-");
}

TEST(DroppedNotes, ListedInTimeAndSummedMostFrequentFirst) {
  NoteList l = list_of({{10, 61, true},
                        {20, 61, false},
                        {30, 25, true},
                        {40, 25, false},
                        {50, 61, true},
                        {60, 61, false},
                        {70, 60, true},
                        {80, 60, false},
                        {90, 27, true},
                        {95, 27, false}});
  // The extraction's time-origin note is not one of the file's notes.
  l.insert(l.begin(), {0, 127, true, false});
  const auto d = dropped_notes(l, base_table(), RecordLayout::notes29, {{35, 130, "130"}});
  ASSERT_EQ(d.size(), 5u);
  EXPECT_EQ(d[0].time, 10);
  EXPECT_EQ(d[0].name, "C#3");
  EXPECT_EQ(d[2].name, "130");
  EXPECT_EQ(dropped_summary(d), "5 notes hors gamme : C#3 ×2, C#0 ×1, D#0 ×1, 130 ×1");
  EXPECT_EQ(dropped_summary({d[0]}), "1 note hors gamme : C#3 ×1");
  EXPECT_EQ(dropped_summary({}), "");
}

TEST(DroppedNotes, OnlyTheOutputsOfTheLayoutPlay) {
  NoteTable t = base_table();
  t[30] = 90;  // beyond the 29 outputs of the 27/29-note records
  EXPECT_FALSE(played(t, RecordLayout::notes29, 90));
  EXPECT_TRUE(played(t, RecordLayout::notes32, 90));
  EXPECT_FALSE(played(t, RecordLayout::notes42, 0));
  EXPECT_FALSE(played(percussion_table(), RecordLayout::notes42, kNoNote));
}

// Kept notes by key: the best shift, its ties, and what it saves over the current one.
TEST(DroppedNotes, BestTransposition) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> shifted;  // key, count
    std::vector<std::pair<int, int>> fixed;
    int current;
    int best;
    std::int64_t kept, saved;
  } cases[] = {
      // 46 is not in the base scale, 48 is; two up both are (48, 50), nothing nearer.
      {"two up", {{46, 3}, {48, 1}}, {}, 0, 2, 4, 3},
      {"already best", {{60, 5}}, {}, 0, 0, 5, 0},
      // 61 is played by neither; +1 and -1 both give 62 / 60: the upward wins.
      {"tie goes upward", {{61, 2}}, {}, 0, 1, 2, 2},
      // 47: +1 gives 48, -2 gives 45 (no): +1 alone.
      {"from a current shift", {{47, 4}}, {}, 5, 1, 4, 4},
      // The drums that keep their key count whatever the shift.
      {"fixed keys stay", {{46, 1}}, {{60, 7}, {61, 2}}, 0, 2, 8, 1},
      {"nothing to save", {{10, 3}}, {}, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    KeyCounts k;
    for (auto [key, n] : c.shifted) k.shifted[static_cast<std::size_t>(key)] = n;
    for (auto [key, n] : c.fixed) k.fixed[static_cast<std::size_t>(key)] = n;
    const BestTransposition b =
        best_transposition(k, base_table(), RecordLayout::notes29, c.current);
    EXPECT_EQ(b.semitones, c.best) << c.what;
    EXPECT_EQ(b.kept, c.kept) << c.what;
    EXPECT_EQ(b.saved, c.saved) << c.what;
  }
  EXPECT_EQ(best_transposition_message({2, 4, 3}),
            "Meilleure transposition : +2 demi-tons, 3 notes sauvées");
  EXPECT_EQ(best_transposition_message({-1, 4, 1}),
            "Meilleure transposition : -1 demi-ton, 1 note sauvée");
}

midi::Listing listing_of(const std::string& bytes) {
  return midi::desassemble_midi(bytes, "t.mid").listing;
}

std::string two_channel_tune() {
  test::TrackBuilder t;
  t.note_on(0, 1, 58).note_off(480, 1, 58).note_on(0, 10, 36).note_off(480, 10, 36);
  t.note_on(0, 1, 120).note_off(480, 1, 120).end();
  return test::smf(0, 480, {t});
}

TEST(Transposition, ShiftsTheKeptNotesButKeepsTheDrums) {
  const midi::Listing l = listing_of(two_channel_tune());
  const std::array<bool, 16> all{};
  const ExtractionResult none = extract_notes(l, all, 60, 0.25);
  const ExtractionResult zero = extract_notes(l, all, 60, 0.25, {}, {0, true});
  EXPECT_EQ(none.Liste1, zero.Liste1);

  const ExtractionResult up = extract_notes(l, all, 60, 0.25, {}, {10, true});
  std::vector<int> notes;
  for (const NoteEvent& e : up.Liste1)
    if (e.on) notes.push_back(e.note);
  // 58 + 10, the drum 36 of channel 10 unchanged, 120 + 10 leaves the MIDI range.
  EXPECT_EQ(notes, (std::vector<int>{68, 36}));
  ASSERT_EQ(up.outside.size(), 1u);
  EXPECT_EQ(up.outside[0].note, 130);
  EXPECT_EQ(up.pairs, none.pairs);
  EXPECT_EQ(up.keys.shifted[58], 1);
  EXPECT_EQ(up.keys.shifted[120], 1);
  EXPECT_EQ(up.keys.fixed[36], 1);

  const ExtractionResult all_shifted = extract_notes(l, all, 60, 0.25, {}, {10, false});
  notes.clear();
  for (const NoteEvent& e : all_shifted.Liste1)
    if (e.on) notes.push_back(e.note);
  EXPECT_EQ(notes, (std::vector<int>{68, 46}));
}

}  // namespace
}  // namespace solmir::score

namespace solmir {
namespace {

struct PreviewRoad : ::testing::Test {
  test::Rig rig;
  Form1* f = nullptr;
  std::filesystem::path tune;
  void SetUp() override {
    f = &rig.start();
    tune = rig.dir.path() / "t.mid";
    // 47 three times and 49, none in the base scale; one up they all are (48, 50).
    test::TrackBuilder t;
    for (int i = 0; i < 3; ++i) t.note_on(0, 1, 47).note_off(240, 1, 47);
    t.note_on(0, 1, 49).note_off(240, 1, 49).end();
    test::write_file(tune, test::smf(0, 480, {t}));
  }
  void open() {
    f->chemin_midi = tune.string();
    f->recharger_fichier = true;
    f->Ouvre_midi_Click();
  }
};

TEST_F(PreviewRoad, DroppedNotesAreToldAndTheBestShiftSavesThem) {
  int notified = 0;
  f->image_observers.push_back([&] { ++notified; });
  open();
  ASSERT_EQ(f->last_failure, "");
  const std::string summary = "4 notes hors gamme : B1 ×3, C#2 ×1";
  EXPECT_NE(f->Label_defautP.text().find(summary + "\r\n"), std::string::npos);
  EXPECT_NE(test::read_file(f->log_file).find(summary + "\r\n"), std::string::npos);
  EXPECT_EQ(f->notes_hors_gamme.size(), 4u);
  EXPECT_GE(notified, 1);
  EXPECT_FALSE(f->card_image_stale());
  EXPECT_EQ(f->card_preview().dropped.size(), 4u);

  f->Meilleure_transposition.click();
  EXPECT_EQ(f->Transposition.text(), "+1");
  EXPECT_TRUE(f->card_image_stale());
  EXPECT_NE(f->Label_defautP.text().find("Meilleure transposition : +1 demi-ton, 4 notes sauvées"),
            std::string::npos);
  open();
  EXPECT_TRUE(f->notes_hors_gamme.empty());
  EXPECT_FALSE(f->card_image_stale());
  EXPECT_NE(test::read_file(f->log_file).find("Transposition : +1 demi-ton\r\n"),
            std::string::npos);
  const score::CardPreview p = f->card_preview();
  // 48 (output 0) three times in a row, released and struck at the same tick: one span on
  // the card; then 50 (output 1).
  ASSERT_EQ(p.spans.size(), 2u);
  EXPECT_EQ(p.spans[0].output, 0);
  EXPECT_EQ(p.spans[0].start, 400);
  EXPECT_EQ(p.spans[0].end, 580);
  EXPECT_EQ(p.spans[1].output, 1);
  EXPECT_EQ(p.spans[1].end, 640);
}

TEST_F(PreviewRoad, ATranspositionThatIsNoShiftStopsTheRoad) {
  for (const char* bad : {"25", "1.5", "abc", "-25"}) {
    f->Transposition.set_text(bad);
    open();
    EXPECT_EQ(
        f->last_failure,
        std::string("La transposition doit être un nombre entier de -24 à +24 : \"") + bad + "\"")
        << bad;
  }
  f->Transposition.set_text("-24");
  open();
  EXPECT_EQ(f->last_failure, "");
}

TEST_F(PreviewRoad, TheTranspositionIsKept) {
  f->Transposition.set_text("-3");
  f->Sauve_params_reg();
  EXPECT_EQ(rig.settings.values.at("Solmir/Startup/transposition"), "-3");
  Form1& g = rig.start();
  EXPECT_EQ(g.Transposition.text(), "-3");
  // Put back at start-up, it asks for no reload: there is no image yet.
  EXPECT_EQ(g.Label_defautP.text().find("Rafraichir"), std::string::npos);
  EXPECT_EQ(g.programmer.caption(), "Programmer");
}

// The piece read back by "Copier" is what the preview draws, before it is written anywhere:
// the 42-note layout of the card's piece, no dropped notes of a file opened before.
TEST(PreviewCopy, ThePieceReadBackIsPreviewedFresh) {
  using board::virt::Format;
  test::BoardRig b;
  b.card().put_piece('A', Format::notes42, 12, "Premier");
  Form1& f = b.start();
  f.notes_hors_gamme = {{0, 61, "C#3"}};  // from a file opened earlier
  int notified = 0;
  f.image_observers.push_back([&] { ++notified; });
  f.choixa.set_value(true);
  f.Copier_carte.click();
  ASSERT_EQ(f.Liste_tran.size(), 12u);
  EXPECT_TRUE(f.image_from_card());
  EXPECT_FALSE(f.card_image_stale());
  EXPECT_GE(notified, 1);
  const score::CardPreview p = f.card_preview();
  EXPECT_EQ(p.layout, score::RecordLayout::notes42);
  EXPECT_EQ(p.rows.size(), 45u);
  EXPECT_EQ(p.records.size(), 12u);
  EXPECT_EQ(p.skipped_lines, 0u);
  EXPECT_TRUE(p.dropped.empty());
  std::int64_t sum = 0;
  for (const auto& r : f.Liste_tran) sum += score::decode_delay(r, score::RecordLayout::notes42);
  EXPECT_EQ(p.length, sum);
}

}  // namespace
}  // namespace solmir
