// The reader board's parameters against the virtual board: the read-back, the parameter
// commands and table uploads, the parameter dialog's rules and validation, its shortcuts, and
// the odometer and EEPROM utilities.
#include <gtest/gtest.h>

#include <functional>

#include "board/params.h"
#include "tests/support/board_rig.h"

namespace solmir {
namespace {

using board::virt::BoardOptions;
using test::BoardRig;
using Bytes = std::array<std::uint8_t, 7>;

std::string bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s += static_cast<char>(b);
  return s;
}

// A main window connected to the virtual board, with the lines the board receives counted
// from a mark.
struct ParamsRig {
  explicit ParamsRig(Bytes params = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, BoardOptions o = {})
      : b(o) {
    b.board().params() = params;
    f = &b.start();
    mark();
  }
  Form1& form() { return *f; }
  board::Form9& d() { return f->form9; }
  void mark() {
    lines_mark = b.board().lines().size();
    messages_mark = b.message_lines().size();
    boxes_mark = b.rig.dialogs.messages.size();
  }
  std::vector<std::string> lines() {
    const auto& l = b.board().lines();
    return {l.begin() + static_cast<std::ptrdiff_t>(lines_mark), l.end()};
  }
  std::vector<std::string> messages() const {
    const auto l = b.message_lines();
    return {l.begin() + static_cast<std::ptrdiff_t>(messages_mark), l.end()};
  }
  std::vector<std::string> boxes() const {
    const auto& m = b.rig.dialogs.messages;
    return {m.begin() + static_cast<std::ptrdiff_t>(boxes_mark), m.end()};
  }
  // Opens the parameter dialog, then counts from there.
  void open() {
    f->fenetre_params.click();
    ASSERT_TRUE(d().window.visible());
    mark();
  }
  std::filesystem::path file(const std::string& name, const std::string& text) {
    const auto p = b.rig.dir.path() / name;
    test::write_file(p, text);
    return p;
  }

