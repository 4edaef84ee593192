#include <iostream>

#include "cli/cli.h"
#ifdef SOLMIR_CLI_ROAD_ONLY
#include "cli/forward.h"
#endif

using solmir::cli::CliError;

namespace {

void print_help() {
  std::cout << "solmir-cli : préparation et écriture de cartes pour orgue de barbarie, sans "
               "fenêtre.\n"
               "Les données vont sur la sortie standard, les messages sur la sortie d'erreur.\n\n"
               "Commandes :\n";
  for (const auto& c : solmir::cli::commands())
    std::cout << "  solmir-cli " << c.name << " " << c.usage << "\n";
  std::cout << "\nOptions de préparation :\n        " << solmir::cli::kPrepareUsage
            << "\n  --scale percussion coche le canal 10, comme la fenêtre.\n"
               "  Sans --ini, aucun fichier solmir.ini n'est lu ; sans --log, rien n'est "
               "journalisé.\n";
}

}  // namespace

int main(int argc, char** argv) {
  solmir::cli::program_path = argv[0];
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef SOLMIR_CLI_ROAD_ONLY
  // This program holds the road commands only: the help and the other commands are the whole
  // command line's.
  bool mine = false;
  for (const auto& c : solmir::cli::commands()) mine = mine || (!args.empty() && c.name == args[0]);
  if (!mine) return solmir::cli::forward_to(solmir::cli::whole_program(argv[0]), args);
#endif
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    print_help();
    return args.empty() ? 2 : 0;
  }
  for (const auto& c : solmir::cli::commands()) {
    if (c.name != args[0]) continue;
    try {
      std::vector<std::string> rest(args.begin() + 1, args.end());
      if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
        std::cout << "solmir-cli " << c.name << " " << c.usage << "\n";
        return 0;
      }
      return c.run(solmir::cli::parse_args(rest, c.flags));
    } catch (const CliError& e) {
      if (!e.message.empty()) std::cerr << e.message << std::endl;
      return e.status;
    } catch (const std::exception& e) {
      std::cerr << "Erreur : " << e.what() << std::endl;
      return 1;
    }
  }
  std::cerr << "Commande inconnue : " << args[0] << " (voir solmir-cli --help)" << std::endl;
  return 2;
}
