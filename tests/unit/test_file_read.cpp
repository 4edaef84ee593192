// Reading a file that comes from outside: only regular files, only up to their limit, each
// refusal at once with its French message; the window's file opening follows the same rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "app/form1.h"
#include "base/file_read.h"
#include "base/numbers.h"
#include "board/params.h"
#include "board/virtual/card.h"
#include "tests/support/fakes.h"
#include "tests/support/midi_builder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace solmir {
namespace {

constexpr const char* kPrefix = "Impossible de lire le fichier : ";

TEST(FileRead, OnlyRegularFilesWithinTheirLimitAreRead) {
  test::TempDir dir;
  const auto small = dir.path() / "a.mid";
  test::write_file(small, "MThd123");
  const auto big = dir.path() / "big.ini";
  test::write_file(big, std::string(2049, 'x'));
  const auto fifo = dir.path() / "tube";
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
#endif
  struct Case {
    const char* what;
    std::filesystem::path path;
    std::uintmax_t limit;
    FileReadProblem problem;
    std::string message;
  };
  const std::string not_regular =
      "Ce n'est pas un fichier ordinaire (dossier, tube ou périphérique) : ";
  const Case cases[] = {
      {"a folder", dir.path(), 1000, FileReadProblem::not_regular,
       not_regular + dir.path().string()},
      {"a missing file", dir.path() / "absent.mid", 1000, FileReadProblem::missing,
       kPrefix + (dir.path() / "absent.mid").string()},
      {"a file above its limit", big, 2048, FileReadProblem::too_large,
       "Fichier trop volumineux (plus de 2 Kio) : " + big.string()},
#ifndef _WIN32
      // Opening a FIFO with no writer would block for ever.
      {"a FIFO", fifo, 1000, FileReadProblem::not_regular, not_regular + fifo.string()},
#endif
#ifdef __linux__
      // Reading /dev/zero would never end.
      {"a device", "/dev/zero", 1000, FileReadProblem::not_regular, not_regular + "/dev/zero"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      read_regular_file(c.path, c.limit, kPrefix);
      ADD_FAILURE() << "read";
    } catch (const FileReadFailure& e) {
      EXPECT_EQ(e.problem, c.problem);
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  EXPECT_EQ(read_regular_file(small, 7, kPrefix), "MThd123");
  EXPECT_EQ(read_regular_file(big, 2049, kPrefix), std::string(2049, 'x'));
}

TEST(FileRead, TheWindowRefusesAFolderAndSaysWhy) {
  test::Rig r;
  Form1& g = r.start();
  const auto folder = r.dir.path() / "dossier.mid";
  std::filesystem::create_directory(folder);
  r.dialogs.paths.push_back(folder.string());
  g.Ouvre_midi.click();
  EXPECT_EQ(r.message_lines().back(),
            "Traitement interrompu : Ce n'est pas un fichier ordinaire (dossier, tube ou "
            "périphérique) : " +
                folder.string());
  EXPECT_TRUE(g.Liste1.empty());
  EXPECT_FALSE(r.dialogs.busy);
}

TEST(FileRead, TheWindowSaysAFormatTwoFilePlaysItsSequencesTogether) {
  test::Rig r;
  Form1& g = r.start();
  test::TrackBuilder a, b;
  a.note_on(0, 1, 60).note_off(480, 1, 60).end();
  b.note_on(0, 1, 62).note_off(480, 1, 62).end();
  const auto p = r.dir.path() / "deux.mid";
  test::write_file(p, test::smf(2, 480, {a, b}));
  r.dialogs.paths.push_back(p.string());
  g.Ouvre_midi.click();
  const auto lines = r.message_lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Fichier MIDI de format 2 : ses séquences indépendantes sont jouées "
                      "ensemble"),
            lines.end());
  EXPECT_EQ(g.Liste1.size(), 4u);
}

}  // namespace
}  // namespace solmir

namespace solmir {
namespace {

// solmir.ini, table files and card files each have a size that suits them: beyond it the file
// is refused before it is read (a 300 MB line in solmir.ini cost gigabytes and was echoed).
TEST(FileRead, SettingsTablesAndCardsAreReadUnderTheirLimit) {
  {
    test::Rig rig;
    const auto ini = rig.environment.program_ / "solmir.ini";
    test::write_file(ini, "50\r\n" + std::string(70000, '9') + "\r\n80\r\n12\r\n");
    Form1& f = rig.start();
    EXPECT_EQ(f.vitesse.text(), "60");  // nothing of the file is taken
    EXPECT_NE(
        f.Label_defautP.text().find("Fichier trop volumineux (plus de 64 Kio) : " + ini.string()),
        std::string::npos);
    EXPECT_EQ(f.Label_defautP.text().find(std::string(100, '9')), std::string::npos);
  }
  test::TempDir dir;
  const auto big = dir.path() / "grand.sor";
  test::write_file(big, std::string(64 * 1024 + 1, '\n'));
  EXPECT_FALSE(board::read_text_lines(big).has_value());
  const auto small = dir.path() / "petit.txt";
  test::write_file(small, "1\r\n2\r\n");
  EXPECT_EQ(board::read_text_lines(small), (std::vector<std::string>{"1", "2"}));
  EXPECT_FALSE(board::read_text_lines(dir.path()).has_value());

  const auto card = dir.path() / "carte.bin";
  test::write_file(card, std::string(524288 + 1, '\xFF'));
  try {
    board::virt::Card::load(card);
    ADD_FAILURE() << "a file larger than any card was read";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Fichier trop volumineux", 0), 0u) << e.what();
  }
  test::write_file(card, std::string(2048, '\xFF'));
  EXPECT_NO_THROW(board::virt::Card::load(card));
}

}  // namespace
}  // namespace solmir

namespace solmir {
namespace {

// Numbers read from outside that no int holds are held at their bounds (their conversion was
// undefined: found by fuzzing solmir.ini and the saved settings).
TEST(FileRead, HugeNumbersFromSettingsAreHeldAtTheirBounds) {
  EXPECT_EQ(round_half_even(1e300), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(round_half_even(-1e300), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(round_half_even(std::nan("")), 0);
  EXPECT_EQ(round_half_even(2.5), 2);
  test::Rig rig;
  test::write_file(rig.environment.program_ / "solmir.ini", "60\n0.25\n100\n10\n## 1e300\n48\n");
  rig.settings.values["Solmir/Startup/largeur_fenetre"] = "1e300";
  Form1& f = rig.start();
  EXPECT_NE(f.window.caption().find(" 2147483647 notes"), std::string::npos) << f.window.caption();
  EXPECT_EQ(f.table_notes[0], 48);
}

}  // namespace
}  // namespace solmir
