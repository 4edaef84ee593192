// The firmware upload on Windows: the batch file written into the data folder's Temp, run by
// cmd.exe, which runs avrdude from the uploader folder on the COM port of the port box. The
// shell form of the other systems is tested in test_firmware_upload.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "firmware/upload.h"
#include "tests/support/board_rig.h"

namespace solmir {
namespace {

using test::BoardRig;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif
#define SKIP_UNLESS_WINDOWS()                                                                    \
  if (!kWindows)                                                                                 \
  GTEST_SKIP() << "The batch file is run by cmd.exe only on Windows (the cross-built tests run " \
                  "this under Wine)"

TEST(UploadPlatform, TheScriptIsABatchFileOnWindowsOnly) {
  EXPECT_EQ(firmware::platform_script_form(),
            kWindows ? firmware::ScriptForm::batch : firmware::ScriptForm::shell);
}

TEST(UploadPlatform, TheBatchFilesPathsAreWindowsPaths) {
  SKIP_UNLESS_WINDOWS();
  const auto f = firmware::upload_files(
      "C:\\Program Files\\Solmir", "C:\\Users\\u\\Documents\\Solmir", firmware::ScriptForm::batch);
  EXPECT_EQ(f.uploader.string(), "C:\\Program Files\\Solmir\\VELoR_uploader");
  EXPECT_EQ(f.image.string(), "C:\\Program Files\\Solmir\\VELoR_uploader\\Binaire\\VELoR.cpp.hex");
  EXPECT_EQ(f.script.string(), "C:\\Users\\u\\Documents\\Solmir\\Temp\\avrdude.bat");
}

// A main window on the virtual board, found by the scan on port 3, with the firmware image
// beside the program, in a folder whose name has a blank.
struct WindowsUploadRig {
  WindowsUploadRig() : b({}, {"3"}) {
    auto& program = b.rig.environment.program_;
    program = program.parent_path() / "Mon orgue";
    uploader = program / "VELoR_uploader";
    test::write_file(uploader / "Binaire" / "VELoR.cpp.hex", ":00000001FF\r\n");
    f = &b.start();
    script = f->data_folder() / "Temp" / "avrdude.bat";
    mark = b.message_lines().size();
  }
  std::vector<std::string> messages() const {
    const auto l = b.message_lines();
    return {l.begin() + static_cast<std::ptrdiff_t>(mark), l.end()};
  }
  std::string program_folder_text() const { return b.rig.environment.program_.string() + "\\"; }

  BoardRig b;
  Form1* f = nullptr;
  std::filesystem::path uploader, script;
  std::size_t mark = 0;
};

TEST(WindowsUpload, WritesTheBatchFileAndHasCmdRunIt) {
  SKIP_UNLESS_WINDOWS();
  WindowsUploadRig r;
  Form1& f = *r.f;
  ASSERT_EQ(f.port.text(), "3");
  r.b.rig.dialogs.answers.push_back(true);
  bool checked = false;
  r.b.rig.processes.during = [&] {
    checked = true;
    EXPECT_FALSE(f.link->is_open());
    EXPECT_TRUE(f.upload_running);
  };
  f.Prog_Uno.click();
  ASSERT_TRUE(checked);
  EXPECT_EQ(test::read_file(r.script),
            firmware::batch_script(r.program_folder_text(), 3u, "115200"));
  const auto& runs = r.b.rig.processes.runs;
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, "cmd.exe");
  EXPECT_EQ(runs[0].second, (std::vector<std::string>{"/c", r.script.string()}));
  EXPECT_EQ(r.messages(),
            (std::vector<std::string>{"Numéro de port non valide ou module non connecté",
                                      "Attendre la fin de la programmation", kMsgSelect,
                                      "Programmation de l'Atmega réussie"}));
  EXPECT_TRUE(f.link->is_open());
  EXPECT_TRUE(f.Prog_Uno.enabled());
}

struct BatchEnd {
  const char* name;
  int exit_code;
  std::string said;
};

class WindowsUploadEnd : public ::testing::TestWithParam<BatchEnd> {};

// The batch file keeps no report of avrdude: a failure is said by its exit code alone.
TEST_P(WindowsUploadEnd, IsSaidByTheExitCode) {
  SKIP_UNLESS_WINDOWS();
  const BatchEnd& c = GetParam();
  WindowsUploadRig r;
  r.b.rig.dialogs.answers.push_back(true);
  r.b.rig.processes.exit_code = c.exit_code;
  r.f->Prog_Nano_N.click();
  std::string said = c.said;
  if (said == "<script>")
    said = "Échec de la programmation de l'Atmega : le script n'a pas pu être lancé : " +
           r.script.string();
  ASSERT_FALSE(r.messages().empty());
  EXPECT_EQ(r.messages().back(), said);
  EXPECT_TRUE(r.f->link->is_open());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, WindowsUploadEnd,
    ::testing::Values(BatchEnd{"Success", 0, "Programmation de l'Atmega réussie"},
                      BatchEnd{"AvrdudeFailed", 1,
                               "Échec de la programmation de l'Atmega : avrdude a rendu le code 1"},
                      BatchEnd{
                          "NoCommandInterpreter", 9009,
                          "Échec de la programmation de l'Atmega : avrdude a rendu le code 9009"},
                      BatchEnd{"ScriptNotStarted", -1, "<script>"}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs the program for real, through the C library's command interpreter, with no input (the
// batch file's "Pause" does not wait).
class CommandLineRunner : public ProcessRunner {
 public:
  int run_and_wait(const std::string& program, const std::vector<std::string>& args) override {
    std::string line = program;
    for (const auto& a : args) line += " \"" + a + "\"";
    line += " < NUL";
    return std::system(line.c_str());
  }
};

// The batch file as cmd.exe runs it: avrdude (here a batch file that keeps its arguments) is
// found in the uploader folder and given the COM port and the quoted firmware image.
TEST(WindowsUpload, TheBatchFileRunsAvrdudeFromTheUploaderFolder) {
  SKIP_UNLESS_WINDOWS();
  WindowsUploadRig r;
  test::write_file(r.uploader / "avrdude.bat", "@echo %*> avrdude-args.txt\r\n@exit /b 0\r\n");
  // What the window asks to run is run for real.
  CommandLineRunner runner;
  auto& processes = r.b.rig.processes;
  processes.during = [&] {
    processes.exit_code =
        runner.run_and_wait(processes.runs.back().first, processes.runs.back().second);
  };
  // The batch file changes folder with "cd", which stays on the current drive.
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(r.uploader.root_path());
  r.b.rig.dialogs.answers.push_back(true);
  r.f->Prog_Uno.click();
  std::filesystem::current_path(before);
  EXPECT_EQ(test::read_file(r.uploader / "avrdude-args.txt"),
            "-v -pm328p -carduino -P\\\\.\\COM3 -b115200 -D -Uflash:w:\"" +
                (r.uploader / "Binaire" / "VELoR.cpp.hex").string() + "\":i\r\n");
  EXPECT_EQ(r.messages().back(), "Programmation de l'Atmega réussie");
}

}  // namespace
}  // namespace solmir
