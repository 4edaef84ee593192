// info: what the card in the reader board holds, as the card information window shows it.
#include <QCoreApplication>
#include <iostream>
#include <stdexcept>

#include "board/card_info.h"
#include "board/virtual/board_args.h"
#include "board/virtual/virtual_serial_port.h"
#include "cli/cli.h"
#include "qtport/qt_event_loop.h"
#include "qtport/qt_serial_port.h"

namespace solmir::cli {
namespace {

const char* const kInfoUsage =
    "--port N|CHEMIN|virtual [--card FICHIER]\n"
    "        (avec --port virtual, les options de la carte virtuelle de "
    "solmir-carte-virtuelle)";

// The board options given to the command, back into command-line form.
std::vector<std::string> board_args(const Args& a) {
  std::vector<std::string> v;
  for (const auto& [k, value] : a.options) {
    if (k == "--port") continue;
    v.push_back(k);
    if (std::find(board::virt::board_flags().begin(), board::virt::board_flags().end(), k) ==
        board::virt::board_flags().end())
      v.push_back(value);
  }
  return v;
}

int run_info(const Args& a) {
  if (!a.has("--port") || !a.positional.empty())
    throw CliError{"Usage : solmir-cli info " + std::string(kInfoUsage), 2};
  const std::string port = a.get("--port");
  const bool is_virtual = port == "virtual";
  std::vector<std::string> rest = board_args(a);
  board::virt::BoardOptions options;
  try {
    options = board::virt::take_board_options(rest);
  } catch (const std::invalid_argument& e) {
    throw CliError{e.what(), 2};
  }
  if (!rest.empty()) throw CliError{"Option inconnue : " + rest.front(), 2};
  if (!is_virtual && a.options.size() > 1)
    throw CliError{"Les options de la carte virtuelle vont avec --port virtual", 2};

  static int argc = 1;
  static char name[] = "solmir-cli";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  qt::QtEventLoop loop;
  std::unique_ptr<SerialPort> serial;
  if (is_virtual) {
    try {
      serial = std::make_unique<board::virt::VirtualSerialPort>(loop, std::move(options));
    } catch (const std::exception& e) {
      throw CliError{e.what(), 1};
    }
  } else {
    serial = std::make_unique<qt::QtSerialPort>();
  }
  Session s(loop, serial.get());
  s.start(Args{});
  Form1& f = s.form();
  f.port.set_text(is_virtual ? "0" : port);
  f.link_follows_port = true;
  f.port_Change();
  // The reasons are already in the service messages, on standard error.
  if (!f.link->is_open()) throw CliError{{}, 1};
  f.Infos_carte_Click();
  if (f.link->operation_failed || !f.form4.window.visible()) throw CliError{{}, 1};
  for (const std::string& line : board::render_form4(f.form4)) std::cout << line << '\n';
  std::cout.flush();
  return 0;
}

Register info{{"info", kInfoUsage, board::virt::board_flags(), run_info}};

}  // namespace
}  // namespace solmir::cli
