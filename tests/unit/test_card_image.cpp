// The card image builder: records, delay fields, fillers, start pattern, size, estimate,
// messages, log, and the demo piece.
#include <gtest/gtest.h>

#include "base/inpout.h"
#include "score/card_image.h"
#include "score/scales.h"
#include "tests/support/fakes.h"
#include "tests/support/midi_builder.h"
#include "tests/support/note_lists.h"

namespace solmir::score {
namespace {

using test::Ev;
using test::list_of;

NoteTable base_table() {
  NoteTable t{};
  for (std::size_t k = 0; k < kBaseScale.size(); ++k) t[k] = kBaseScale[k];
  return t;
}

// The bytes of a record as hexadecimal pairs, eight digits at a time.
std::string bytes_of(const std::string& record) {
  static const char* hex = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i + 8 <= record.size(); i += 8) {
    const int b = bin_vers_entier(record.substr(i, 8));
    if (!s.empty()) s += ' ';
    s += hex[b >> 4];
    s += hex[b & 15];
  }
  return s;
}

// "0" x n with a 1 for each output listed, highest output first.
std::string outputs(int width, std::initializer_list<int> on) {
  std::string s(static_cast<std::size_t>(width), '0');
  for (int k : on) s[static_cast<std::size_t>(width - 1 - k)] = '1';
  return s;
}

std::int64_t total_delay(const std::vector<std::string>& records, RecordLayout l) {
  std::int64_t sum = 0;
  for (const auto& r : records) sum += decode_delay(r, l);
  return sum;
}

const std::string kOff29 = std::string(29, '0');

TEST(CardImage, OneNoteGivesTwoRecords) {
  const NoteList l = list_of({{0, 60, true}, {60, 60, false}});
  const Records r = build_records(l, base_table(), RecordLayout::notes29, 400, false);
  ASSERT_EQ(r.Liste_tran.size(), 2u);
  EXPECT_EQ(r.nb_macro_evenements, 2);
  EXPECT_EQ(r.Liste_tran[0], "00110010000" + outputs(29, {5}));
  EXPECT_EQ(bytes_of(r.Liste_tran[0]), "32 00 00 00 20");
  EXPECT_EQ(r.Liste_tran[1], "00000111100" + kOff29);

  const Records marked = build_records(l, base_table(), RecordLayout::notes29, 400, true);
  EXPECT_EQ(marked.Liste_tran[0], "00110010001" + outputs(29, {5}));
  EXPECT_EQ(marked.Liste_tran[1], r.Liste_tran[1]);

  EXPECT_TRUE(build_records({}, base_table(), RecordLayout::notes29, 400, true).Liste_tran.empty());
}

TEST(CardImage, APieceLargerThanTheLargestCardIsNotBuilt) {
  // The largest card holds 524288 bytes: (524288 - 10) / 5 = 104855 records of 5 bytes,
  // 74896 of 7. Many instants, or one silence long enough for too many filler records.
  struct Case {
    const char* what;
    RecordLayout layout;
    NoteList list;
    std::int64_t initial_delay;
    bool too_long;
  };
  auto instants = [](int n) {
    NoteList l;
    for (int i = 0; i < n; ++i) l.push_back({i, 60, i % 2 == 0, true});
    return l;
  };
  const Case cases[] = {
      {"exactly the largest card, 5 bytes", RecordLayout::notes29, instants(104855), 0, false},
      {"one record more", RecordLayout::notes29, instants(104856), 0, true},
      {"exactly the largest card, 7 bytes", RecordLayout::notes42, instants(74896), 0, false},
      {"one record more, 7 bytes", RecordLayout::notes42, instants(74897), 0, true},
      {"a silence of 2^31 ticks", RecordLayout::notes29,
       list_of({{0, 60, true}, {2147483647, 60, false}}), 0, true},
      {"an initial delay of 2^31 ticks", RecordLayout::notes32, list_of({{0, 60, true}}),
       2147483647, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Records r = build_records(c.list, base_table(), c.layout, c.initial_delay, false);
    EXPECT_EQ(r.too_long, c.too_long);
    if (c.too_long) {
      EXPECT_TRUE(r.Liste_tran.empty());
      EXPECT_EQ(r.nb_macro_evenements, 0);
    } else {
      EXPECT_EQ(r.nb_macro_evenements, max_card_records(c.layout));
      EXPECT_EQ(record_bytes(c.layout) * r.nb_macro_evenements + 10 <= kLargestCardBytes, true);
    }
  }
}

TEST(CardImage, OutputsFollowTheNotesOfEachInstant) {
  struct Case {
    const char* what;
    NoteList notes;
    std::vector<std::string> records;
  } cases[] = {
      {"a release and a start at the same tick make one record",
       list_of({{0, 60, true}, {60, 60, false}, {60, 62, true}, {120, 62, false}}),
       {"00110010000" + outputs(29, {5}), "00000111100" + outputs(29, {6}),
        "00000111100" + kOff29}},
      {"two notes on one output: off when both have ended",
       list_of({{0, 60, true}, {10, 60, true}, {20, 60, false}, {30, 60, false}}),
       {"00110010000" + outputs(29, {5}), "00000001010" + outputs(29, {5}),
        "00000001010" + outputs(29, {5}), "00000001010" + kOff29}},
      {"a note outside the scale changes nothing but makes its instant",
       list_of({{0, 61, true}, {10, 61, false}}),
       {"00110010000" + kOff29, "00000001010" + kOff29}},
      {"MIDI note 0 drives no output (0 is no note in the table)",
       list_of({{0, 0, true}, {10, 0, false}}),
       {"00110010000" + kOff29, "00000001010" + kOff29}},
      // 5000 ticks of silence: two fillers of 2047 carrying the previous outputs, then 906.
      {"a long silence is split into fillers",
       list_of({{0, 60, true},
                {10, 60, false},
                {10, 62, true},
                {20, 62, false},
                {5020, 64, true},
                {5030, 64, false}}),
       {"00110010000" + outputs(29, {5}), "00000001010" + outputs(29, {6}), "00000001010" + kOff29,
        "11111111111" + kOff29, "11111111111" + kOff29, "01110001010" + outputs(29, {7}),
        "00000001010" + kOff29}},
  };
  for (const Case& c : cases) {
    const Records r = build_records(c.notes, base_table(), RecordLayout::notes29, 400, false);
    EXPECT_EQ(r.Liste_tran, c.records) << c.what;
    EXPECT_EQ(r.nb_macro_evenements, static_cast<std::int32_t>(c.records.size())) << c.what;
  }
}

TEST(CardImage, DelayFields) {
  struct Case {
    std::int64_t delay;
    RecordLayout layout;
    const char* field;
    std::int32_t read_back;
  } cases[] = {
      {400, RecordLayout::notes29, "00110010000", 400},
      {2047, RecordLayout::notes42, "11111111111", 2047},
      {100, RecordLayout::notes32, "01100100", 100},
      {127, RecordLayout::notes32, "01111111", 127},
      {128, RecordLayout::notes32, "10001000", 128},
      {200, RecordLayout::notes32, "10001100", 192},  // 12.5 units of 16: 12
      {216, RecordLayout::notes32, "10001110", 224},  // 13.5: 14
      {2039, RecordLayout::notes32, "11111111", 2032},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encode_delay(c.delay, c.layout), c.field) << c.delay;
    EXPECT_EQ(decode_delay(c.field, c.layout), c.read_back) << c.delay;
  }
  EXPECT_EQ(decode_delay(kStartPattern11, RecordLayout::notes29), 401);
  EXPECT_EQ(decode_delay(kStartPattern8, RecordLayout::notes32), 416);
}

// Every delay of the 32-note layout stays in its 8-digit field: long silences become fillers
// of 127 x 16 ticks, and the delays from 2040 to 2047 (128 units once rounded) no longer wrap
// to 0.
TEST(CardImage, ThirtyTwoNoteDelaysAlwaysFitTheirField) {
  for (std::int64_t gap : {2039, 2040, 2047, 2048, 4071, 4072, 5000, 100000}) {
    const NoteList l =
        list_of({{0, 60, true}, {10, 60, false}, {10 + gap, 62, true}, {20 + gap, 62, false}});
    const Records r = build_records(l, base_table(), RecordLayout::notes32, 400, false);
    for (const auto& record : r.Liste_tran) ASSERT_EQ(record.size(), 40u) << gap;
    // The records before the note at 10 + gap, after the first two.
    const std::vector<std::string> silence(r.Liste_tran.begin() + 2, r.Liste_tran.end() - 1);
    ASSERT_FALSE(silence.empty());
    for (std::size_t i = 0; i + 1 < silence.size(); ++i) {
      EXPECT_EQ(silence[i], "11111111" + outputs(32, {})) << gap;
    }
    EXPECT_EQ(silence.back().substr(8), outputs(32, {6})) << gap;
    EXPECT_NEAR(static_cast<double>(total_delay(silence, RecordLayout::notes32)),
                static_cast<double>(gap), 8.0)
        << gap;
    EXPECT_GT(decode_delay(silence.back(), RecordLayout::notes32), 0) << gap;
  }
}

// An initial delay too long for one field: fillers with every output off, and with marks or
// looping the start pattern still on the first record. The records keep the whole delay.
TEST(CardImage, LongInitialDelay) {
  const NoteList l = list_of({{0, 60, true}, {60, 60, false}});
  struct Case {
    RecordLayout layout;
    bool pattern;
    std::vector<std::string> fields;  // delay fields up to the first note
  } cases[] = {
      {RecordLayout::notes29, false, {"11111111111", "01110111001"}},                // 2047 + 953
      {RecordLayout::notes29, true, {"00110010001", "11111111111", "01000101000"}},  // 401+2047+552
      {RecordLayout::notes42, false, {"11111111111", "01110111001"}},
      {RecordLayout::notes32, false, {"11111111", "10111100"}},  // 2032 + 960 (60.5 units: 60)
      {RecordLayout::notes32, true, {"10011010", "11111111", "10100010"}},  // 416 + 2032 + 544
  };
  for (const Case& c : cases) {
    const Records r = build_records(l, base_table(), c.layout, 3000, c.pattern);
    const int width = output_count(c.layout);
    const int field = delay_digits(c.layout);
    ASSERT_EQ(r.Liste_tran.size(), c.fields.size() + 1);
    for (std::size_t i = 0; i < c.fields.size(); ++i) {
      const std::string& record = r.Liste_tran[i];
      ASSERT_EQ(record.size(), static_cast<std::size_t>(record_digits(c.layout)));
      EXPECT_EQ(record.substr(0, static_cast<std::size_t>(field)), c.fields[i]);
      const bool last = i + 1 == c.fields.size();
      EXPECT_EQ(record.substr(static_cast<std::size_t>(field)),
                last ? outputs(width, {5}) : outputs(width, {}));
    }
    const std::vector<std::string> lead(r.Liste_tran.begin(), r.Liste_tran.end() - 1);
    EXPECT_NEAR(static_cast<double>(total_delay(lead, c.layout)), 3000.0, 8.0);
  }
}

TEST(CardImage, SizeEstimateAndMessages) {
  struct Case {
    const char* what;
    std::int32_t n;
    CardImageOptions o;
    std::int32_t size;
    double estimate;
    std::int32_t per_second;
    std::string message;
    ProgrammerRule programmer;
  } cases[] = {
      {"two records, link down",
       2,
       {},
       20,
       1,
       1,
       "Taille requise :  20 octets",
       ProgrammerRule::unchanged},
      {"link up",
       2,
       {.link_open = true},
       20,
       1,
       1,
       "Taille requise :  20 octets. Insérer une carte",
       ProgrammerRule::enable},
      {"42 notes: 7 bytes a record",
       1000,
       {.layout = RecordLayout::notes42},
       7010,
       3,
       333,
       "Taille requise :  7010 octets",
       ProgrammerRule::unchanged},
      {"5000 records",
       5000,
       {},
       25010,
       13,
       385,
       "Taille requise :  25010 octets",
       ProgrammerRule::unchanged},
      {"demo at its limit",
       178,
       {.demo = true, .link_open = true},
       900,
       4,
       44,
       "Taille :  890 octets. Cliquer Programmer",
       ProgrammerRule::enable},
      {"demo one record too long",
       179,
       {.demo = true, .link_open = true},
       905,
       4,
       45,
       "Morceau trop long ( 895 octets). Taille max :  890 octets",
       ProgrammerRule::disable},
  };
  for (const Case& c : cases) {
    const CardImageSummary s = summarize_card_image(c.n, c.o);
    EXPECT_EQ(s.taille_requise, c.size) << c.what;
    EXPECT_EQ(s.duree_prog_estimee, c.estimate) << c.what;
    EXPECT_EQ(s.evenements_par_seconde, c.per_second) << c.what;
    EXPECT_EQ(s.message, c.message) << c.what;
    EXPECT_EQ(s.programmer, c.programmer) << c.what;
  }
}

TEST(CardImage, LogBlock) {
  using V = std::vector<std::string>;
  const std::string built = " 2 macro-événements ont été créés";
  const std::string time = " Durée d'action totale normalisée sur 1 relais =  2 secondes";
  struct Case {
    CardImageOptions o;
    V middle;
  } cases[] = {
      {{.duree_action_totale = 600},
       {" Mode 27/29 notes", " -> sans marques", " -> sans bouclage"}},
      {{.layout = RecordLayout::notes32, .marks = true, .duree_action_totale = 600},
       {" Mode 32 notes", " -> avec marques", " -> sans bouclage"}},
      {{.layout = RecordLayout::notes42, .loop = true, .duree_action_totale = 600},
       {" Mode 42 notes", " -> sans marques", " -> avec bouclage"}},
      {{.demo = true, .duree_action_totale = 600}, {" Morceau de démonstration"}},
  };
  for (const Case& c : cases) {
    V expected = {" ", "Construction du fichier carte"};
    expected.insert(expected.end(), c.middle.begin(), c.middle.end());
    expected.push_back(built);
    expected.push_back(time);  // 600 / 240 = 2.5: 2, halves to even
    EXPECT_EQ(summarize_card_image(2, c.o).log, expected);
  }
  CardImageOptions demo{.demo = true};
  EXPECT_EQ(summarize_card_image(179, demo).log[2],
            " Morceau de démonstration... mais trop long !");
}

// ---------------------------------------------------------------- in the main window

// A serial port that is open: the link is up.
class OpenSerialPort : public test::AbsentSerialPort {
 public:
  bool open(const std::string&) override { return true; }
  bool is_open() const override { return true; }
};

// One note 60 from tick 0 to tick 60 (120 MIDI ticks per quarter note: a card tick each).
std::string one_note_file() {
  test::TrackBuilder t;
  t.note_on(0, 1, 60).note_off(60, 1, 60).end();
  return test::smf(0, 120, {t});
}

struct ImageRun {
  explicit ImageRun(SerialPort* serial = nullptr) : rig(serial) {
    f = &rig.start();
    tune = rig.dir.path() / "tune.mid";
    test::write_file(tune, one_note_file());
  }
  void open() {
    rig.dialogs.paths.push_back(tune.string());
    f->Ouvre_midi.click();
  }
  test::Rig rig;
  Form1* f = nullptr;
  std::filesystem::path tune;
};

TEST(CardImageCommand, OpeningAFileEndsWithTheCardImage) {
  ImageRun run;
  Form1& f = *run.f;
  run.open();
  ASSERT_EQ(f.last_failure, "");
  EXPECT_EQ(f.Liste_tran,
            (std::vector<std::string>{"00110010000" + outputs(29, {5}), "00000111100" + kOff29}));
  EXPECT_EQ(f.nb_macro_evenements, 2);
  EXPECT_EQ(f.taille_requise, 20);
  EXPECT_EQ(f.duree_prog_estimee, 1);
  EXPECT_EQ(f.evenements_par_seconde, 1);
  EXPECT_EQ(f.Text1.text(), "1");
  EXPECT_TRUE(f.Sauve_midi.enabled());
  EXPECT_FALSE(f.programmer.enabled());  // the link is down
  const auto m = run.rig.message_lines();
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[m.size() - 2], "Création du fichier carte");
  EXPECT_EQ(m.back(), "Taille requise :  20 octets");
  const std::string log = test::read_file(f.log_file);
  EXPECT_NE(log.find(" \r\nConstruction du fichier carte\r\n Mode 27/29 notes\r\n"
                     " -> sans marques\r\n -> sans bouclage\r\n"
                     " 2 macro-événements ont été créés\r\n"
                     " Durée d'action totale normalisée sur 1 relais =  0 secondes\r\n"),
            std::string::npos)
      << log;
}

