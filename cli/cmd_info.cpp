// info: what the card in the reader board holds, as the card information window shows it.
#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "app/card_commands.h"
#include "app/form4.h"
#include "board/card_info.h"
#include "board/virtual/board_args.h"
#include "cli/board_session.h"
#include "cli/cli.h"

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

  DirectBoard b(port, options);
  if (!b.connect()) throw CliError{{}, 1};
  board::CardInfo info;
  try {
    info = board::read_card_info(b.link());
  } catch (const board::BoardFailure& e) {
    throw CliError{e.what(), 1};
  }
  b.settle();
  if (!info.card_present) {
    TerminalDialogs().message(board::kMsgNoCard);
    throw CliError{{}, 1};
  }
  board::Form4 shown;
  fill_form4(shown, info);
  for (const std::string& line : board::render_form4(shown)) std::cout << line << '\n';
  std::cout.flush();
  return 0;
}

Register info{{"info", kInfoUsage, board::virt::board_flags(), run_info}};

}  // namespace
}  // namespace solmir::cli