  BoardRig b;
  Form1* f = nullptr;
  std::size_t lines_mark = 0, messages_mark = 0, boxes_mark = 0;
};

// Text lines, each ended by a line end.
std::string text_lines(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string s;
  for (const auto& l : lines) s += l + end;
  return s;
}

// A 29-32 (37 lines) or 42-45 (58 lines) order table file in which output o is driven by
// note(o); the skipped lines hold words.
std::string order_file(bool is42, const std::function<int(int)>& note) {
  std::vector<std::string> l(is42 ? 58 : 37, "");
  for (std::size_t i : {0, 1, 2, 19, 20}) l[i] = "ligne sautée";
  auto block = [&](int first, int high, int low) {
    for (int k = 0; k < 8; ++k) {
      l[static_cast<std::size_t>(first - 1 + 2 * k)] = std::to_string(note(high - k));
      l[static_cast<std::size_t>(first + 2 * k)] = std::to_string(note(low + k));
    }
  };
  if (is42) {
    block(4, 47, 16);
    block(22, 39, 24);
    l[37] = "ligne sautée";
    block(39, 7, 8);
    for (std::size_t i = 54; i < 58; ++i) l[i] = "n'importe quoi";
  } else {
    block(4, 31, 0);
    block(22, 23, 8);
  }
  return text_lines(l);
}

// An instrument file of n lines, the instruments 1..10 on lines 4-13.
std::string instrument_file(std::size_t n, const std::string& fourth = "1") {
  std::vector<std::string> l;
  for (std::size_t i = 1; i <= n; ++i) {
    if (i == 4) {
      l.push_back(fourth);
    } else if (i >= 5 && i <= 13) {
      l.push_back(std::to_string(i - 3));
    } else {
      l.push_back("commentaire");
    }
  }
  return text_lines(l, "\r\n");
}

// ---------------------------------------------------------------- the table files

// A note table in which note 100 + i has the rank i + 1.
NoteTable ranked_table() {
  NoteTable t{};
  for (int i = 0; i < 45; ++i) t[static_cast<std::size_t>(i)] = 100 + i;
  return t;
}

TEST(OrderTableFile, EachLineGoesToItsOutput) {
  test::TempDir dir;
  const auto p29 = dir.path() / "t.sor";
  // Output 0 has no note (255); the others the note of rank o + 1.
  test::write_file(p29, order_file(false, [](int o) { return o == 0 ? 0 : 100 + o; }));
  const auto t29 = board::read_order_table_29_32(p29, ranked_table());
  ASSERT_TRUE(t29);
  std::vector<std::uint8_t> want29{255};
  for (int o = 1; o < 32; ++o) want29.push_back(static_cast<std::uint8_t>(o + 1));
  want29.insert(want29.end(), {255, 255, 255});
  EXPECT_EQ(*t29, want29);

  // Outputs 45-47 hold notes that are not in the table: rank 1.
  const auto p42 = dir.path() / "t42.sor";
  test::write_file(p42, order_file(true, [](int o) { return 100 + o; }));
  const auto t42 = board::read_order_table_42_45(p42, ranked_table());
  ASSERT_TRUE(t42);
  std::vector<std::uint8_t> want42;
  for (int o = 0; o < 48; ++o) want42.push_back(static_cast<std::uint8_t>(o < 45 ? o + 1 : 1));
  want42.insert(want42.end(), {0, 0});
  EXPECT_EQ(*t42, want42);
}

struct FileCase {
  const char* name;
  std::function<std::string()> text;
  bool accepted;
};

class OrderTable4245File : public ::testing::TestWithParam<FileCase> {};

TEST_P(OrderTable4245File, IsReadOrRefused) {
  test::TempDir dir;
  const auto p = dir.path() / "t.sor";
  test::write_file(p, GetParam().text());
  EXPECT_EQ(board::read_order_table_42_45(p, ranked_table()).has_value(), GetParam().accepted);
}

std::string lines42(std::size_t n) {
  std::string s = order_file(true, [](int o) { return 100 + o; });
  std::vector<std::string> l;
  for (std::size_t b = 0, e; (e = s.find('\n', b)) != std::string::npos; b = e + 1)
    l.push_back(s.substr(b, e - b));
  l.resize(n, "60");
  return text_lines(l);
}

INSTANTIATE_TEST_SUITE_P(Files, OrderTable4245File,
                         ::testing::Values(FileCase{"FiftySevenLines", [] { return lines42(57); },
                                                    false},
                                           FileCase{"FiftyEightLinesWhateverTheLastHold",
                                                    [] { return lines42(58); }, true},
                                           FileCase{"MoreLines", [] { return lines42(70); }, true},
                                           FileCase{"NoteNotANumber",
                                                    [] {
                                                      std::string s = lines42(58);
                                                      return s.replace(s.find("\n1") + 1, 1, "x");
                                                    },
                                                    false},
                                           FileCase{"WindowsLineEnds",
                                                    [] {
                                                      std::string s = lines42(58), out;
                                                      for (char c : s)
                                                        out += c == '\n' ? std::string("\r\n")
                                                                         : std::string(1, c);
                                                      return out;
                                                    },
                                                    true},
                                           FileCase{"Empty", [] { return std::string(); }, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OrderTable2932File, NeedsThirtySevenLinesOfWholeNumbers) {
  test::TempDir dir;
  const auto p = dir.path() / "t.sor";
  const std::string good = order_file(false, [](int o) { return 100 + o; });
  test::write_file(p, good);
  EXPECT_TRUE(board::read_order_table_29_32(p, ranked_table()));
  test::write_file(p, good.substr(0, good.rfind('\n', good.size() - 2) + 1));  // 36 lines
  EXPECT_FALSE(board::read_order_table_29_32(p, ranked_table()));
  std::string decimal = good;
  decimal.replace(decimal.find("\n1"), 4, "\n60.5");
  test::write_file(p, decimal);
  EXPECT_FALSE(board::read_order_table_29_32(p, ranked_table()));
  EXPECT_FALSE(board::read_order_table_29_32(dir.path() / "absent.sor", ranked_table()));
}

class InstrumentFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(InstrumentFile, IsReadOrRefused) {
  test::TempDir dir;
  const auto p = dir.path() / "i.txt";
  test::write_file(p, GetParam().text());
  const auto t = board::read_instrument_table(p);
  ASSERT_EQ(t.has_value(), GetParam().accepted);
  if (t) {
    EXPECT_EQ(t->size(), 10u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, InstrumentFile,
    ::testing::Values(FileCase{"ThirteenLines", [] { return instrument_file(13); }, true},
                      FileCase{"TwentyLines", [] { return instrument_file(20); }, true},
                      FileCase{"TwentyOneLines", [] { return instrument_file(21); }, false},
                      FileCase{"TwelveLines", [] { return instrument_file(12); }, false},
                      FileCase{"ValueAboveAByte", [] { return instrument_file(13, "256"); }, false},
                      FileCase{"NegativeValue", [] { return instrument_file(13, "-1"); }, false},
                      FileCase{"NotANumber", [] { return instrument_file(13, "piano"); }, false},
                      FileCase{"Blanks", [] { return instrument_file(13, " 255 "); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- read-back

struct ReadCase {
  const char* name;
  Bytes board;
  std::function<void(ParamsRig&)> check;
};

class ReadBack : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadBack, FillsTheDialogAndKeepsWhatWasRead) {
  ParamsRig r(GetParam().board);
  r.form().fenetre_params.click();
  EXPECT_EQ(r.lines(), (std::vector<std::string>{"VErSO", "", "NUuLL", "LEcPA", ""}));
  EXPECT_FALSE(r.form().link->reception_texte);
  EXPECT_TRUE(r.d().window.visible());
  // Nothing the read-back did counts as a choice of the user.
  EXPECT_FALSE(r.d().table_ordre_choisie);
  EXPECT_FALSE(r.d().table_instrus_choisie);
  EXPECT_TRUE(r.b.rig.dialogs.last_title.empty());
  GetParam().check(r);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadBack,
    ::testing::Values(ReadCase{"AllDefaults",
                               {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                               [](ParamsRig& r) {
                                 board::Form9& d = r.d();
                                 EXPECT_TRUE(d.Check5.value());
                                 EXPECT_TRUE(d.Check6.value());
                                 EXPECT_EQ(d.Text1.text(), "");
                                 EXPECT_EQ(d.Combo1.text(), "Défaut");
                                 EXPECT_EQ(d.Combo2.text(), "Défaut");
                                 EXPECT_FALSE(d.Check3.value());
                                 EXPECT_TRUE(d.Check1.value());
                                 EXPECT_TRUE(d.Check2.value());
                                 EXPECT_FALSE(d.Check4.value());
                                 EXPECT_EQ(d.Combo4.text(), "D9");
                                 EXPECT_EQ(
                                     board::render_params(r.form().params_lus),
                                     (std::vector<std::string>{
                                         "tous_fronts_1 : 1", "tous_fronts_2 : 1",
                                         "periode : ", "ordre_sorties : Défaut",
                                         "instruments : Défaut", "note_filler : 0", "relais : 1",
                                         "midi : 1", "mute_rf : 0", "sortie_midi : D9"}));
                               }},
                      ReadCase{"PeriodFive",
                               {0x99, 0x04, 0x64, 0x4F, 0x00, 0x77, 0xAA},
                               [](ParamsRig& r) {
                                 board::Form9& d = r.d();
                                 EXPECT_FALSE(d.Check5.value());
                                 EXPECT_FALSE(d.Check6.value());
                                 EXPECT_EQ(d.Text1.text(), "5");
                                 EXPECT_EQ(r.form().params_lus.periode, "5");
                                 EXPECT_EQ(d.Combo1.text(), "Table 29-32");
                                 EXPECT_EQ(d.Combo2.text(), "Liste perso");
                                 // Any value but 0xFF turns the note filler on.
                                 EXPECT_TRUE(d.Check3.value());
                                 EXPECT_FALSE(d.Check1.value());
                                 EXPECT_TRUE(d.Check2.value());
                                 EXPECT_TRUE(d.Check4.value());
                                 EXPECT_EQ(d.Combo4.text(), "TX");
                               }},
                      ReadCase{"PeriodOneAndFirstPin",
                               {0xAA, 0x00, 0x44, 0x63, 0xFF, 0x33, 0xFF},
                               [](ParamsRig& r) {
                                 EXPECT_EQ(r.d().Text1.text(), "1");
                                 EXPECT_EQ(r.form().params_lus.periode, "1");
                                 EXPECT_EQ(r.d().Combo1.text(), "Table 42-45");
                                 EXPECT_EQ(r.d().Combo2.text(), "Aucun");
                                 EXPECT_TRUE(r.d().Check1.value());
                                 EXPECT_FALSE(r.d().Check2.value());
                                 EXPECT_TRUE(r.d().Check4.value());
                               }},
                      ReadCase{"AllEdgesOfTheFirstPin",
                               {0x55, 0x00, 0xFF, 0xFF, 0xFF, 0x99, 0xFF},
                               [](ParamsRig& r) {
                                 EXPECT_TRUE(r.d().Check5.value());
                                 EXPECT_FALSE(r.d().Check6.value());
                                 EXPECT_EQ(r.form().params_lus.tous_fronts_2, 0);
                                 EXPECT_TRUE(r.d().Check1.value() && r.d().Check2.value() &&
                                             r.d().Check4.value());
                               }},
                      // Unknown values leave the controls as they were; the two tables' fields
                      // become empty, so that validation sends whatever entry is shown.
                      ReadCase{"UnknownValues",
                               {0x12, 0x00, 0x00, 0x00, 0xFF, 0x12, 0x12},
                               [](ParamsRig& r) {
                                 EXPECT_EQ(r.d().Combo1.index(), -1);
                                 EXPECT_EQ(r.form().params_lus.ordre_sorties, "");
                                 EXPECT_EQ(r.form().params_lus.instruments, "");
                                 EXPECT_EQ(r.form().params_lus.sortie_midi, "");
                                 EXPECT_FALSE(r.d().Check1.value());
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParamsDialog, OpensBesideTheMainWindowWithTheVersionInItsCaption) {
  BoardOptions o;
  o.version_letter = 'm';
  ParamsRig r({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, o);
  Form1& f = r.form();
  f.window.move(3000, 2000);
  f.fenetre_params.click();
  EXPECT_EQ(f.form9.window.left, 4800);
  EXPECT_EQ(f.form9.window.top, 1000);
  EXPECT_EQ(f.form9.window.caption(), "Paramétrage de la carte arduino (v 6.2)");
  EXPECT_EQ(r.messages(),
            std::vector<std::string>{"! Les versions Solmir et arduino sont différentes !"});
  EXPECT_TRUE(f.fenetre_params.enabled());
  EXPECT_TRUE(f.Infos_carte.enabled());
}

TEST(ParamsDialog, ReadingAgainWhileOpenAsksForNoFile) {
  ParamsRig r({0xFF, 0xFF, 0x44, 0x4F, 0xFF, 0xFF, 0xFF});
  r.open();
  r.form().fenetre_params.click();
  EXPECT_TRUE(r.b.rig.dialogs.last_title.empty());
  EXPECT_FALSE(r.d().table_ordre_choisie);
  EXPECT_EQ(r.d().Combo1.text(), "Table 42-45");
}

TEST(ParamsDialog, ASilentBoardLeavesTheDialogHiddenAndTheMenuUsable) {
  BoardOptions o;
  o.silent_after_lines = 3;  // answers the version check only
  ParamsRig r({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, o);
  r.form().fenetre_params.click();
  EXPECT_FALSE(r.d().window.visible());
  EXPECT_EQ(r.messages(), std::vector<std::string>{"La carte arduino ne répond pas"});
  EXPECT_TRUE(r.form().fenetre_params.enabled());
  EXPECT_TRUE(r.form().Infos_carte.enabled());
  EXPECT_FALSE(r.form().link->reception_texte);
}

// ---------------------------------------------------------------- the commands

struct AckCase {
  const char* name;
  void (Form1::*command)();
  const char* word;
  const char* message;
  int byte;  // 1-based
  std::uint8_t value;
};

class AcknowledgedCommand : public ::testing::TestWithParam<AckCase> {};

TEST_P(AcknowledgedCommand, SendsItsWordAndSaysWhatItDid) {
  const AckCase& c = GetParam();
  ParamsRig r({0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01});
  (r.form().*c.command)();
  EXPECT_EQ(r.lines(), std::vector<std::string>{c.word});
  EXPECT_EQ(r.messages(), std::vector<std::string>{c.message});
  EXPECT_EQ(r.b.board().params()[static_cast<std::size_t>(c.byte - 1)], c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Words, AcknowledgedCommand,
    ::testing::Values(
        AckCase{"EfsOR", &Form1::efface_table_F9, "EFsOR",
                "Effacement de la table d'ordre des sorties", 3, 0xFF},
        AckCase{"TAChD", &Form1::tachydef_F9, "TAChD", "Programmation du capteur de vitesse", 1,
                0xFF},
        AckCase{"TACh2", &Form1::tachy2_F9, "TACh2", "Programmation du capteur de vitesse", 1,
                0x55},
        AckCase{"TACh4", &Form1::tachy4_F9, "TACh4", "Programmation du capteur de vitesse", 1,
                0xAA},
        AckCase{"EFiNS", &Form1::efface_table_instrus_F9, "EFiNS",
                "Table d'instruments midi par défaut", 4, 0xFF},
        AckCase{"NFmON", &Form1::active_nf_F9, "NFmON", "Activation note filler midi 42 notes", 5,
                0x00},
        AckCase{"NFmOF", &Form1::desactive_nf_F9, "NFmOF", "Désactivation note filler 42 notes", 5,
                0xFF},
        AckCase{"CDeRM", &Form1::cde_relais_midi_F9, "CDeRM", "Commande relais et midi", 6, 0xFF},
        AckCase{"CDeRE", &Form1::cde_relais_seuls_F9, "CDeRE", "Commande des relais seuls", 6,
                0x55},
        AckCase{"MUtRE", &Form1::cde_mute_relais_RF_F9, "MUtRE", "Mute relais en RF", 6, 0x33},
        AckCase{"CDeMI", &Form1::cde_midi_seul_F9, "CDeMI", "Commandes midi seulement", 6, 0xAA},
        AckCase{"MUtMI", &Form1::cde_mute_midi_RF_F9, "MUtMI", "Mute midi en RF", 6, 0x77},
        AckCase{"MUtRM", &Form1::cde_mute_relais_midi_RF_F9, "MUtRM", "Mute relais et midi en RF",
                6, 0x99},
        AckCase{"SMiD9", &Form1::sortie_midi_D9_F9, "SMiD9", "Sortie midi en D9", 7, 0xFF},
        AckCase{"SMiTX", &Form1::sortie_midi_TX_F9, "SMiTX", "Sortie midi sur TX", 7, 0xAA}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgDiv, SendsTheDividerInOneDataLine) {
  ParamsRig r;
  EXPECT_TRUE(r.form().prog_div("4"));
  EXPECT_EQ(r.lines(), (std::vector<std::string>{"TAChX", bytes({4, 0, 0, 0, 0})}));
  EXPECT_EQ(r.messages(), std::vector<std::string>{"Programmation du capteur de vitesse"});
  EXPECT_EQ(r.b.board().params()[0], 0x99);
  EXPECT_EQ(r.b.board().params()[1], 4);
}

TEST(ProgDiv, ADividerThatIsNotOneByteIsRefusedAndNothingSent) {
  for (const char* bad : {"0", "256", "2.5", "abc", "", "-3"}) {
    ParamsRig r;
    EXPECT_FALSE(r.form().prog_div(bad)) << bad;
    EXPECT_TRUE(r.lines().empty()) << bad;
    EXPECT_EQ(r.boxes(), std::vector<std::string>{std::string(board::kBoxDiviseur) + bad + "\r\n"});
  }
}

TEST(OrderTableUpload, A2932FileSetsThe29NoteScaleAndIsSentInSevenLines) {
  ParamsRig r;
  Form1& f = r.form();
  f.mode42.set_value(true);
  const auto p = r.file("ordre.sor", order_file(false, [](int o) { return 40 + o; }));
  r.mark();
  ASSERT_TRUE(f.ordre_sorties_29_32_F9(p.string()));
  EXPECT_FALSE(f.mode42.value());
  EXPECT_FALSE(f.Option32.value());
  const auto table = board::read_order_table_29_32(p, f.table_notes);
  ASSERT_TRUE(table);
  EXPECT_EQ(r.b.board().order_table(), *table);
  EXPECT_EQ(r.b.board().params()[2], 0x64);
  const auto l = r.lines();
  ASSERT_EQ(l.size(), 8u);
  EXPECT_EQ(l[0], "PRsOR");
  EXPECT_EQ(r.messages().back(), "Chargement table d'ordre des sorties 29-32");
}

TEST(OrderTableUpload, A4245FileSetsThe42NoteScale) {
  ParamsRig r;
  Form1& f = r.form();
  f.Option32.set_value(true);
  const auto p = r.file("ordre42.sor", order_file(true, [](int o) { return 36 + o; }));
  r.mark();
  ASSERT_TRUE(f.ordre_sorties_42_F9(p.string()));
  EXPECT_TRUE(f.mode42.value());
  EXPECT_FALSE(f.Option32.value());
  EXPECT_EQ(r.b.board().order_table(), *board::read_order_table_42_45(p, f.table_notes));
  EXPECT_EQ(r.lines().size(), 11u);
  EXPECT_EQ(r.b.board().params()[2], 0x44);
  EXPECT_EQ(r.messages().back(), "Chargement table d'ordre des sorties 42-45");
}

TEST(TableUpload, AFileThatCannotBeReadSendsNothing) {
  ParamsRig r;
  Form1& f = r.form();
  EXPECT_FALSE(f.ordre_sorties_42_F9((r.b.rig.dir.path() / "absent.sor").string()));
  EXPECT_FALSE(f.ordre_sorties_29_32_F9(""));
  EXPECT_FALSE(f.table_instruments_F9(r.file("i.txt", instrument_file(21)).string()));
  EXPECT_TRUE(r.lines().empty());
  EXPECT_EQ(r.boxes(), (std::vector<std::string>{"Fichier de table 42-45 notes non compatible",
                                                 "Fichier de table 29-32 notes non compatible",
                                                 "Fichier d'instruments midi non compatible"}));
}

TEST(InstrumentUpload, ACustomListAndNone) {
  ParamsRig r;
  Form1& f = r.form();
  ASSERT_TRUE(f.table_instruments_F9(r.file("i.txt", instrument_file(13)).string()));
  EXPECT_EQ(r.lines(),
            (std::vector<std::string>{"INsTR", bytes({1, 2, 3, 4, 5}), bytes({6, 7, 8, 9, 10})}));
  EXPECT_EQ(r.b.board().params()[3], 0x4F);
  r.mark();
  f.Aucun_instrument_F9();
  EXPECT_EQ(r.lines(),
            (std::vector<std::string>{"INsTR", std::string(5, '\0'), std::string(5, '\0')}));
  EXPECT_EQ(r.b.board().params()[3], 0x63);
  EXPECT_EQ(r.messages(), std::vector<std::string>{"Aucun instrument midi prédéfini"});
}

// ---------------------------------------------------------------- the dialog's rules

TEST(ParamsDialogRules, TickingTheFirstPinClearsThePeriodTypingAPeriodUnticksBoth) {
  ParamsRig r({0x99, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  r.open();
  board::Form9& d = r.d();
  // The second pin only joins the first.
  d.Check6.set_value(true);
  EXPECT_FALSE(d.Check6.value());
  d.Check5.set_value(true);
  EXPECT_EQ(d.Text1.text(), "");
  d.Check6.set_value(true);
  EXPECT_TRUE(d.Check6.value());
  d.Text1.set_text("1");
  d.Text1.set_text("12");
  EXPECT_FALSE(d.Check5.value());
  EXPECT_FALSE(d.Check6.value());
  EXPECT_EQ(d.Text1.text(), "12");
  // Unticking the first pin keeps a period being typed.
  d.Check5.set_value(true);
  EXPECT_EQ(d.Text1.text(), "");
  d.Check5.set_value(false);
  EXPECT_EQ(d.Text1.text(), "");
}

// ---------------------------------------------------------------- validation

struct ValidationCase {
  const char* name;
  Bytes board;
  std::function<void(ParamsRig&)> change;
  std::vector<std::string> sent;
  std::vector<std::string> boxes;
  bool nothing_changed = false;
};

class Validation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(Validation, SendsOnlyWhatChanged) {
  const ValidationCase& c = GetParam();
  ParamsRig r(c.board);
  r.open();
  c.change(r);
  r.mark();
  r.d().Valider.click();
  EXPECT_EQ(r.lines(), c.sent);
  EXPECT_EQ(r.boxes(), c.boxes);
  const auto m = r.messages();
  const bool said = std::find(m.begin(), m.end(), "Aucune modification apportée") != m.end();
  EXPECT_EQ(said, c.nothing_changed);
  // A successful send closes the dialog; a refused value or a warning keeps it open.
  EXPECT_EQ(r.d().window.visible(), c.nothing_changed || !c.boxes.empty());
  EXPECT_TRUE(r.d().Valider.enabled());
  EXPECT_FALSE(r.d().table_ordre_choisie || r.d().table_instrus_choisie || r.d().capteur_envoye);
}

constexpr Bytes kDefaults{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

INSTANTIATE_TEST_SUITE_P(
    Changes, Validation,
    ::testing::Values(
        ValidationCase{"NoChange", kDefaults, [](ParamsRig&) {}, {}, {}, true},
        ValidationCase{"NoSensorConfiguration",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Check5.set_value(false); },
                       {},
                       {"Définir une configuration du capteur de vitesse\r\n"}},
        ValidationCase{
            "PeriodOne", kDefaults, [](ParamsRig& r) { r.d().Text1.set_text("1"); }, {"TACh4"}, {}},
        ValidationCase{"PeriodEight",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Text1.set_text("8"); },
                       {"TAChX", bytes({7, 0, 0, 0, 0})},
                       {}},
        ValidationCase{"Period256",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Text1.set_text("256"); },
                       {"TAChX", bytes({255, 0, 0, 0, 0})},
                       {}},
        // A period the board cannot take is said and nothing is sent for it.
        ValidationCase{"PeriodAboveTheByte",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Text1.set_text("300"); },
                       {},
                       {board::kBoxPeriode}},
        ValidationCase{"PeriodNotWhole",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Text1.set_text("2.5"); },
                       {},
                       {board::kBoxPeriode}},
        ValidationCase{"FirstPinOnly",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Check6.set_value(false); },
                       {"TACh2"},
                       {}},
        ValidationCase{"SamePeriodWrittenOtherwise",
                       {0x99, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                       [](ParamsRig& r) { r.d().Text1.set_text("05"); },
                       {},
                       {},
                       true},
        ValidationCase{"RelaysOnly",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Check2.set_value(false); },
                       {"CDeRE"},
                       {}},
        ValidationCase{"MuteRelays",
                       kDefaults,
                       [](ParamsRig& r) {
                         r.d().Check2.set_value(false);
                         r.d().Check4.set_value(true);
                       },
                       {"MUtRE"},
                       {}},
        ValidationCase{"MidiOnly",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Check1.set_value(false); },
                       {"CDeMI"},
                       {}},
        ValidationCase{"MuteMidi",
                       kDefaults,
                       [](ParamsRig& r) {
                         r.d().Check1.set_value(false);
                         r.d().Check4.set_value(true);
                       },
                       {"MUtMI"},
                       {}},
        ValidationCase{"MuteBoth",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Check4.set_value(true); },
                       {"MUtRM"},
                       {}},
        ValidationCase{"RelaysAndMidiBack",
                       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x55, 0xFF},
                       [](ParamsRig& r) { r.d().Check2.set_value(true); },
                       {"CDeRM"},
                       {}},
        ValidationCase{"NoCommands",
                       kDefaults,
                       [](ParamsRig& r) {
                         r.d().Check1.set_value(false);
                         r.d().Check2.set_value(false);
                       },
                       {},
                       {"Définir les commandes émises\r\n"}},
        ValidationCase{"NoteFillerAndTx",
                       kDefaults,
                       [](ParamsRig& r) {
                         r.d().Check3.set_value(true);
                         r.d().Combo4.select(1);
                       },
                       {"NFmON", "SMiTX"},
                       {}},
        ValidationCase{"NoInstruments",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Combo2.select(2); },
                       {"INsTR", std::string(5, '\0'), std::string(5, '\0')},
                       {}},
        // Any entry the user chooses is sent, even the one the board has.
        ValidationCase{"DefaultInstrumentsChosenAgain",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Combo2.select(0); },
                       {"EFiNS"},
                       {}},
        ValidationCase{"DefaultOrderChosenAgain",
                       kDefaults,
                       [](ParamsRig& r) { r.d().Combo1.select(0); },
                       {"EFsOR"},
                       {}},
        ValidationCase{"ATableOfAnUnknownState",
                       {0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},
                       [](ParamsRig& r) { r.d().Combo1.select(0); },
                       {"EFsOR"},
                       {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Validation2, ChoosingTheActiveTableAgainAsksForItsFileAndSendsIt) {
  ParamsRig r({0xFF, 0xFF, 0x44, 0xFF, 0xFF, 0xFF, 0xFF});
  r.open();
  const auto p = r.file("Mon orgue.sor", order_file(true, [](int o) { return 36 + o; }));
  r.b.rig.dialogs.paths.push_back(p.string());
  r.d().Combo1.select(2);
  EXPECT_EQ(r.b.rig.dialogs.last_filters, "Fichiers (*.sor)|*.sor|Tous (*.*)|*.*");
  r.mark();
  r.d().Valider.click();
  const auto l = r.lines();
  ASSERT_EQ(l.size(), 11u);
  EXPECT_EQ(l[0], "PRSOR");
  EXPECT_EQ(r.form().params_lus.ordre_sorties, "Table 42-45");
}

TEST(Validation2, ACancelledFileQuestionPutsTheListBack) {
  ParamsRig r;
  r.open();
  r.d().Combo1.select(1);  // no file given: cancelled
  EXPECT_EQ(r.d().Combo1.text(), "Défaut");
  r.d().Combo2.select(1);
  EXPECT_EQ(r.d().Combo2.text(), "Défaut");
  EXPECT_EQ(r.b.rig.dialogs.last_filters, "Fichiers (*.txt)|*.txt|Tous (*.*)|*.*");
  r.d().Valider.click();
  EXPECT_TRUE(r.lines().empty());
  EXPECT_TRUE(r.boxes().empty());
  EXPECT_EQ(r.messages().back(), "Aucune modification apportée");
}

TEST(Validation2, ATableFileThatCannotBeReadIsTriedAgainNextTime) {
  ParamsRig r;
  r.open();
  r.b.rig.dialogs.paths.push_back(r.file("court.sor", "60\n62\n").string());
  r.d().Combo1.select(2);
  r.d().Valider.click();
  EXPECT_EQ(r.boxes(), std::vector<std::string>{"Fichier de table 42-45 notes non compatible"});
  // The board still has its default table, and the dialog knows it.
  EXPECT_EQ(r.form().params_lus.ordre_sorties, "Défaut");
  r.mark();
  r.d().Valider.click();
  EXPECT_EQ(r.boxes(), std::vector<std::string>{"Fichier de table 42-45 notes non compatible"});
}

TEST(Validation2, ACustomInstrumentListIsSentFromItsFile) {
  ParamsRig r;
  r.open();
  r.b.rig.dialogs.paths.push_back(r.file("instrus.txt", instrument_file(13)).string());
  r.d().Combo2.select(1);
  r.d().Valider.click();
  EXPECT_EQ(r.lines(),
            (std::vector<std::string>{"INsTR", bytes({1, 2, 3, 4, 5}), bytes({6, 7, 8, 9, 10})}));
  EXPECT_EQ(r.form().params_lus.instruments, "Liste perso");
  // Sent once: the next validation has nothing to do.
  r.mark();
  r.d().Valider.click();
  EXPECT_EQ(r.messages().back(), "Aucune modification apportée");
}

TEST(Validation2, ASilentBoardEndsTheValidationAndGivesTheDialogBack) {
  ParamsRig r;
  r.open();
  r.b.board().options().silent_after_lines = static_cast<int>(r.b.board().lines().size());
  r.d().Check3.set_value(true);
  r.d().Combo4.select(1);
  r.d().Valider.click();
  EXPECT_EQ(r.lines(), std::vector<std::string>{"NFmON"});
  EXPECT_EQ(r.messages(), std::vector<std::string>{"La carte arduino ne répond pas"});
  // The change was not taken: the dialog stays open with the message.
  EXPECT_TRUE(r.d().window.visible());
  EXPECT_TRUE(r.d().Valider.enabled());
  EXPECT_TRUE(r.form().fenetre_params.enabled());
  EXPECT_FALSE(r.d().nf_envoye);
  // What did not reach the board is still to be sent.
  EXPECT_EQ(r.form().params_lus.note_filler, 0);
}

// ---------------------------------------------------------------- shortcuts and closing

TEST(ParamsShortcuts, AltZResetsTheBoardAndOpensTheDialogAgain) {
  ParamsRig r({0x99, 0x04, 0x44, 0x4F, 0x00, 0x77, 0xAA});
  r.open();
  r.b.rig.dialogs.answers.push_back(true);
  r.form().Form9_KeyDown('Z', true, false, false);
  EXPECT_EQ(r.b.rig.dialogs.questions, std::vector<std::string>{board::kAskReinit});
  EXPECT_EQ(r.lines(), (std::vector<std::string>{"INiPA", "VErSO", "", "NUuLL", "LEcPA", ""}));
  EXPECT_EQ(r.messages(),
            (std::vector<std::string>{kMsgSelect, "Paramètres de l'Atmega réinitialisés"}));
  EXPECT_TRUE(r.d().window.visible());
  EXPECT_EQ(r.d().Combo4.text(), "D9");
  EXPECT_TRUE(r.d().Check5.value());
}

TEST(ParamsShortcuts, AltZAnsweredNoAndKeysWithoutAltDoNothing) {
  ParamsRig r;
  r.open();
  r.form().Form9_KeyDown('Z', true, false, false);
  r.form().Form9_KeyDown('O', false, false, false);
  r.form().Form9_KeyDown('E', false, true, true);
  EXPECT_TRUE(r.lines().empty());
  EXPECT_FALSE(r.form().form5.window.visible());
}

TEST(ParamsShortcuts, AltOOpensTheOdometerAndAltETheEepromBesideTheMainWindow) {
  ParamsRig r;
  r.form().window.move(2000, 3000);
  r.b.board().eeprom()[77] = 0x2A;
  r.open();
  r.form().Form9_KeyDown('O', true, false, false);
  EXPECT_TRUE(r.form().form5.window.visible());
  EXPECT_EQ(r.form().form5.window.left, 2400);
  EXPECT_EQ(r.form().form5.window.top, 2600);
  EXPECT_EQ(r.form().form5.Text1.text(), "24");
  r.form().Form9_KeyDown('E', true, true, false);
  EXPECT_TRUE(r.form().form6.window.visible());
  EXPECT_EQ(r.form().form6.window.left, 2400);
  EXPECT_EQ(r.form().form6.value.text(), "42");
  EXPECT_EQ(r.lines(), (std::vector<std::string>{"INtOD", "", "rd077", ""}));
  EXPECT_TRUE(r.messages().empty());
}

TEST(ParamsDialog, ClosingSaysSoAndForgetsTheChosenFiles) {
  ParamsRig r;
  r.open();
  r.b.rig.dialogs.paths.push_back(r.file("o.sor", "").string());
  r.d().Combo1.select(1);
  ASSERT_FALSE(r.d().fichier_ordre.empty());
  r.d().window.hide();
  EXPECT_EQ(r.messages(), std::vector<std::string>{kMsgSelect});
  EXPECT_TRUE(r.d().fichier_ordre.empty());
  EXPECT_FALSE(r.d().table_ordre_choisie);
}

// ---------------------------------------------------------------- odometer and EEPROM

struct WriteCase {
  const char* text;
  const char* sent;  // nullptr: refused
};

TEST(Odometer, TheCountGoesAsThreeDigits) {
  for (const WriteCase& c :
       {WriteCase{"24", "Od024"}, WriteCase{"7.6", "Od008"}, WriteCase{"abc", "Od000"},
        WriteCase{"999", "Od999"}, WriteCase{"1000", nullptr}, WriteCase{"-1", nullptr}}) {
    ParamsRig r;
    r.form().form5.Text1.set_text(c.text);
    r.form().form5.Command1.click();
    if (c.sent) {
      EXPECT_EQ(r.lines(), std::vector<std::string>{c.sent}) << c.text;
      EXPECT_TRUE(r.boxes().empty());
    } else {
      EXPECT_TRUE(r.lines().empty()) << c.text;
      EXPECT_EQ(r.boxes().size(), 1u) << c.text;
    }
    EXPECT_TRUE(r.messages().empty());
  }
}

TEST(Odometer, ReadsTheCountWhateverItsValue) {
  // 65 to 70 come as the letters "A" to "F".
  for (int v : {0xC8, 0, 65, 70, 255}) {
    BoardOptions o;
    o.odometer = static_cast<std::uint8_t>(v);
    ParamsRig r(kDefaults, o);
    r.form().Lect_odometre_click();
    EXPECT_EQ(r.form().form5.Text1.text(), std::to_string(v));
    EXPECT_TRUE(r.messages().empty()) << v;
  }
}

TEST(Eeprom, ReadsAtTheAddressAndWritesThere) {
  ParamsRig r;
  Form1& f = r.form();
  r.b.board().eeprom()[300] = 66;
  f.form6.adress.set_text("300");
  f.form6.Command1.click();
  EXPECT_EQ(f.form6.value.text(), "66");
  f.form6.value.set_text("255");
  f.form6.Command3.click();
  EXPECT_EQ(r.lines(), (std::vector<std::string>{"rd300", "", "wr255"}));
  EXPECT_EQ(r.b.board().eeprom()[300], 255);
  r.mark();
  f.form6.value.set_text("256");
  f.form6.Command3.click();
  f.form6.adress.set_text("1024");
  f.form6.Command1.click();
  EXPECT_TRUE(r.lines().empty());
  EXPECT_EQ(r.boxes().size(), 2u);
  EXPECT_EQ(f.form6.value.text(), "256");
}

}  // namespace
}  // namespace solmir
