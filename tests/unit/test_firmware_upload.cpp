// The firmware upload: the script it writes, the questions it asks, the link released while
// avrdude runs and taken back afterwards, and what it says of avrdude's end.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "firmware/upload.h"
#include "tests/support/board_rig.h"
#include "tests/support/card_image_rig.h"

namespace solmir {
namespace {

using test::BoardRig;

// On Windows the upload writes and runs the batch file instead (test_windows_upload.cpp).
#ifdef _WIN32
#define SKIP_ON_WINDOWS() \
  GTEST_SKIP() << "The shell script and avrdude's report are the upload of the other systems"
#else
#define SKIP_ON_WINDOWS() static_cast<void>(0)
#endif

TEST(UploadScript, TheBatchFileOfWindows) {
  EXPECT_EQ(firmware::batch_script("C:\\Program Files\\Solmir\\", 3, "115200"),
            "cd /d \"C:\\Program Files\\Solmir\\VELoR_uploader\"\r\n"
            "avrdude -v -pm328p -carduino -P\\\\.\\COM3 -b115200 -D "
            "-Uflash:w:\"C:\\Program Files\\Solmir\\VELoR_uploader\\Binaire\\VELoR.cpp.hex\":i\r\n"
            "Pause\r\n");
}

// Port texts as the box may hold them: only a port number (alone or as a COM name) gives a
// port; anything else is refused before a script is written.
TEST(UploadScript, ThePortArgumentComesFromTheParsedNumberOnly) {
  struct Case {
    const char* text;
    std::optional<unsigned> com;
  };
  for (const Case& c : std::initializer_list<Case>{{"3", 3u},
                                                   {" 12 ", 12u},
                                                   {"COM7", 7u},
                                                   {"com7", 7u},
                                                   {"\\\\.\\COM4", 4u},
                                                   {"3 & calc.exe & rem", std::nullopt},
                                                   {"3&calc", std::nullopt},
                                                   {"COM3 | del x", std::nullopt},
                                                   {"%PATH%", std::nullopt},
                                                   {"", std::nullopt},
                                                   {"COM", std::nullopt},
                                                   {"-3", std::nullopt}})
    EXPECT_EQ(firmware::com_port_number(c.text), c.com) << c.text;
}

// Hostile program folders: every path is one quoted word, "%" cannot expand and a double
// quote cannot end the word early.
TEST(UploadScript, TheBatchFileQuotesEveryPath) {
  struct Case {
    const char* folder;
    const char* quoted_uploader;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"C:\\Orgue & calc\\", "\"C:\\Orgue & calc\\VELoR_uploader\""},
           {"C:\\100%PATH%\\", "\"C:\\100%%PATH%%\\VELoR_uploader\""},
           {"C:\\a\" & calc & \"\\", "\"C:\\a & calc & \\VELoR_uploader\""}}) {
    const std::string s = firmware::batch_script(c.folder, 3, "57600");
    const std::string first = s.substr(0, s.find("\r\n"));
    EXPECT_EQ(first, std::string("cd /d ") + c.quoted_uploader) << c.folder;
    const std::string second =
        s.substr(first.size() + 2, s.find("\r\n", first.size() + 2) - first.size() - 2);
    // The image path is quoted the same way, and the port is the number alone.
    EXPECT_NE(second.find(" -P\\\\.\\COM3 -b57600 "), std::string::npos) << second;
    const std::string q = c.quoted_uploader;
    EXPECT_NE(second.find(q.substr(0, q.size() - 1) + "\\Binaire\\VELoR.cpp.hex\":i"),
              std::string::npos)
        << second;
    // Only the quotes this side put there.
    EXPECT_EQ(std::count(second.begin(), second.end(), '"'), 2) << second;
  }
}

TEST(UploadScript, TheShellFormTakesOnlyANumberOrADevicePath) {
  EXPECT_EQ(firmware::device_for_port_text("/dev/ttyACM0"), "/dev/ttyACM0");
  EXPECT_TRUE(firmware::device_for_port_text("5").has_value());
  for (const char* bad : {"3 & calc", "/dev/tty; rm -rf x", "ttyUSB0", "", "/dev/a\nb"})
    EXPECT_EQ(firmware::device_for_port_text(bad), std::nullopt) << bad;
}

TEST(UploadScript, TheShellScriptQuotesWhatItInserts) {
  SKIP_ON_WINDOWS();
  const auto files = firmware::upload_files("/opt/l'orgue", "/home/u/Documents/Solmir",
                                            firmware::ScriptForm::shell);
  EXPECT_EQ(files.script, "/home/u/Documents/Solmir/Temp/avrdude.sh");
  EXPECT_EQ(firmware::shell_script(files, "/dev/ttyACM0", "57600"),
            "#!/bin/sh\n"
            "# Written by Solmir for each firmware upload; its exit status is avrdude's.\n"
            "cd '/opt/l'\\''orgue/VELoR_uploader' || exit 1\n"
            "avrdude -v -pm328p -carduino -P'/dev/ttyACM0' -b57600 -D "
            "-Uflash:w:'/opt/l'\\''orgue/VELoR_uploader/Binaire/VELoR.cpp.hex':i "
            ">'/home/u/Documents/Solmir/Temp/avrdude.log' 2>&1\n");
}

