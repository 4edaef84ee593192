// The separation and alignment passes over the note event list.
#include <gtest/gtest.h>

#include "score/card_image.h"
#include "score/passes.h"
#include "tests/support/fakes.h"
#include "tests/support/midi_builder.h"
#include "tests/support/note_lists.h"

namespace solmir::score {
namespace {

using test::Ev;
using test::list_of;

std::vector<std::string> rendered(const NoteList& l) {
  std::vector<std::string> v;
  for (const auto& e : l) v.push_back(render(e));
  return v;
}

TEST(Separation, ReleasesARepeatedNoteEarlier) {
  struct Case {
    const char* what;
    double S;
    NoteList in;
    std::vector<std::string> out;
    std::int64_t count;
  } cases[] = {
      {"long note: S ticks of silence remain",
       4,
       list_of({{100, 60, true}, {200, 60, false}, {202, 60, true}, {300, 60, false}}),
       {"0000100 00060 NOTE", "0000198 00060 NOOF", "0000202 00060 NOTE", "0000300 00060 NOOF"},
       1},
      {"short note: one tick earlier only",
       4,
       list_of({{100, 60, true}, {103, 60, false}, {104, 60, true}, {110, 60, false}}),
       {"0000100 00060 NOTE", "0000102 00060 NOOF", "0000104 00060 NOTE", "0000110 00060 NOOF"},
       1},
      {"struck again at once",
       4,
       list_of({{100, 60, true}, {200, 60, false}, {200, 60, true}, {300, 60, false}}),
       {"0000100 00060 NOTE", "0000196 00060 NOOF", "0000200 00060 NOTE", "0000300 00060 NOOF"},
       1},
      {"gap above the threshold",
       4,
       list_of({{100, 60, true}, {200, 60, false}, {205, 60, true}, {300, 60, false}}),
       {"0000100 00060 NOTE", "0000200 00060 NOOF", "0000205 00060 NOTE", "0000300 00060 NOOF"},
       0},
      {"different notes are left alone",
       4,
       list_of({{100, 60, true}, {200, 60, false}, {201, 62, true}, {300, 62, false}}),
       {"0000100 00060 NOTE", "0000200 00060 NOOF", "0000201 00062 NOTE", "0000300 00062 NOOF"},
       0},
      // Shortening a 1-tick note would put its release on its own note-on, where it sorts
      // first and leaves the output on for good: the note keeps its tick.
      {"a 1-tick note keeps its length",
       4,
       list_of({{100, 60, true}, {101, 60, false}, {102, 60, true}, {110, 60, false}}),
       {"0000100 00060 NOTE", "0000101 00060 NOOF", "0000102 00060 NOTE", "0000110 00060 NOOF"},
       0},
      {"a 2-tick note shortened to 1",
       4,
       list_of({{100, 60, true}, {102, 60, false}, {103, 60, true}, {110, 60, false}}),
       {"0000100 00060 NOTE", "0000101 00060 NOOF", "0000103 00060 NOTE", "0000110 00060 NOOF"},
       1},
  };
  for (const Case& c : cases) {
    const PassResult r = separate_notes(c.in, c.S);
    EXPECT_EQ(rendered(r.Liste1), c.out) << c.what;
    EXPECT_EQ(r.count, c.count) << c.what;
  }
}

TEST(Separation, NeverLeavesAnOutputOnForGood) {
  // Repeated 1-tick and 2-tick notes, separated and then built into a card image: after the
  // last release every output is off again.
  NoteList in;
  for (int i = 0; i < 20; ++i) {
    const std::int64_t t = 10 * i;
    const std::int64_t length = 1 + i % 3;
    in.push_back({t, 60, true, true});
    in.push_back({t + length, 60, false, true});
    in.push_back({t + length + 1, 60, true, true});
    in.push_back({t + length + 2, 60, false, true});
  }
  sort_notes(in);
  const PassResult r = separate_notes(in, 6);
  NoteTable table{};
  table[5] = 60;
  const Records image = build_records(r.Liste1, table, RecordLayout::notes29, 400, false);
  ASSERT_FALSE(image.Liste_tran.empty());
  EXPECT_EQ(image.Liste_tran.back().substr(11), std::string(29, '0'));
}

TEST(Alignment, ChainsOfCloseStartsStartTogether) {
  struct Case {
    const char* what;
    double A;
    NoteList in;
    std::vector<std::string> out;
    std::int64_t count;
  } cases[] = {
      {"chain 100-102-104, 110 alone",
       3,
       list_of({{100, 60, true},
                {102, 62, true},
                {104, 64, true},
                {110, 65, true},
                {150, 60, false},
                {150, 62, false},
                {150, 64, false},
                {150, 65, false}}),
       {"0000100 00060 NOTE", "0000100 00062 NOTE", "0000100 00064 NOTE", "0000110 00065 NOTE",
        "0000150 00060 NOOF", "0000150 00062 NOOF", "0000150 00064 NOOF", "0000150 00065 NOOF"},
       2},
      {"together already: counted, not moved",
       3,
       list_of({{100, 60, true}, {100, 62, true}, {150, 60, false}, {150, 62, false}}),
       {"0000100 00060 NOTE", "0000100 00062 NOTE", "0000150 00060 NOOF", "0000150 00062 NOOF"},
       1},
      {"the last note-on of the piece moves too; releases stay",
       3,
       list_of({{100, 60, true},
                {120, 60, false},
                {200, 62, true},
                {203, 64, true},
                {210, 62, false},
                {220, 64, false}}),
       {"0000100 00060 NOTE", "0000120 00060 NOOF", "0000200 00062 NOTE", "0000200 00064 NOTE",
        "0000210 00062 NOOF", "0000220 00064 NOOF"},
       1},
      {"nothing close",
       3,
       list_of({{100, 60, true}, {104, 62, true}, {110, 60, false}}),
       {"0000100 00060 NOTE", "0000104 00062 NOTE", "0000110 00060 NOOF"},
       0},
  };
  for (const Case& c : cases) {
    const PassResult r = align_notes(c.in, c.A);
    EXPECT_EQ(rendered(r.Liste1), c.out) << c.what;
    EXPECT_EQ(r.count, c.count) << c.what;
  }
}

TEST(Passes, LogWordingFollowsTheCount) {
  struct Case {
    std::int64_t count;
    const char* separation;
    const char* alignment;
  } cases[] = {
      {0, " 0 séparation effectuée", " 0 ré-alignement effectué"},
      {1, " 1 séparation effectuée", " 1 ré-alignement effectué"},
      {2, " 2 séparations ont été effectuées", " 2 Ré-alignements ont été effectués"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(separation_log(4, c.count),
              (std::vector<std::string>{
                  " ", "Séparation des notes",
                  " Distance minimale définie dans Pré-traitements :  4 temps de 1/240 s",
                  c.separation}));
    EXPECT_EQ(alignment_log(3, c.count),
              (std::vector<std::string>{
                  " ", "Ré-alignement des débuts de notes décalés",
                  " Décalage max défini dans Pré-traitements :  3 temps de 1/240 s", c.alignment}));
  }
}

// The passes inside "Ouvrir fichier Midi...": at 120 MIDI ticks per quarter note and 500000 us
// per quarter note, a MIDI tick is a card tick; times are multiples of 6 ticks (25 ms) so that
// they come through the millisecond listing exactly.
TEST(Passes, RunInsideNoteExtractionSeparationFirst) {
  test::Rig rig;
  Form1& f = rig.start();
  f.separe_note.set_text("4");
  f.aligne_note.set_text("6");
  test::TrackBuilder t;
  // Note 60 from 96 to 198 and again from 200; note 64 starts 6 ticks after the second 60.
  t.note_on(96, 1, 60).note_off(102, 1, 60).note_on(2, 1, 60).note_on(6, 1, 64);
  t.note_off(94, 1, 60).note_off(0, 1, 64).end();
  const auto path = rig.dir.path() / "passes.mid";
  test::write_file(path, test::smf(0, 120, {t}));
  rig.dialogs.paths.push_back(path.string());
  f.Ouvre_midi.click();
  ASSERT_EQ(f.last_failure, "");
  EXPECT_EQ(
      rendered(f.Liste1),
      (std::vector<std::string>{"0000096 00060 NOTE", "0000196 00060 NOOF", "0000200 00060 NOTE",
                                "0000200 00064 NOTE", "0000300 00060 NOOF", "0000300 00064 NOOF"}));
  const auto m = rig.message_lines();
  const auto sep =
      std::find(m.begin(), m.end(), "Séparation des notes distantes de moins de 4 temps");
  const auto ali = std::find(m.begin(), m.end(), "Ré-alignement des notes décalées de 6 temps");
  const auto card = std::find(m.begin(), m.end(), "Création du fichier carte");
  ASSERT_NE(sep, m.end());
  ASSERT_NE(ali, m.end());
  EXPECT_LT(sep, ali);
  EXPECT_LT(ali, card);
  const std::string log = test::read_file(f.log_file);
  const std::string expected_log =
      " \r\nSéparation des notes\r\n"
      " Distance minimale définie dans Pré-traitements :  4 temps de 1/240 s\r\n"
      " 1 séparation effectuée\r\n"
      " \r\nRé-alignement des débuts de notes décalés\r\n"
      " Décalage max défini dans Pré-traitements :  6 temps de 1/240 s\r\n"
      " 1 ré-alignement effectué\r\n"
      " \r\nConstruction du fichier carte\r\n";
  EXPECT_NE(log.find(expected_log), std::string::npos) << log;
}

TEST(Passes, AThresholdOfZeroOrLessTurnsThePassOff) {
  test::Rig rig;
  Form1& f = rig.start();
  f.separe_note.set_text("-2");
  f.aligne_note.set_text("0");
  f.Liste1 = list_of({{100, 60, true}, {200, 60, false}, {201, 60, true}, {300, 60, false}});
  const NoteList before = f.Liste1;
  const auto messages = rig.message_lines();
  f.separation_pass();
  f.alignment_pass();
  EXPECT_EQ(f.Liste1, before);
  EXPECT_EQ(rig.message_lines(), messages);  // nothing said either
}

}  // namespace
}  // namespace solmir::score
