// solmir-carte-virtuelle: the virtual reader board on a pseudo-terminal. Prints on its first
// line of standard output the device to open (give it to `--port`, or type it into the port
// box), then serves the board until it is ended (or until the board goes away on request).
#include <algorithm>
#include <chrono>
#include <deque>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "board/virtual/board_args.h"
#include "board/virtual/virtual_board.h"
#include "tools/pty.h"

namespace {

void usage() {
  std::cout << "solmir-carte-virtuelle : la carte de lecture virtuelle sur un pseudo-terminal.\n"
               "La première ligne de la sortie standard donne le périphérique à ouvrir.\n\n"
               "  solmir-carte-virtuelle [--verbose] [--max-seconds S] "
            << solmir::board::virt::kBoardOptionsUsage
            << "\n\n"
               "  --card FICHIER        la carte est gardée dans ce fichier (créé vide, 32768 "
               "octets, s'il n'existe pas)\n"
               "  --size-code N         taille 2048 x 2^(N-1) octets d'une carte neuve "
               "(0 : pas de carte)\n"
               "  --empty               part d'une carte effacée\n"
               "  --piece-a N[:FORMAT]  met un morceau A de N enregistrements (format 29, 32 ou "
               "42 notes)\n"
               "  --slow                rythme d'une liaison à 57600 bauds et d'une vraie carte\n"
               "  --answer-delay MS     attend avant chaque réponse\n"
               "  --silent-after-lines N, --disconnect-after-lines N, --wrong-answer-at K : "
               "pannes\n"
               "  --verbose             écrit sur la sortie d'erreur chaque ligne reçue\n";
}

double now_ms() {
  using namespace std::chrono;
  static const auto start = steady_clock::now();
  return duration<double, std::milli>(steady_clock::now() - start).count();
}

std::string printable(const std::string& line) {
  std::string s;
  for (const char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 32 && b < 127) {
      s += c;
    } else {
      static const char* hex = "0123456789ABCDEF";
      s += "\\x";
      s += hex[b >> 4];
      s += hex[b & 15];
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace solmir::board::virt;
  std::vector<std::string> args(argv + 1, argv + argc);
  bool verbose = false;
  double max_ms = -1;
  try {
    BoardOptions options = take_board_options(args);
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (args[i] == "--help" || args[i] == "-h") {
        usage();
        return 0;
      } else if (args[i] == "--verbose") {
        verbose = true;
      } else if (args[i] == "--max-seconds" && i + 1 < args.size()) {
        max_ms = std::stod(args[++i]) * 1000.0;
      } else {
        std::cerr << "Option inconnue : " << args[i] << " (voir --help)" << std::endl;
        return 2;
      }
    }
    VirtualBoard board(std::move(options));
    solmir::tools::PseudoTerminal pty;
    std::cout << pty.device() << std::endl;

    std::deque<BoardOutput> due;
    board.on_output = [&](const BoardOutput& o) { due.push_back(o); };
    std::size_t logged = 0;
    const bool paced = board.options().pace_link;
    double rx_free = 0;
    for (;;) {
      // Hands out what is due, in order.
      while (!due.empty() && due.front().due_ms <= now_ms()) {
        const BoardOutput o = std::move(due.front());
        due.pop_front();
        if (o.hang_up) {
          // The last answers are read before the device goes.
          pty.read(100);
          pty.close();
          std::cerr << "Carte virtuelle débranchée" << std::endl;
          return 0;
        }
        pty.write(o.bytes);
      }
      if (max_ms >= 0 && now_ms() >= max_ms) return 0;
      double wait = 1000;
      if (!due.empty()) wait = std::max(0.0, due.front().due_ms - now_ms());
      if (max_ms >= 0) wait = std::min(wait, std::max(0.0, max_ms - now_ms()));
      const std::string in = pty.read(wait);
      if (!in.empty()) {
        // A pseudo-terminal hands the bytes over at once: a paced board takes them at the
        // speed of the link, the last one arriving 10/57600 s per byte after the first.
        double at = now_ms();
        if (paced) {
          rx_free = std::max(rx_free, at) + static_cast<double>(in.size()) * VirtualBoard::kByteMs;
          at = rx_free;
        }
        board.receive(in, at);
      }
      if (verbose) {
        for (; logged < board.lines().size(); ++logged)
          std::cerr << "<- " << printable(board.lines()[logged]) << std::endl;
      }
    }
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return 1;
  }
}
