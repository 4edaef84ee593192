// The one window state: the enables it gives (a table), and the main window driven through the
// sequences where its controls used to carry the state (a stale image, a transfer during which
// another piece is prepared, a MIDI file that cannot be read whole or holds no note).
#include <gtest/gtest.h>

#include <functional>

#include "board/commands.h"
#include "board/programming.h"
#include "midi/listing.h"
#include "tests/support/board_rig.h"
#include "tests/support/card_image_rig.h"
#include "tests/support/midi_builder.h"

namespace solmir {
namespace {

using test::BoardRig;
using test::TrackBuilder;

// ---------------------------------------------------------------- the derivation

WindowState running(std::initializer_list<Activity> as) {
  WindowState s;
  for (Activity a : as) ++s.running[static_cast<std::size_t>(a)];
  return s;
}

WindowState with_link(WindowState s) {
  s.link_open = true;
  return s;
}

WindowState with_image(WindowState s, bool programmable = true) {
  s.image.present = true;
  s.image.saveable = true;
  s.image.programmable = programmable;
  return s;
}

struct DeriveCase {
  const char* name;
  WindowState state;
  bool stale;
  Enables expected;
};

// Columns of Enables: programmer, caption, Sauve_midi, Infos, Effacer, Tester, Copier,
// fenetre_params, Prog_demo, option32N, scale boxes.
const char* P = kCaptionProgram;
const char* R = kCaptionRefresh;

TEST(WindowStateDerivation, EachStateGivesItsEnablesAndCaption) {
  WindowState copy_mode = with_image(with_link({}));
  copy_mode.copy_mode = true;
  WindowState custom;
  custom.custom_scale = true;
  WindowState unsaveable = with_image(with_link({}));
  unsaveable.image.saveable = false;
  const DeriveCase cases[] = {
      {"nothing",
       {},
       false,
       {false, P, false, false, false, false, false, false, false, false, true}},
      {"link, no image",
       with_link({}),
       false,
       {false, P, false, true, true, true, true, true, true, true, true}},
      {"link, fresh image",
       with_image(with_link({})),
       false,
       {true, P, true, true, true, true, true, true, true, true, true}},
      {"link, stale image",
       with_image(with_link({})),
       true,
       {true, R, true, true, true, true, true, true, true, true, true}},
      {"demo too long",
       with_image(with_link({}), false),
       false,
       {false, P, true, true, true, true, true, true, true, true, true}},
      {"demo too long, inputs changed since: the click reloads",
       with_image(with_link({}), false),
       true,
       {true, R, true, true, true, true, true, true, true, true, true}},
      {"image without link",
       with_image({}),
       false,
       {false, P, true, false, false, false, false, false, false, false, true}},
      {"stale image without link",
       with_image({}),
       true,
       {false, R, true, false, false, false, false, false, false, false, true}},
      {"image already programmed",
       unsaveable,
       false,
       {true, P, false, true, true, true, true, true, true, true, true}},
      {"programming",
       with_image(with_link(running({Activity::programming}))),
       false,
       {true, P, true, false, false, false, false, false, true, true, false}},
      {"programming, a MIDI file opened meanwhile",
       with_image(with_link(running({Activity::programming, Activity::opening_midi}))),
       false,
       {false, P, false, false, false, false, false, false, true, true, false}},
      {"reading the card",
       with_image(with_link(running({Activity::reading_card}))),
       false,
       {false, P, true, false, false, false, false, false, true, true, true}},
      {"writing the title again",
       with_image(with_link(running({Activity::writing_title}))),
       false,
       {false, P, true, false, false, false, false, false, true, true, true}},
      {"copying",
       with_image(with_link(running({Activity::copying}))),
       false,
       {false, P, true, false, false, false, false, false, true, true, true}},
      {"erasing or testing",
       with_image(with_link(running({Activity::erasing_testing}))),
       false,
       {false, P, true, false, false, false, false, false, true, true, true}},
      {"copy mode",
       copy_mode,
       false,
       {true, P, true, true, false, false, false, true, true, true, true}},
      {"board settings",
       with_image(with_link(running({Activity::board_settings}))),
       false,
       {false, P, true, false, false, false, false, false, false, true, true}},
      {"firmware upload",
       with_image(with_link(running({Activity::firmware_upload}))),
       false,
       {false, P, false, false, false, false, false, false, false, false, true}},
      {"port scan",
       running({Activity::port_scan}),
       false,
       {false, P, false, false, false, false, false, false, false, false, true}},
      {"opening a MIDI file",
       with_image(with_link(running({Activity::opening_midi}))),
       false,
       {false, P, false, true, true, true, false, true, true, true, true}},
      {"custom scale",
       custom,
       false,
       {false, P, false, false, false, false, false, false, false, false, false}},
  };
  for (const DeriveCase& c : cases) {
    const Enables e = derive_enables(c.state, c.stale);
    EXPECT_EQ(e.programmer, c.expected.programmer) << c.name;
    EXPECT_EQ(e.programmer_caption, c.expected.programmer_caption) << c.name;
    EXPECT_EQ(e.Sauve_midi, c.expected.Sauve_midi) << c.name;
    EXPECT_EQ(e.Infos_carte, c.expected.Infos_carte) << c.name;
    EXPECT_EQ(e.Effacer_carte, c.expected.Effacer_carte) << c.name;
    EXPECT_EQ(e.Tester_carte, c.expected.Tester_carte) << c.name;
    EXPECT_EQ(e.Copier_carte, c.expected.Copier_carte) << c.name;
    EXPECT_EQ(e.fenetre_params, c.expected.fenetre_params) << c.name;
    EXPECT_EQ(e.Prog_demo, c.expected.Prog_demo) << c.name;
    EXPECT_EQ(e.option32N, c.expected.option32N) << c.name;
    EXPECT_EQ(e.scale_boxes, c.expected.scale_boxes) << c.name;
  }
}

TEST(WindowStateDerivation, StaleOnlyWithAnImageMadeFromOtherInputs) {
  WindowState s;
  const ImageInputs a{{"vitesse", "60"}}, b{{"vitesse", "61"}};
  EXPECT_FALSE(s.stale(b));  // no image: nothing can be stale
  s.image.present = true;
  s.image.built_from = a;
  EXPECT_FALSE(s.stale(a));
  EXPECT_TRUE(s.stale(b));
}

// ---------------------------------------------------------------- the window

// A tune of n notes of channel 1, one after the other.
std::string tune_of(int notes) {
  TrackBuilder t;
  for (int i = 0; i < notes; ++i) t.note_on(0, 1, 60 + i % 12).note_off(240, 1, 60 + i % 12);
  t.end();
  return test::smf(0, 480, {t});
}

struct MainWindowState : ::testing::Test {
  BoardRig b;
  Form1* f = nullptr;
  std::filesystem::path tune;
  void SetUp() override {
    f = &b.start();
    tune = b.rig.dir.path() / "Valse.mid";
    test::write_file(tune, tune_of(4));
  }
  void open(const std::filesystem::path& p) {
    b.rig.dialogs.paths.push_back(p.string());
    f->Ouvre_midi.click();
  }
  std::size_t sent() { return b.board().lines().size(); }
};

TEST_F(MainWindowState, EveryInputOfTheImageMakesItStaleAndTheClickReloads) {
  struct Case {
    const char* what;
    std::function<void(Form1&)> change;
  } cases[] = {
      {"vitesse", [](Form1& g) { g.vitesse.set_text("50"); }},
      {"Pas_ech", [](Form1& g) { g.Pas_ech.set_text("0.5"); }},
      {"Delai_init", [](Form1& g) { g.Delai_init.set_text("20"); }},
      {"separe_note", [](Form1& g) { g.separe_note.set_text("3"); }},
      {"aligne_note", [](Form1& g) { g.aligne_note.set_text("2"); }},
      {"note30", [](Form1& g) { g.note30.set_text("90"); }},
      {"marks", [](Form1& g) { g.form2.Check1.set_value(true); }},
      {"looping", [](Form1& g) { g.Check_boucle.set_value(true); }},
      {"channel", [](Form1& g) { g.Midi_channel(0).set_value(true); }},
      {"42 notes", [](Form1& g) { g.mode42.set_value(true); }},
  };
  for (const Case& c : cases) {
    BoardRig r;
    Form1& g = r.start();
    const auto p = r.rig.dir.path() / "Valse.mid";
    test::write_file(p, tune_of(4));
    r.rig.dialogs.paths.push_back(p.string());
    g.Ouvre_midi.click();
    ASSERT_EQ(g.programmer.caption(), "Programmer") << c.what;
    ASSERT_TRUE(g.programmer.enabled()) << c.what;
    const auto old_image = g.Liste_tran;
    c.change(g);
    EXPECT_EQ(g.programmer.caption(), "Rafraichir") << c.what;
    EXPECT_TRUE(g.programmer.enabled()) << c.what;
    // The click reloads the same file: nothing goes to the board.
    const std::size_t before = r.board().lines().size();
    g.programmer.click();
    EXPECT_EQ(r.board().lines().size(), before) << c.what;
    EXPECT_EQ(g.programmer.caption(), "Programmer") << c.what;
    EXPECT_FALSE(g.card_image_stale()) << c.what;
    // The next click writes the image made from the new inputs.
    g.programmer.click();
    ASSERT_TRUE(r.card().piece('A')) << c.what;
    EXPECT_EQ(r.card().piece('A')->count, static_cast<int>(g.Liste_tran.size())) << c.what;
  }
}

TEST_F(MainWindowState, TheOtherInitialDelayAndTheTitleDoNotShapeTheImage) {
  open(tune);
  f->Delai_init_demo.set_text("30");  // only the demo piece starts with it
  f->Titre.set_text("Autre");
  f->choixb.set_value(true);
  EXPECT_EQ(f->programmer.caption(), "Programmer");
  EXPECT_FALSE(f->card_image_stale());
}

TEST_F(MainWindowState, AnOverLongDemoPreparedDuringATransferIsNeverWritten) {
  board::virt::BoardOptions o;
  o.card_timing = true;  // the transfer takes long enough for the user to do things
  BoardRig r(o);
  Form1& g = r.start();
  const auto normal = r.rig.dir.path() / "Valse.mid";
  const auto long_tune = r.rig.dir.path() / "Long.mid";
  test::write_file(normal, tune_of(150));
  test::write_file(long_tune, tune_of(600));
  r.rig.dialogs.paths.push_back(normal.string());
  g.Ouvre_midi.click();
  ASSERT_TRUE(g.programmer.enabled());
  bool prepared = false;
  r.rig.loop.post(100, [&] {
    g.Prog_demo.click();
    r.rig.dialogs.paths.push_back(long_tune.string());
    g.Ouvre_midi.click();
    prepared = true;
    EXPECT_FALSE(g.programmer.enabled());
  });
  g.programmer.click();
  ASSERT_TRUE(prepared);
  EXPECT_EQ(test::count_of(r.message_lines(), board::kMsgProgrammed), 1);
  EXPECT_NE(r.rig.form->Label_defautP.text().find("Morceau trop long ("), std::string::npos);
  // The end of the transfer follows the builder's rule for the image now in memory.
  EXPECT_FALSE(g.programmer.enabled());
  EXPECT_TRUE(g.Infos_carte.enabled());
  const std::size_t before = r.board().lines().size();
  g.programmer.click();
  EXPECT_EQ(r.board().lines().size(), before);
  EXPECT_FALSE(r.card().piece('D'));
}

TEST_F(MainWindowState, AFileReadOnlyInPartIsSaidInFrenchAndAskedAboutBeforeProgramming) {
  std::string bytes = tune_of(4);
  bytes.resize(bytes.size() - 4);  // the end of the track is missing
  test::write_file(tune, bytes);
  open(tune);
  const auto m = b.message_lines();
  const auto french = std::find_if(m.begin(), m.end(), [](const std::string& l) {
    return l.rfind(midi::kMsgIncompleteFile, 0) == 0;
  });
  ASSERT_NE(french, m.end());
  EXPECT_NE(french->find("notes lues avant l'erreur sont gardées"), std::string::npos);
  EXPECT_EQ(std::count_if(m.begin(), m.end(),
                          [](const std::string& l) { return l.find("Midifile") != l.npos; }),
            0);
  EXPECT_NE(test::read_file(f->log_file).find(*french), std::string::npos);
  // What was read is kept, and can be programmed once the user says so.
  EXPECT_FALSE(f->Liste_tran.empty());
  EXPECT_TRUE(f->programmer.enabled());
  EXPECT_TRUE(f->state.image.incomplete_file);

  const std::size_t before = sent();
  f->programmer.click();  // no answer queued: No, the default
  EXPECT_EQ(b.rig.dialogs.questions, std::vector<std::string>{Form1::kMsgIncompleteQuestion});
  EXPECT_EQ(sent(), before);
  EXPECT_FALSE(b.card().piece('A'));
  b.rig.dialogs.answers = {true};
  f->programmer.click();
  ASSERT_TRUE(b.card().piece('A'));
  EXPECT_EQ(b.message_lines().back(), board::kMsgProgrammed);
}

TEST_F(MainWindowState, AFileWithNothingToKeepLeavesNoImage) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"empty file", "", std::string(midi::kMsgNotMidi)},
      {"not MIDI", "RIFF....WAVEfmt ", std::string(midi::kMsgNotMidi)},
      {"no note", tune_of(0), "Aucune note à garder"},
  };
  for (const Case& c : cases) {
    BoardRig r;
    Form1& g = r.start();
    // A good piece first: a failed road must not leave it behind as if it were the new one.
    const auto good = r.rig.dir.path() / "Valse.mid";
    test::write_file(good, tune_of(4));
    r.rig.dialogs.paths.push_back(good.string());
    g.Ouvre_midi.click();
    ASSERT_TRUE(g.programmer.enabled()) << c.what;
    const auto p = r.rig.dir.path() / "rien.mid";
    test::write_file(p, c.bytes);
    r.rig.dialogs.paths.push_back(p.string());
    g.Ouvre_midi.click();
    EXPECT_NE(r.message_lines().back().find(c.message), std::string::npos)
        << c.what << ": " << r.message_lines().back();
    EXPECT_NE(g.last_failure, "") << c.what;
    EXPECT_TRUE(g.Liste_tran.empty()) << c.what;
    EXPECT_FALSE(g.programmer.enabled()) << c.what;
    EXPECT_FALSE(g.Sauve_midi.enabled()) << c.what;
    // Asked anyway (the command line asks for it directly), the export writes nothing.
    const auto out = r.rig.dir.path() / "sortie.mid";
    r.rig.dialogs.paths.push_back(out.string());
    g.Sauve_midi_Click();
    EXPECT_FALSE(std::filesystem::exists(out)) << c.what;
    for (const auto& box : r.rig.dialogs.messages)
      EXPECT_NE(box, "Sauvegarde au format midi effectuée") << c.what;
  }
}

