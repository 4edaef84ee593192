// The card operations end to end: the real Qt serial port against solmir-carte-virtuelle on a
// pseudo-terminal, from the window model on the Qt loop and from solmir-cli.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <memory>

#include "app/form1.h"
#include "board/card_info.h"
#include "board/card_work.h"
#include "board/programming.h"
#include "board/virtual/card.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_serial_port.h"
#include "tests/support/fakes.h"

namespace solmir {
namespace {

const QString kBoard = QStringLiteral(SOLMIR_BINARY_DIR "/tools/solmir-carte-virtuelle");
const QString kCliPath = QStringLiteral(SOLMIR_BINARY_DIR "/cli/solmir-cli");
const char* const kTune = "BoosterMusic-03-SkipToMyLoo.mid";

// solmir-carte-virtuelle serving a board for the test.
class VirtualBoardProcess {
 public:
  explicit VirtualBoardProcess(QStringList args) {
    args << "--max-seconds"
         << "120";
    process_.start(kBoard, args);
    QElapsedTimer t;
    t.start();
    while (!process_.canReadLine() && t.elapsed() < 10000) process_.waitForReadyRead(100);
    device_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
  ~VirtualBoardProcess() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  const QString& device() const { return device_; }

 private:
  QProcess process_;
  QString device_;
};

struct CliResult {
  int status = -1;
  std::string out, err;
};

CliResult cli(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(kCliPath, args);
  p.waitForStarted(5000);
  if (!input.isEmpty()) p.write(input);
  p.closeWriteChannel();
  p.waitForFinished(60000);
  CliResult r;
  r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

QString tune_path() {
  return QString::fromStdString(test::shared_midi(kTune).string());
}

class CardOpsPty : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc_, argv_);
  }
  void TearDown() override {
    form.reset();
    serial.reset();
    app_.reset();
  }
  Form1& window_on(const QString& device) {
    serial = std::make_unique<qt::QtSerialPort>();
    ports =
        std::make_unique<Ports>(Ports{loop, dialogs, *serial, settings, processes, environment});
    settings.values["Solmir/Startup/Port"] = device.toStdString();
    form = std::make_unique<Form1>(*ports);
    form->Form_Load();
    return *form;
  }
  std::string last_message() const {
    const std::string& t = form->Label_defautP.text();
    const auto e = t.rfind("\r\n");
    const auto b = t.rfind("\r\n", e - 1);
    return t.substr(b == std::string::npos ? 0 : b + 2, e - (b == std::string::npos ? 0 : b + 2));
  }

  test::TempDir dir;
  qt::QtEventLoop loop;
  test::ScriptedDialogs dialogs;
  test::MemorySettings settings;
  test::FakeProcessRunner processes;
  test::FakeEnvironment environment{dir.path()};
  std::unique_ptr<qt::QtSerialPort> serial;
  std::unique_ptr<Ports> ports;
  std::unique_ptr<Form1> form;

 private:
  int argc_ = 1;
  char name_[16] = "e2e";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

TEST_F(CardOpsPty, WindowProgramsReadsBackAndErasesThroughTheRealPort) {
  const auto card = dir.path() / "carte.bin";
  VirtualBoardProcess board({"--card", QString::fromStdString(card.string()), "--pace-link"});
  ASSERT_FALSE(board.device().isEmpty());
  Form1& f = window_on(board.device());
  ASSERT_TRUE(f.link->is_open());
  f.Midi_channel(2).set_value(true);
  f.Midi_channel(3).set_value(true);
  dialogs.paths.push_back(test::shared_midi(kTune).string());
  f.Ouvre_midi_Click();
  ASSERT_TRUE(f.programmer.enabled());
  const auto records = f.Liste_tran;
  f.Titre.set_text("Skip");
  f.programmer.click();
  ASSERT_EQ(last_message(), board::kMsgProgrammed);

  f.Liste_tran.clear();
  f.Copier_carte.click();
  EXPECT_EQ(f.Liste_tran, records);
  EXPECT_EQ(f.Titre.text(), "Skip      ");
  EXPECT_EQ(last_message(), "Sélectionner l'emplacement cible et cliquer Programmer");

  // The second half: into slot B of the same card.
  f.choixb.set_value(true);
  f.programmer.click();
  ASSERT_EQ(last_message(), board::kMsgProgrammed);
  f.Infos_carte.click();
  EXPECT_EQ(board::render_form4(f.form4)[2],
            "B : " + std::to_string(5 * records.size() + 10) + " octets \"Skip      \"");

  dialogs.answers = {true};
  f.Effacer_carte.click();
  EXPECT_EQ(last_message(), board::kMsgErased);
  f.Infos_carte.click();
  EXPECT_EQ(board::render_form4(f.form4)[1], "A : 0 octets");
}

TEST_F(CardOpsPty, CliProgramReadCopyEraseAndTest) {
  const auto card = dir.path() / "carte.bin";
  VirtualBoardProcess board(
      {"--card", QString::fromStdString(card.string()), "--piece-a", "10", "--title-a", "Premier"});
  const QString dev = board.device();
  // B after the piece A already there.
  CliResult r = cli({"program", tune_path(), "--channels", "3,4", "--slot", "B", "--port", dev,
                     "--title", "Skip"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Programmation : 100 %"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Programmation terminée"), std::string::npos) << r.err;

  const CliResult image = cli({"image", tune_path(), "--channels", "3,4"});
  r = cli({"read", "--slot", "B", "--port", dev});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, image.out);
  EXPECT_NE(r.err.find("titre \"Skip      \""), std::string::npos) << r.err;

  // Overwriting A is asked on the terminal: "n" keeps the card as it is.
  r = cli({"program", tune_path(), "--channels", "3,4", "--slot", "A", "--port", dev}, "n\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Attention les morceau A et B sont déjà programmés"), std::string::npos)
      << r.err;
  r = cli({"info", "--port", dev});
  EXPECT_NE(r.out.find("A : 80 octets \"Premier   \""), std::string::npos) << r.out;

  // To a second board, as piece A of an empty card.
  const auto card2 = dir.path() / "carte2.bin";
  VirtualBoardProcess other({"--card", QString::fromStdString(card2.string())});
  r = cli({"copy", "--slot", "B", "--port", dev, "--to-slot", "A", "--to-port", other.device()});
  ASSERT_EQ(r.status, 0) << r.err;
  r = cli({"read", "--slot", "A", "--port", other.device()});
  EXPECT_EQ(r.out, image.out);

  r = cli({"erase", "--port", dev, "--yes"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Effacement terminé"), std::string::npos) << r.err;
  r = cli({"read", "--slot", "A", "--port", dev});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Le morceau à copier n'existe pas"), std::string::npos) << r.err;
}

TEST_F(CardOpsPty, CliTestOfADefectiveCard) {
  VirtualBoardProcess board({"--defective", "--defect-at-step", "5"});
  CliResult r = cli({"test-card", "--port", board.device(), "--yes"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Carte défectueuse"), std::string::npos) << r.err;
  VirtualBoardProcess good({});
  r = cli({"test-card", "--port", good.device(), "--yes"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Test carte OK"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace solmir