TEST(CardImageCommand, ThePrepareButtonFollowsTheLink) {
  OpenSerialPort port;
  ImageRun run(&port);
  Form1& f = *run.f;
  run.open();                  // a piece is loaded
  f.Option32.set_value(true);  // a scale change while a piece is loaded
  ASSERT_EQ(f.programmer.caption(), "Rafraichir");
  f.Option32.set_value(false);
  run.open();
  EXPECT_TRUE(f.programmer.enabled());
  EXPECT_EQ(f.programmer.caption(), "Programmer");
  EXPECT_EQ(run.rig.message_lines().back(), "Taille requise :  20 octets. Insérer une carte");
}

TEST(CardImageCommand, MarksAndScalesShapeTheRecords) {
  struct Case {
    const char* what;
    std::function<void(Form1&)> setup;
    std::vector<std::string> records;
  } cases[] = {
      {"marks",
       [](Form1& g) { g.Check_marque.set_value(true); },
       {"00110010001" + outputs(29, {5}), "00000111100" + kOff29}},
      {"looping",
       [](Form1& g) { g.Check_boucle.set_value(true); },
       {"00110010001" + outputs(29, {5}), "00000111100" + kOff29}},
      {"32 notes",
       [](Form1& g) { g.Option32.set_value(true); },
       {"10011001" + outputs(32, {5}), "00111100" + outputs(32, {})}},
      {"32 notes with marks",
       [](Form1& g) {
         g.Option32.set_value(true);
         g.Check_marque.set_value(true);
       },
       {"10011010" + outputs(32, {5}), "00111100" + outputs(32, {})}},
      {"42 notes: note 60 is output 21",
       [](Form1& g) { g.mode42.set_value(true); },
       {"00110010000" + outputs(45, {21}), "00000111100" + outputs(45, {})}},
      {"a delay of 50 mm at 0.5 mm a tick",
       [](Form1& g) {
         g.Delai_init.set_text("50");
         g.Pas_ech.set_text("0.5");
         g.vitesse.set_text("120");  // the same tick length in time
       },
       {"00001100100" + outputs(29, {5}), "00000111100" + kOff29}},
  };
  for (const Case& c : cases) {
    ImageRun run;
    c.setup(*run.f);
    run.open();
    EXPECT_EQ(run.f->last_failure, "") << c.what;
    EXPECT_EQ(run.f->Liste_tran, c.records) << c.what;
  }
}