TEST_F(MainWindowState, ACopiedPieceWaitsForItsTargetAndProgrammingEndsCopyMode) {
  b.card().put_piece('A', board::virt::Format::notes29, 6);
  f->Copier_carte.click();
  EXPECT_TRUE(f->state.copy_mode);
  EXPECT_TRUE(f->programmer.enabled());
  EXPECT_FALSE(f->Effacer_carte.enabled());
  f->choixb.set_value(true);
  f->programmer.click();
  ASSERT_TRUE(b.card().piece('B'));
  EXPECT_FALSE(f->state.copy_mode);
  for (const Control* c : std::initializer_list<const Control*>{
           &f->programmer, &f->Infos_carte, &f->Effacer_carte, &f->Tester_carte, &f->Copier_carte})
    EXPECT_TRUE(c->enabled()) << c->name();
}

TEST_F(MainWindowState, LosingTheLinkAndFindingItAgainKeepsTheImageProgrammable) {
  open(tune);
  f->device_removal(f->open_port_name);
  EXPECT_FALSE(f->state.link_open);
  EXPECT_EQ(f->Shape1.color(), kRed);
  EXPECT_FALSE(f->programmer.enabled());
  EXPECT_FALSE(f->Infos_carte.enabled());
  f->port.set_text("0");
  f->Label2.click();  // the scan finds the board again
  EXPECT_TRUE(f->state.link_open);
  EXPECT_EQ(f->Shape1.color(), kGreen);
  EXPECT_TRUE(f->programmer.enabled());
}

}  // namespace
}  // namespace solmir