TEST(UploadScript, TheReasonOfAFailureIsAvrdudesLastComplaint) {
  EXPECT_EQ(firmware::failure_reason("avrdude: Version 7.1\n"
                                     "avrdude stk500_getsync() warning: attempt 10 of 10\r\n"
                                     "avrdude main() error: unable to open programmer arduino\n"
                                     "\n"
                                     "avrdude done.  Thank you.\n"),
            "avrdude main() error: unable to open programmer arduino");
  EXPECT_EQ(firmware::failure_reason(""), "");
}

// A main window on the virtual board, with the firmware image beside the program.
struct UploadRig {
  explicit UploadRig(bool with_image = true) : b({}, {"0", "/dev/ttyACM7", "5"}) {
    image = b.rig.environment.program_ / "VELoR_uploader" / "Binaire" / "VELoR.cpp.hex";
    if (with_image) test::write_file(image, ":00000001FF\r\n");
    f = &b.start();
    script = firmware::upload_files(b.rig.environment.program_, f->data_folder(),
                                    firmware::platform_script_form())
                 .script;
    log = f->data_folder() / "Temp" / "avrdude.log";
    mark = b.message_lines().size();
  }
  std::vector<std::string> messages() const {
    const auto l = b.message_lines();
    return {l.begin() + static_cast<std::ptrdiff_t>(mark), l.end()};
  }
  test::ScriptedDialogs& dialogs() { return b.rig.dialogs; }
  test::FakeProcessRunner& runner() { return b.rig.processes; }

  BoardRig b;
  Form1* f = nullptr;
  std::filesystem::path image, script, log;
  std::size_t mark = 0;
};

TEST(FirmwareUpload, TheScriptIsWrittenEvenWhenTheUserDeclines) {
  UploadRig r;
  r.f->Prog_Duemilanove.click();
  EXPECT_EQ(r.dialogs().questions,
            std::vector<std::string>{"Voulez-vous vraiment reprogrammer le microcontroleur ?\r\n"});
  const std::string script = test::read_file(r.script);
  EXPECT_NE(script.find(" -b57600 "), std::string::npos);
  EXPECT_TRUE(r.runner().runs.empty());
  EXPECT_TRUE(r.messages().empty());
  EXPECT_TRUE(r.f->link->is_open());
  r.f->Prog_Uno.click();
  EXPECT_NE(test::read_file(r.script).find(" -b115200 "), std::string::npos);
}

TEST(FirmwareUpload, EachBoardTypeHasItsBaudRate) {
  UploadRig r;
  const std::pair<MenuEntry*, const char*> entries[] = {{&r.f->Prog_Uno, " -b115200 "},
                                                        {&r.f->Prog_Duemilanove, " -b57600 "},
                                                        {&r.f->Prog_Nano, " -b57600 "},
                                                        {&r.f->Prog_Nano_N, " -b115200 "}};
  for (const auto& [entry, baud] : entries) {
    entry->click();
    EXPECT_NE(test::read_file(r.script).find(baud), std::string::npos) << entry->caption();
  }
}

TEST(FirmwareUpload, RunsAvrdudeOnTheLinksDeviceAndTakesTheLinkBack) {
  SKIP_ON_WINDOWS();
  UploadRig r;
  Form1& f = *r.f;
  // The port typed at the time of the upload.
  f.port.set_text("/dev/ttyACM7");
  ASSERT_EQ(f.open_port_name, "/dev/ttyACM7");
  test::put_image(f, test::sample_image(score::RecordLayout::notes29, 3),
                  score::RecordLayout::notes29);
  r.mark = r.b.message_lines().size();
  r.dialogs().answers.push_back(true);
  const int resets = r.b.port().resets();
  bool checked = false;
  r.runner().during = [&] {
    checked = true;
    // avrdude has the port; nothing else may start meanwhile.
    EXPECT_FALSE(f.link->is_open());
    EXPECT_TRUE(f.upload_running);
    EXPECT_TRUE(r.dialogs().busy);
    for (const Control* c : std::initializer_list<const Control*>{
             &f.Ouvre_midi, &f.Prog_Uno, &f.fenetre_params, &f.Infos_carte, &f.programmer, &f.port,
             &f.Label2, &f.quitter})
      EXPECT_FALSE(c->enabled()) << c->name();
    // A board announced meanwhile is left to the upload.
    f.device_arrival("5");
    EXPECT_FALSE(f.link->is_open());
  };
  f.Prog_Nano.click();
  ASSERT_TRUE(checked);
  ASSERT_EQ(r.runner().runs.size(), 1u);
  EXPECT_EQ(r.runner().runs[0].first, "/bin/sh");
  EXPECT_EQ(r.runner().runs[0].second, std::vector<std::string>{r.script.string()});
  EXPECT_NE(test::read_file(r.script).find("-P'/dev/ttyACM7' -b57600 "), std::string::npos);
  EXPECT_EQ(r.messages(),
            (std::vector<std::string>{"Numéro de port non valide ou module non connecté",
                                      "Attendre la fin de la programmation", kMsgSelect,
                                      "Programmation de l'Atmega réussie"}));
  EXPECT_TRUE(f.link->is_open());
  EXPECT_EQ(f.open_port_name, "/dev/ttyACM7");
  EXPECT_EQ(f.Shape1.color(), kGreen);
  EXPECT_GT(r.b.port().resets(), resets);
  for (const Control* c : std::initializer_list<const Control*>{
           &f.Ouvre_midi, &f.Prog_Uno, &f.fenetre_params, &f.Infos_carte, &f.programmer, &f.port,
           &f.Label2, &f.quitter})
    EXPECT_TRUE(c->enabled()) << c->name();
  EXPECT_FALSE(f.upload_running);
  EXPECT_FALSE(r.dialogs().busy);
}

