// The card image written as a MIDI file, and read back by midicsv, mido and our own reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "midi/export.h"
#include "midi/listing.h"
#include "score/card_image.h"
#include "score/scales.h"
#include "tests/support/fakes.h"
#include "tests/support/midi_builder.h"

namespace solmir::midi {
namespace {

using score::RecordLayout;

NoteTable base_table() {
  NoteTable t{};
  for (std::size_t k = 0; k < score::kBaseScale.size(); ++k) t[k] = score::kBaseScale[k];
  return t;
}

std::string hex_of(std::string_view bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : bytes) {
    if (!s.empty()) s += ' ';
    s += hex[c >> 4];
    s += hex[c & 15];
  }
  return s;
}

// The note events of an export: what follows the tempo, before the end of track.
std::string events_of(const MidiExport& x) {
  return hex_of(std::string_view(x.bytes).substr(49, x.bytes.size() - 49 - 4));
}

std::string outputs(int width, std::initializer_list<int> on) {
  std::string s(static_cast<std::size_t>(width), '0');
  for (int k : on) s[static_cast<std::size_t>(width - 1 - k)] = '1';
  return s;
}

TEST(MidiExport, AnEmptyImageIsTheFixedHeaderAlone) {
  const MidiExport x = card_image_to_midi({}, RecordLayout::notes29, base_table());
  EXPECT_EQ(x.bytes.size(), 53u);
  EXPECT_EQ(x.nb_octets_ecrits, 31);
  EXPECT_EQ(hex_of(x.bytes),
            "4D 54 68 64 00 00 00 06 00 01 00 01 00 78 4D 54 72 6B 00 00 00 1F "
            "00 C0 4F 00 FF 03 05 56 45 4C 6F 52 00 FF 58 04 04 02 18 08 00 FF 51 03 07 A1 20 "
            "00 FF 2F 00");
}

TEST(MidiExport, RecordsBecomeNoteEvents) {
  const std::string off29(29, '0');
  struct Case {
    const char* what;
    RecordLayout layout;
    std::vector<std::string> records;
    std::string events;
  } cases[] = {
      {"one note on output 5",
       RecordLayout::notes29,
       {"00110010000" + outputs(29, {5}), "00000111100" + off29},
       "83 10 90 3C 64 3C 80 3C 00"},
      {"an unchanged record adds its delay to the next",
       RecordLayout::notes29,
       {"00110010000" + outputs(29, {5}), "00000001010" + outputs(29, {5}), "00000111100" + off29},
       "83 10 90 3C 64 46 80 3C 00"},
      {"two outputs in one record: the higher first, then delta 00",
       RecordLayout::notes29,
       {"00000001010" + outputs(29, {5, 7})},
       "0A 90 40 64 00 90 3C 64"},
      {"the start pattern reads as 401 ticks",
       RecordLayout::notes29,
       {"00110010001" + outputs(29, {0})},
       "83 11 90 30 64"},
      {"32 notes: flag 1 and 12 units are 192 ticks",
       RecordLayout::notes32,
       {"10001100" + outputs(32, {28})},
       "81 40 90 56 64"},
      {"a note below 16 keeps two digits (output 0 plays note 9 here)",
       RecordLayout::notes29,
       {"00000000001" + outputs(29, {0})},
       "01 90 09 64"},
      // Output 31 has no note (0) and output 30 an empty extra note (255): no event, and
      // their delay goes to the next record.
      {"outputs without a note give no event",
       RecordLayout::notes32,
       {"00000001" + outputs(32, {31, 30}), "00000001" + outputs(32, {31, 30, 5})},
       "02 90 3C 64"},
      {"42 notes: output 44 is note 86",
       RecordLayout::notes42,
       {"00000000001" + outputs(45, {44}), "00000000001" + outputs(45, {})},
       "01 90 56 64 01 80 56 00"},
      // Fillers of a long silence carry their time: 10 x 2047 + 100 ticks = 20570, past the
      // 14 bits of a two-byte delta.
      {"a silence longer than two delta bytes", RecordLayout::notes29,
       [&] {
         std::vector<std::string> r{"00000000000" + outputs(29, {5})};
         for (int i = 0; i < 10; ++i) r.push_back("11111111111" + outputs(29, {5}));
         r.push_back("00001100100" + off29);
         return r;
       }(),
       "00 90 3C 64 81 A0 5A 80 3C 00"},
      {"a line that is not a record is skipped",
       RecordLayout::notes29,
       {"NOTE 0001000 001440 00001 00060", "00000001010" + outputs(29, {5}),
        "0000000101" + outputs(29, {})},
       "0A 90 3C 64"},
  };
  for (const Case& c : cases) {
    NoteTable table = base_table();
    table[30] = score::kNoNote;
    table[44] = 86;
    if (std::string(c.what).find("below 16") != std::string::npos) table[0] = 9;
    const MidiExport x = card_image_to_midi(c.records, c.layout, table);
    EXPECT_EQ(events_of(x), c.events) << c.what;
    EXPECT_EQ(x.nb_octets_ecrits, static_cast<std::int32_t>(x.bytes.size()) - 22) << c.what;
  }
}

TEST(MidiExport, DeltaTimes) {
  struct Case {
    std::uint32_t ticks;
    const char* text;
  } cases[] = {{0, "00"},      {9, "09"},        {127, "7F"},         {128, "81 00"},
               {400, "83 10"}, {16383, "FF 7F"}, {16384, "81 80 00"}, {0x0FFFFFFF, "FF FF FF 7F"}};
  for (const Case& c : cases) EXPECT_EQ(delta_text(c.ticks), c.text) << c.ticks;
}

TEST(MidiExport, WriteStringCountsAndTheLengthGoesAtOffset18) {
  std::string file(22, 'x');
  std::int32_t n = 0;
  write_string(file, "00 FF 2F 00", n);
  EXPECT_EQ(n, 4);
  write_string_nb_oct(file, "00 00 01 2C");
  EXPECT_EQ(hex_of(file.substr(18)), "00 00 01 2C 00 FF 2F 00");
  EXPECT_EQ(n, 4);
}

// ---------------------------------------------------------------- read back by other readers

// Runs a shell command line; its exit status.
int run(const std::string& command) {
  const int status = std::system(command.c_str());
  return status == 0 ? 0 : 1;
}

bool have(const std::string& program) {
  return run("command -v " + program + " >/dev/null 2>&1") == 0;
}

struct CsvEvent {
  std::int64_t tick;
  bool on;
  int note;
  friend bool operator==(const CsvEvent&, const CsvEvent&) = default;
};

std::ostream& operator<<(std::ostream& o, const CsvEvent& e) {
  return o << e.tick << (e.on ? " on " : " off ") << e.note;
}

// The note events midicsv reads in a file; fails the test when midicsv complains.
std::vector<CsvEvent> midicsv_events(const std::filesystem::path& file,
                                     const std::filesystem::path& work) {
  const auto csv = work / "out.csv";
  const auto err = work / "err.txt";
  EXPECT_EQ(run("midicsv '" + file.string() + "' '" + csv.string() + "' 2>'" + err.string() + "'"),
            0)
      << file;
  EXPECT_EQ(test::read_file(err), "") << file;
  std::vector<CsvEvent> v;
  std::ifstream in(csv);
  for (std::string line; std::getline(in, line);) {
    std::stringstream ss(line);
    std::string track, tick, type, channel, note, velocity;
    std::getline(ss, track, ',');
    std::getline(ss, tick, ',');
    std::getline(ss, type, ',');
    if (type != " Note_on_c" && type != " Note_off_c") continue;
    std::getline(ss, channel, ',');
    std::getline(ss, note, ',');
    std::getline(ss, velocity, ',');
    v.push_back(
        {std::stoll(tick), type == " Note_on_c" && std::stoi(velocity) > 0, std::stoi(note)});
  }
  return v;
}

// What the records tell the organ to do: each output change at its time, as a note event.
std::vector<CsvEvent> changes_of(const std::vector<std::string>& records, RecordLayout layout,
                                 const NoteTable& table) {
  std::vector<CsvEvent> v;
  const int width = score::output_count(layout);
  const int field = score::delay_digits(layout);
  std::string previous(static_cast<std::size_t>(width), '0');
  std::int64_t t = 0;
  for (const auto& r : records) {
    t += score::decode_delay(r, layout);
    for (int j = 0; j < width; ++j) {
      const char d = r[static_cast<std::size_t>(field + j)];
      if (d != previous[static_cast<std::size_t>(j)])
        v.push_back({t, d == '1', table[static_cast<std::size_t>(width - 1 - j)]});
    }
    previous = r.substr(static_cast<std::size_t>(field));
  }
  return v;
}

std::vector<std::filesystem::path> tunes([[maybe_unused]] const test::TempDir& dir) {
  std::vector<std::filesystem::path> v = test::shared_midi_files();
#ifndef _WIN32
  // The example tunes are written by Python, which the Windows build of the tests has not.
  const auto examples = dir.path() / "examples";
  EXPECT_EQ(run("python3 '" SOLMIR_SOURCE_DIR "/examples/make_examples.py' '" + examples.string() +
                "' >/dev/null"),
            0);
  for (const auto& e : std::filesystem::directory_iterator(examples)) v.push_back(e.path());
#endif
  return v;
}

struct Prepared {
  std::vector<std::string> records;
  NoteTable table;
  RecordLayout layout;
  std::string failure;
};

// Opens a tune in a fresh main window set up by `setup`, and exports its image to `out`.
Prepared prepare_and_export(const std::filesystem::path& tune, const std::filesystem::path& out,
                            const std::function<void(Form1&)>& setup = {}) {
  test::Rig rig;
  Form1& f = rig.start();
  if (setup) setup(f);
  rig.dialogs.paths.push_back(tune.string());
  f.Ouvre_midi.click();
  Prepared p{f.Liste_tran, f.table_notes,
             score::record_layout(f.mode42.value(), f.Option32.value(), f.mode_demo),
             f.last_failure};
  if (!out.empty()) {
    rig.dialogs.paths.push_back(out.string());
    f.Sauve_midi.click();
    EXPECT_EQ(rig.dialogs.messages,
              std::vector<std::string>{"Sauvegarde au format midi effectuée"});
  }
  return p;
}

// Every exported file is read without complaint by midicsv, mido and our own reader, and
// holds exactly the output changes of the records at their times.
TEST(MidiExportFiles, ReadBackByMidicsvMidoAndOurReader) {
  if (!have("midicsv")) GTEST_SKIP() << "midicsv manquant";
  test::TempDir dir;
  const std::pair<const char*, std::function<void(Form1&)>> setups[] = {
      {"29", {}},
      {"29 marks", [](Form1& f) { f.Check_marque.set_value(true); }},
      {"32", [](Form1& f) { f.Option32.set_value(true); }},
      {"42", [](Form1& f) { f.mode42.set_value(true); }},
      {"percussion", [](Form1& f) { f.Midi_channel(9).set_value(true); }},
      {"29 separated, aligned",
       [](Form1& f) {
         f.separe_note.set_text("6");
         f.aligne_note.set_text("4");
       }},
  };
  std::string all_files;
  int n = 0;
  for (const auto& tune : tunes(dir)) {
    for (const auto& [what, setup] : setups) {
      const auto out = dir.path() / ("export-" + std::to_string(n++) + ".mid");
      const Prepared p = prepare_and_export(tune, out, setup);
      ASSERT_EQ(p.failure, "") << tune << " " << what;
      EXPECT_EQ(midicsv_events(out, dir.path()), changes_of(p.records, p.layout, p.table))
          << tune << " " << what;
      const ListingResult back = desassemble_midi(test::read_file(out), out.string());
      EXPECT_EQ(back.end, ListingEnd::completed) << tune << " " << what;
      EXPECT_EQ(back.code_erreur_midi, 0) << tune << " " << what;
      all_files += " '" + out.string() + "'";
    }
  }
  if (run("/usr/bin/python3 -c 'import mido' 2>/dev/null") == 0) {
    EXPECT_EQ(run("/usr/bin/python3 -c 'import sys, mido\nfor p in sys.argv[1:]: "
                  "mido.MidiFile(p)'" +
                  all_files),
              0);
  }
}

// A 27/29-note image exported and opened again with the default speed and step gives back
// the same changes: every start at its tick, every release at its tick or one tick early.
// The early releases come from the note extraction: the listing rounds times to whole
// milliseconds (a card tick is 4.1667 ms) and the extraction drops the fraction of a note's
// length in ticks, so a length that comes back as 59.84 ticks is 59.
TEST(MidiExportFiles, ReimportingAnExportGivesBackTheSameImage) {
  test::TempDir dir;
  int n = 0;
  for (const auto& tune : tunes(dir)) {
    const auto out = dir.path() / ("export-" + std::to_string(n++) + ".mid");
    const Prepared first = prepare_and_export(tune, out);
    const Prepared again = prepare_and_export(out, {});
    ASSERT_EQ(again.failure, "") << tune;
    auto a = changes_of(first.records, first.layout, first.table);
    auto b = changes_of(again.records, again.layout, again.table);
    ASSERT_EQ(a.size(), b.size()) << tune;
    ASSERT_FALSE(a.empty()) << tune;
    const std::int64_t a0 = a.front().tick, b0 = b.front().tick;
    int early = 0;
    std::vector<bool> used(b.size(), false);
    for (const auto& x : a) {
      // Changes of one instant may come in another order when a release moved.
      std::size_t j = 0;
      for (; j < b.size(); ++j) {
        const auto& y = b[j];
        if (!used[j] && y.note == x.note && y.on == x.on &&
            (y.tick - b0 == x.tick - a0 || (!x.on && y.tick - b0 == x.tick - a0 - 1)))
          break;
      }
      ASSERT_LT(j, b.size()) << tune << ": " << x;
      used[j] = true;
      if (b[j].tick - b0 != x.tick - a0) ++early;
    }
    // The first change comes after the initial delay again. Where the first records of the
    // image changed no output (notes outside the scale), their silence was carried into the
    // first event of the file, and the new image starts with the initial delay instead.
    EXPECT_EQ(b0, 400) << tune;
    EXPECT_GE(a0, 400) << tune;
    // When nothing moved, the records themselves are the same.
    if (early == 0 && a0 == b0) {
      EXPECT_EQ(first.records, again.records) << tune;
    }
  }
}

TEST(MidiExportFiles, ATuneOnWholeMillisecondsComesBackRecordForRecord) {
  // Every time a multiple of 6 ticks (25 ms): nothing is rounded on the way.
  test::TrackBuilder t;
  for (int i = 0; i < 29; ++i) {
    t.note_on(i ? 12 : 0, 1, score::kBaseScale[static_cast<std::size_t>(i)]);
    t.note_on(0, 1, score::kBaseScale[static_cast<std::size_t>(28 - i)]);
    t.note_off(48, 1, score::kBaseScale[static_cast<std::size_t>(i)]);
    t.note_off(0, 1, score::kBaseScale[static_cast<std::size_t>(28 - i)]);
  }
  t.end();
  test::TempDir dir;
  const auto tune = dir.path() / "t.mid";
  test::write_file(tune, test::smf(0, 120, {t}));
  const Prepared first = prepare_and_export(tune, dir.path() / "x.mid");
  const Prepared again = prepare_and_export(dir.path() / "x.mid", {});
  EXPECT_EQ(first.records.size(), 58u);
  EXPECT_EQ(again.records, first.records);
}

// ---------------------------------------------------------------- the menu command

struct SaveMidi : ::testing::Test {
  test::Rig rig;
  Form1* f = nullptr;
  void SetUp() override {
    f = &rig.start();
    f->Titre.set_text("Greensl");
    f->Liste_tran = {"00110010000" + outputs(29, {5}), "00000111100" + std::string(29, '0')};
    f->card_image_made(ImageSource::midi_file, true);
  }
};

TEST_F(SaveMidi, WritesTheFileUnderTheChosenName) {
  const auto out = rig.dir.path() / "sortie.mid";
  rig.dialogs.paths.push_back(out.string());
  f->Sauve_midi.click();
  EXPECT_EQ(rig.dialogs.last_title, "Sauver le fichier Midi sous...");
  EXPECT_EQ(rig.dialogs.last_filters, "Fichier Midi (*.mid)|*.mid|Tous (*.*)|*.*|");
  EXPECT_EQ(rig.dialogs.last_proposed, "Greensl_VELoR.mid");
  EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Sauvegarde au format midi effectuée"});
  EXPECT_FALSE(rig.dialogs.busy);
  EXPECT_EQ(f->nb_octets_ecrits, 40);
  const std::string bytes = test::read_file(out);
  ASSERT_EQ(bytes.size(), 62u);
  EXPECT_EQ(hex_of(bytes.substr(49)), "83 10 90 3C 64 3C 80 3C 00 00 FF 2F 00");
  EXPECT_FALSE(std::filesystem::exists(out.string() + ".part"));
}

// The demo piece is held in the 27/29-note layout whatever the scale boxes say since.
TEST_F(SaveMidi, TheDemoPieceIsReadInItsOwnLayout) {
  f->Prog_demo_Click();
  f->Option32.set_value(true);
  const auto out = rig.dir.path() / "demo.mid";
  rig.dialogs.paths.push_back(out.string());
  f->Sauve_midi.click();
  EXPECT_EQ(hex_of(test::read_file(out).substr(49)), "83 10 90 3C 64 3C 80 3C 00 00 FF 2F 00");
}

TEST_F(SaveMidi, CancellingWritesNothing) {
  f->Sauve_midi.click();
  EXPECT_TRUE(rig.dialogs.messages.empty());
  EXPECT_FALSE(rig.dialogs.busy);
  EXPECT_TRUE(std::filesystem::is_empty(rig.dir.path() / "programme"));
}

TEST_F(SaveMidi, AFileThatCannotBeWrittenIsReportedAndNothingIsLost) {
  struct Case {
    const char* what;
    std::filesystem::path path;
  } cases[] = {
      {"missing folder", rig.dir.path() / "absent" / "x.mid"},
      {"a folder of that name", rig.dir.path() / "dossier.mid"},
  };
  std::filesystem::create_directories(cases[1].path);
  test::write_file(cases[1].path / "garde.txt", "garde");
  for (const Case& c : cases) {
    rig.dialogs.messages.clear();
    rig.dialogs.paths.push_back(c.path.string());
    f->Sauve_midi.click();
    const std::string failure =
        "Échec de la sauvegarde au format midi : impossible d'écrire " + c.path.string();
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{failure}) << c.what;
    EXPECT_EQ(f->last_failure, failure) << c.what;
    EXPECT_FALSE(rig.dialogs.busy) << c.what;
    EXPECT_FALSE(std::filesystem::exists(c.path.string() + ".part")) << c.what;
  }
  EXPECT_EQ(test::read_file(cases[1].path / "garde.txt"), "garde");
}

TEST_F(SaveMidi, AnExistingFileIsReplaced) {
  const auto out = rig.dir.path() / "sortie.mid";
  test::write_file(out, std::string(500, 'x'));
  rig.dialogs.paths.push_back(out.string());
  f->Sauve_midi.click();
  EXPECT_EQ(test::read_file(out).size(), 62u);
}

TEST_F(SaveMidi, ListLinesThatAreNotRecordsAreSkippedAndCounted) {
  f->Liste_tran.insert(f->Liste_tran.begin(), "HEAD ##10000  /tmp/x.mid 01500");
  rig.dialogs.paths.push_back((rig.dir.path() / "x.mid").string());
  f->Sauve_midi.click();
  EXPECT_EQ(rig.message_lines().back(),
            " 1 lignes de la liste ne sont pas des enregistrements de carte : elles ont été "
            "ignorées");
  EXPECT_EQ(test::read_file(rig.dir.path() / "x.mid").size(), 62u);
}

}  // namespace
}  // namespace solmir::midi
