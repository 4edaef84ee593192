// Card programming against a virtual board paced like a 57600-baud link, whose card answers
// each line at once: the time programming takes against the link's own time for the bytes
// exchanged (bytes x 10 bits / 57600 baud), and the processor time used meanwhile. Through the
// real Qt serial port and solmir-carte-virtuelle on a pseudo-terminal (when its path is
// given), and with the virtual board in the process on the Qt loop. Exits 1 when a run takes
// more than --limit times the link's time (1.1 by default).
//
//   solmir_bench_programming [--board PATH/solmir-carte-virtuelle] [--records N] [--runs R]
//                            [--limit X]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/card_commands.h"
#include "app/form1.h"
#include "board/programming.h"
#include "board/virtual/virtual_serial_port.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_serial_port.h"
#include "tests/support/card_image_rig.h"
#include "tests/support/fakes.h"

namespace {

using namespace solmir;

// Counts the bytes that cross the port each way.
class CountingPort : public SerialPort {
 public:
  explicit CountingPort(SerialPort& inner) : inner_(inner) {
    inner_.on_bytes_arrived = [this] {
      if (on_bytes_arrived) on_bytes_arrived();
    };
    inner_.on_port_lost = [this] {
      if (on_port_lost) on_port_lost();
    };
  }
  ~CountingPort() override {
    inner_.on_bytes_arrived = nullptr;
    inner_.on_port_lost = nullptr;
  }
  bool open(const std::string& name) override { return inner_.open(name); }
  void close() override { inner_.close(); }
  bool is_open() const override { return inner_.is_open(); }
  void write(std::string_view b) override {
    written += b.size();
    inner_.write(b);
  }
  std::string read(std::size_t n) override {
    std::string s = inner_.read(n);
    received += s.size();
    return s;
  }
  std::size_t bytes_available() const override { return inner_.bytes_available(); }
  void discard_buffers() override { inner_.discard_buffers(); }
  void set_dtr(bool on) override { inner_.set_dtr(on); }
  void set_rts(bool on) override { inner_.set_rts(on); }
  std::size_t written = 0, received = 0;

 private:
  SerialPort& inner_;
};

struct Result {
  std::size_t bytes = 0;
  double link_ms = 0, elapsed_ms = 0, cpu_ms = 0;
  bool ok = false;
};

// Programs a piece of `records` 27/29-note records on slot A through `port` (opened on name).
Result program_once(qt::QtEventLoop& loop, SerialPort& raw, const std::string& name, int records) {
  CountingPort port(raw);
  test::TempDir dir;
  test::ScriptedDialogs dialogs;
  dialogs.answers.assign(4, true);
  test::MemorySettings settings;
  settings.values["Solmir/Startup/Port"] = name;
  test::FakeProcessRunner processes;
  test::FakeEnvironment environment{dir.path()};
  Ports ports{loop, dialogs, port, settings, processes, environment};
  Form1 f(ports);
  f.Form_Load();
  Result r;
  if (!f.link->is_open()) {
    std::cerr << "Le port " << name << " ne s'ouvre pas" << std::endl;
    return r;
  }
  test::put_image(f, test::sample_image(score::RecordLayout::notes29, records),
                  score::RecordLayout::notes29);
  f.Titre.set_text("Banc");
  attente(loop, 100);
  port.written = port.received = 0;
  QElapsedTimer t;
  const std::clock_t c0 = std::clock();
  t.start();
  const board::ProgramOutcome o = program_card(f);
  r.elapsed_ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
  r.cpu_ms = 1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
  r.bytes = port.written + port.received;
  r.link_ms = static_cast<double>(r.bytes) * 10.0 * 1000.0 / 57600.0;
  r.ok = o == board::ProgramOutcome::programmed;
  if (!r.ok) std::cerr << "La programmation a échoué : " << f.Label_defautP.text() << std::endl;
  return r;
}

bool report(const char* label, const std::vector<Result>& runs, double limit) {
  bool ok = true;
  double worst = 0, best = 1e9, cpu = 0, elapsed = 0;
  std::size_t bytes = 0;
  double link = 0;
  for (const Result& r : runs) {
    ok = ok && r.ok;
    const double ratio = r.elapsed_ms / r.link_ms;
    worst = std::max(worst, ratio);
    best = std::min(best, ratio);
    cpu += r.cpu_ms;
    elapsed += r.elapsed_ms;
    bytes = r.bytes;
    link = r.link_ms;
  }
  const double n = static_cast<double>(runs.size());
  std::printf(
      "%-26s %5zu octets échangés, liaison %6.1f ms ; programmation %6.1f ms en moyenne : "
      "rapport %.3f (meilleur %.3f, pire %.3f) ; processeur %5.1f ms (%4.1f %%)\n",
      label, bytes, link, elapsed / n, elapsed / n / link, best, worst, cpu / n,
      100.0 * cpu / elapsed);
  return ok && worst <= limit;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString board_tool;
  int records = 800;  // 4010 bytes
  int runs = 5;
  double limit = 1.1;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == "--board") {
      board_tool = args[i + 1];
    } else if (args[i] == "--records") {
      records = args[i + 1].toInt();
    } else if (args[i] == "--runs") {
      runs = std::max(1, args[i + 1].toInt());
    } else if (args[i] == "--limit") {
      limit = args[i + 1].toDouble();
    }
  }
  std::printf("Programmation d'un morceau de %d enregistrements (%d octets) sur le morceau A\n",
              records, 5 * records + 10);
  qt::QtEventLoop loop;
  bool ok = true;

  if (!board_tool.isEmpty()) {
    QProcess board;
    board.start(board_tool, {"--pace-link", "--max-seconds", "600"});
    QElapsedTimer t;
    t.start();
    while (!board.canReadLine() && t.elapsed() < 10000) board.waitForReadyRead(100);
    const std::string device = QString::fromUtf8(board.readLine()).trimmed().toStdString();
    std::vector<Result> v;
    for (int i = 0; i < runs; ++i) {
      qt::QtSerialPort serial;
      v.push_back(program_once(loop, serial, device, records));
    }
    ok = report("pseudo-terminal", v, limit) && ok;
    board.kill();
    board.waitForFinished(5000);
  }

  std::vector<Result> v;
  for (int i = 0; i < runs; ++i) {
    board::virt::BoardOptions o;
    o.pace_link = true;
    board::virt::VirtualSerialPort serial(loop, o);
    v.push_back(program_once(loop, serial, "0", records));
  }
  // In the process the board's answers are delivered on whole milliseconds.
  report("carte virtuelle en process", v, 1e9);
  return ok ? 0 : 1;
}