TEST(CardImageCommand, ABadDelayStopsTheBuilderWithAMessage) {
  ImageRun run;
  Form1& f = *run.f;
  run.open();
  f.Delai_init.set_text("cent");
  run.open();
  EXPECT_TRUE(f.Liste_tran.empty());
  EXPECT_EQ(f.last_failure, "Le délai initial ne contient pas un nombre : \"cent\"");
  f.Delai_init.set_text("-5");
  run.open();
  EXPECT_EQ(f.last_failure, "Délai initial non valide : -5 mm");
}

TEST(DemoPiece, ChoosingTheDemoRestoresTheBaseScaleAndUsesItsDelay) {
  ImageRun run;
  Form1& f = *run.f;
  f.mode42.set_value(true);
  f.Prog_demo.set_enabled(true);
  f.Prog_demo.click();
  EXPECT_TRUE(f.mode_demo);
  EXPECT_TRUE(f.mode42_avant_demo);
  EXPECT_FALSE(f.option32_avant_demo);
  EXPECT_FALSE(f.mode42.value());
  EXPECT_EQ(f.table_notes[5], 60);
  EXPECT_EQ(run.rig.message_lines().back(), "Sélectionner un fichier midi pour la démo intégrée");
  run.open();
  // 10 mm at 0.25 mm a tick: 40 ticks.
  EXPECT_EQ(f.Liste_tran,
            (std::vector<std::string>{"00000101000" + outputs(29, {5}), "00000111100" + kOff29}));
  EXPECT_EQ(run.rig.message_lines().back(), "Taille :  10 octets. Cliquer Programmer");
  EXPECT_EQ(f.duree_prog_estimee, 1);
}