struct OutcomeCase {
  const char* name;
  int exit_code;
  const char* report;  // avrdude's log
  std::vector<std::string> said;
};

class UploadOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(UploadOutcome, IsSaidAfterTheLinkIsBack) {
  const OutcomeCase& c = GetParam();
  // The batch file keeps no report and says every failure by its code alone.
  if (c.exit_code > 0) SKIP_ON_WINDOWS();
  UploadRig r;
  r.dialogs().answers.push_back(true);
  r.runner().exit_code = c.exit_code;
  r.runner().during = [&] {
    if (c.report) test::write_file(r.log, c.report);
  };
  r.f->Prog_Uno.click();
  std::vector<std::string> said = c.said;
  for (auto& s : said)
    if (s == "<log>")
      s = "Compte rendu d'avrdude : " + r.log.string();
    else if (s == "<script>")
      s = "Échec de la programmation de l'Atmega : le script n'a pas pu être lancé : " +
          r.script.string();
  const auto m = r.messages();
  ASSERT_GE(m.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(m.begin() + 3, m.end()), said);
  EXPECT_EQ(m[2], kMsgSelect);
  EXPECT_TRUE(r.f->link->is_open());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, UploadOutcome,
    ::testing::Values(
        OutcomeCase{"Success", 0, nullptr, {"Programmation de l'Atmega réussie"}},
        OutcomeCase{
            "NoBootloaderAnswer",
            1,
            "avrdude stk500_recv() error: programmer is not responding\n"
            "avrdude main() error: unable to open programmer arduino on port /dev/x\n"
            "\navrdude done.  Thank you.\n",
            {"Échec de la programmation de l'Atmega : avrdude a rendu le code 1",
             "avrdude main() error: unable to open programmer arduino on port /dev/x", "<log>"}},
        OutcomeCase{"NoReport",
                    1,
                    nullptr,
                    {"Échec de la programmation de l'Atmega : avrdude a rendu le code 1", "<log>"}},
        OutcomeCase{
            "AvrdudeNotInstalled",
            127,
            "avrdude: not found\n",
            {"Échec de la programmation de l'Atmega : avrdude est introuvable (l'installer)"}},
        OutcomeCase{"ScriptNotStarted", -1, nullptr, {"<script>"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FirmwareUpload, AMissingFirmwareImageIsSaidAndNothingRuns) {
  UploadRig r(false);
  r.f->Prog_Uno.click();
  EXPECT_EQ(
      r.dialogs().messages,
      std::vector<std::string>{"Fichier du micrologiciel introuvable, rien n'est programmé :\r\n" +
                               r.image.string() + "\r\n"});
  EXPECT_TRUE(r.dialogs().questions.empty());
  EXPECT_TRUE(r.runner().runs.empty());
  EXPECT_TRUE(r.f->link->is_open());
}

TEST(FirmwareUpload, WithoutTheLinkNothingRuns) {
  SKIP_ON_WINDOWS();
  test::Rig rig;
  test::write_file(rig.environment.program_ / "VELoR_uploader" / "Binaire" / "VELoR.cpp.hex",
                   ":00000001FF\r\n");
  Form1& f = rig.start();
  rig.dialogs.answers.push_back(true);
  f.Prog_Uno.click();
  EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Définir un numéro de port valide\r\n"});
  EXPECT_TRUE(rig.processes.runs.empty());
  EXPECT_TRUE(std::filesystem::exists(f.data_folder() / "Temp" / "avrdude.sh"));
}

TEST(FirmwareUpload, ABoardBackOnAnotherPortIsFoundByTheScan) {
  UploadRig r;
  r.dialogs().answers.push_back(true);
  r.runner().during = [&] { r.b.port().names = {"5"}; };
  r.f->Prog_Uno.click();
  EXPECT_TRUE(r.f->link->is_open());
  EXPECT_EQ(r.f->port.text(), "5");
  EXPECT_EQ(r.messages().back(), "Programmation de l'Atmega réussie");
  EXPECT_TRUE(r.f->Infos_carte.enabled());
  EXPECT_TRUE(r.f->port.enabled());
}

}  // namespace
}  // namespace solmir
