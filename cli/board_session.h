// A reader board reached by the command line without a window model: its port (a serial
// device, or the virtual board in the process), the link over it, and the questions and
// progress of the exchanges on the terminal.
#pragma once

#include <QCoreApplication>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>

#include "board/card_work.h"
#include "board/link.h"
#include "board/virtual/board_args.h"
#include "cli/cli.h"
#include "qtport/qt_event_loop.h"

namespace solmir::cli {

// A progress line on standard error: a bar on a terminal, else a line every 10 %.
class ProgressLine {
 public:
  explicit ProgressLine(std::string label);
  ~ProgressLine() { end_line(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  void update(std::int64_t value, std::int64_t max);
  // Ends an open bar line, before a message is written.
  void end_line();

 private:
  std::string label_;
  bool tty_;
  bool open_ = false;
  int last_ = -1, last_tenth_ = -1;
};

// The questions on the terminal (--yes answers them), progress on standard error.
class TerminalPrompts : public board::WorkPrompts {
 public:
  TerminalPrompts(TerminalDialogs& dialogs, std::string label)
      : dialogs_(dialogs), line_(std::move(label)) {}
  bool ask_yes_no(const std::string& q) override {
    line_.end_line();
    return dialogs_.ask_yes_no(q);
  }
  void tell(const std::string& m) override {
    line_.end_line();
    dialogs_.message(m);
  }
  void progress_start(std::int64_t total) override { total_ = total; }
  void progress(std::int64_t done) override { line_.update(done, total_); }
  // Whether the long part (the transfer, the board's work) has begun.
  bool started() const { return total_ > 0; }
  // A message on standard error, after the progress line.
  void say(const std::string& m) {
    line_.end_line();
    std::cerr << m << std::endl;
  }

 private:
  TerminalDialogs& dialogs_;
  ProgressLine line_;
  std::int64_t total_ = 0;
};

// The board of a command: --port N|CHEMIN|virtual with the virtual board's options.
class DirectBoard {
 public:
  // Throws CliError (status 1) when the virtual board cannot be made.
  DirectBoard(const std::string& port, const board::virt::BoardOptions& options);
  ~DirectBoard();
  // Opens the port and resets the board; false when it does not open (the reason said on
  // standard error).
  bool connect();
  board::Link& link() { return *link_; }
  qt::QtEventLoop& loop() { return loop_; }
  // Lets the last bytes written leave before the port closes.
  void settle();
  void close();

 private:
  static inline int argc_ = 1;
  static inline char name_[] = "solmir-cli";
  static inline char* argv_[] = {name_, nullptr};
  // The first board of the command makes the Qt application; a second one (a copy between
  // two boards) shares it.
  std::unique_ptr<QCoreApplication> app_;
  qt::QtEventLoop loop_;
  std::string port_;
  bool virtual_;
  std::unique_ptr<SerialPort> serial_;
  std::unique_ptr<board::Link> link_;
};

}  // namespace solmir::cli