// The demo area holds 27/29-note records only: a scale box ticked after the demo was chosen
// changes neither the record layout nor the outputs the notes drive.
TEST(DemoPiece, KeepsThe29NoteLayoutWhateverTheScaleBoxes) {
  for (const char* box : {"Option32", "mode42"}) {
    ImageRun run;
    Form1& f = *run.f;
    f.Prog_demo_Click();
    (std::string(box) == "Option32" ? f.Option32 : f.mode42).set_value(true);
    run.open();
    EXPECT_EQ(f.Liste_tran,
              (std::vector<std::string>{"00000101000" + outputs(29, {5}), "00000111100" + kOff29}))
        << box;
    EXPECT_EQ(f.taille_requise, 20) << box;
  }
}

TEST(DemoPiece, TooLongForTheDemoArea) {
  OpenSerialPort port;
  ImageRun run(&port);
  Form1& f = *run.f;
  // 89 notes, one after the other: 178 records.
  auto file = [](int notes) {
    test::TrackBuilder t;
    for (int i = 0; i < notes; ++i) t.note_on(i ? 6 : 0, 1, 60).note_off(6, 1, 60);
    t.end();
    return test::smf(0, 120, {t});
  };
  f.Prog_demo_Click();
  test::write_file(run.tune, file(89));
  run.open();
  EXPECT_EQ(f.nb_macro_evenements, 178);
  EXPECT_TRUE(f.programmer.enabled());
  EXPECT_EQ(run.rig.message_lines().back(), "Taille :  890 octets. Cliquer Programmer");

  // One more note and a last silence: 180 records.
  test::write_file(run.tune, file(90));
  run.open();
  EXPECT_EQ(f.nb_macro_evenements, 180);
  EXPECT_FALSE(f.programmer.enabled());
  EXPECT_EQ(run.rig.message_lines().back(),
            "Morceau trop long ( 900 octets). Taille max :  890 octets");
  EXPECT_NE(test::read_file(f.log_file).find(" Morceau de démonstration... mais trop long !\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace solmir::score
