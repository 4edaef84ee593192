// "Ouvrir fichier Midi...": the whole run from the file dialog to the log.
#include <gtest/gtest.h>

#include "tests/support/fakes.h"
#include "tests/support/midi_builder.h"

namespace solmir {
namespace {

using test::smf;
using test::TrackBuilder;

std::string simple_tune() {
  TrackBuilder t;
  t.note_on(0, 1, 60).note_off(480, 1, 60).note_on(0, 2, 64).note_off(3, 2, 64).end();
  return smf(0, 480, {t});
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::size_t b = 0;
  for (std::size_t e; (e = text.find("\r\n", b)) != std::string::npos; b = e + 2)
    v.push_back(text.substr(b, e - b));
  return v;
}

struct OpenMidi : ::testing::Test {
  test::Rig rig;
  Form1* f = nullptr;
  std::filesystem::path tune;
  void SetUp() override {
    f = &rig.start();
    tune = rig.dir.path() / "Au clair.mid";
    test::write_file(tune, simple_tune());
  }
  void open(const std::filesystem::path& p) {
    rig.dialogs.paths.push_back(p.string());
    f->Ouvre_midi.click();
  }
  std::string log() { return test::read_file(f->log_file); }
};

TEST_F(OpenMidi, FillsTheNoteListTitleAndLog) {
  open(tune);
  EXPECT_EQ(rig.dialogs.last_filters, "Fichiers (*.mid)|*.mid|Tous (*.*)|*.*|");
  EXPECT_EQ(f->Label4.caption(), tune.string());
  EXPECT_EQ(f->Titre.text(), "Au clair.mid");
  EXPECT_EQ(f->chemin_midi, tune.string());
  ASSERT_EQ(f->Liste1.size(), 2u);
  EXPECT_EQ(score::render(f->Liste1[0]), "0000000 00060 NOTE ");
  EXPECT_EQ(f->duree_action_totale, 120);
  EXPECT_FALSE(rig.dialogs.busy);
  EXPECT_FALSE(f->recharger_fichier);
  EXPECT_NE(f->Label_defautP.text().find("Désassemblage du fichier midi\r\n"), std::string::npos);

  const auto l = lines_of(log());
  ASSERT_GE(l.size(), 7u);
  EXPECT_EQ(l[0], "Traitement de : " + tune.string());
  EXPECT_EQ(l[2], " ");
  EXPECT_EQ(l[3], "Désassemblage du fichier midi");
  EXPECT_EQ(l[4], " 2 événements note-ON identifiés");
  EXPECT_EQ(l[5], " 2 événements note-OFF identifiés");
  EXPECT_EQ(l[6], " 1 couples d'événements note-ON/note-OFF retenus");
  // The settings were saved at the start of the run.
  EXPECT_EQ(rig.settings.saved_keys.front(), "Port");
}

TEST_F(OpenMidi, SecondRunAppendsAfterASeparatorAndFirstRunReplaces) {
  test::write_file(rig.environment.documents_ / "Solmir" / "Solmir.log", "ancien journal\r\n");
  open(tune);
  EXPECT_EQ(log().find("ancien journal"), std::string::npos);
  open(tune);
  const auto l = lines_of(log());
  const auto sep = std::find(l.begin(), l.end(), std::string(73, '-'));
  ASSERT_NE(sep, l.end());
  EXPECT_EQ(*(sep - 1), " ");
  EXPECT_EQ(*(sep + 1), " ");
  EXPECT_EQ(*(sep + 2), "Traitement de : " + tune.string());
}

TEST_F(OpenMidi, PercussionTitleAndCancelledDialog) {
  f->Midi_channel(9).set_value(true);
  open(tune);
  EXPECT_EQ(f->Titre.text(), "PcAu clai");
  f->Titre.set_text("garde");
  f->Ouvre_midi.click();  // no path: the dialog was cancelled
  EXPECT_EQ(f->Titre.text(), "garde");
}

TEST_F(OpenMidi, FailuresAreReportedAndThePointerRestored) {
  struct Case {
    const char* what;
    std::function<void(Form1&)> setup;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"time-code division", [](Form1&) {}, test::smf_header(0, 1, 0xE728),
       "Traitement interrompu : Fichier midi non traitable : division temporelle en codes SMPTE "
       "(non prise en charge)"},
      {"speed not a number", [](Form1& g) { g.vitesse.set_text("vite"); }, simple_tune(),
       "Traitement interrompu : La vitesse ne contient pas un nombre : \"vite\""},
      {"zero step", [](Form1& g) { g.Pas_ech.set_text("0"); }, simple_tune(),
       "Traitement interrompu : Le pas d'échantillonnage ne peut pas être nul"},
      {"missing file", [](Form1&) {}, "", ""},
  };
  for (auto& c : cases) {
    test::Rig r;
    Form1& g = r.start();
    c.setup(g);
    auto p = r.dir.path() / "t.mid";
    if (!c.bytes.empty()) test::write_file(p, c.bytes);
    if (c.message.empty())
      c.message = "Traitement interrompu : Impossible de lire le fichier midi : " + p.string();
    r.dialogs.paths.push_back(p.string());
    g.Ouvre_midi.click();
    EXPECT_EQ(r.message_lines().back(), c.message) << c.what;
    EXPECT_FALSE(r.dialogs.busy) << c.what;
    EXPECT_FALSE(g.recharger_fichier) << c.what;
  }
}

TEST_F(OpenMidi, ATruncatedFileSaysSoAndGoesOnWithWhatWasRead) {
  std::string bytes = simple_tune();
  bytes.resize(bytes.size() - 4);  // loses the end of the track
  test::write_file(tune, bytes);
  open(tune);
  // Said in French, with what was kept; the converter's own English lines stay out.
  const auto m = rig.message_lines();
  const auto at = std::find_if(m.begin(), m.end(), [](const std::string& l) {
    return l.rfind("Fichier MIDI incomplet ou corrompu : fin de fichier inattendue", 0) == 0;
  });
  ASSERT_NE(at, m.end());
  EXPECT_NE(at->find("; 1 note lue avant l'erreur est gardée"), std::string::npos);
  EXPECT_EQ(std::find(m.begin(), m.end(), "*** Midifile corrupt, unexpected EOF."), m.end());
  EXPECT_NE(log().find(*at + "\r\n"), std::string::npos);
  EXPECT_EQ(f->code_erreur_midi, 1);
  EXPECT_EQ(f->Liste1.size(), 2u);  // the first note was read before the end
}

}  // namespace
}  // namespace solmir
