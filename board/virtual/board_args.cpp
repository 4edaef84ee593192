#include "board/virtual/board_args.h"

#include <algorithm>
#include <stdexcept>

#include "base/text.h"

namespace solmir::board::virt {

const char* const kBoardOptionsUsage =
    "[--card FICHIER] [--size-code 0..9] [--no-card] [--empty]\n"
    "        [--piece-a N[:29|32|42]] [--piece-b N[:29|32|42]] [--demo N]\n"
    "        [--title-a TITRE] [--title-b TITRE] [--version-letter L|none] [--odometer N]\n"
    "        [--slow] [--pace-link] [--card-timing] [--answer-delay MS]\n"
    "        [--silent-after-lines N] [--disconnect-after-lines N]\n"
    "        [--wrong-answer-at K] [--wrong-answer TEXTE] [--defective] [--defect-at-step S]";

const std::vector<std::string>& board_flags() {
  static const std::vector<std::string> flags = {"--no-card",   "--empty",       "--slow",
                                                 "--pace-link", "--card-timing", "--defective"};
  return flags;
}

namespace {

int number(const std::string& option, const std::string& text, int lo, int hi) {
  std::size_t used = 0;
  int v = 0;
  try {
    v = std::stoi(text, &used);
  } catch (...) {
    used = 0;
  }
  if (used == 0 || used != text.size() || v < lo || v > hi)
    throw std::invalid_argument("Option " + option + " : nombre de " + std::to_string(lo) + " à " +
                                std::to_string(hi) + " attendu, reçu \"" + text + "\"");
  return v;
}

PieceSpec piece(const std::string& option, const std::string& text, Slot slot) {
  PieceSpec p;
  p.slot = slot;
  const auto colon = text.find(':');
  p.count = number(option, text.substr(0, colon), 0, 99999);
  if (colon != std::string::npos) {
    const std::string f = text.substr(colon + 1);
    if (f == "29" || f == "27" || f == "27/29") {
      p.format = Format::notes29;
    } else if (f == "32") {
      p.format = Format::notes32;
    } else if (f == "42") {
      p.format = Format::notes42;
    } else {
      throw std::invalid_argument("Option " + option + " : format 29, 32 ou 42 attendu, reçu \"" +
                                  f + "\"");
    }
  }
  return p;
}

}  // namespace

BoardOptions take_board_options(std::vector<std::string>& args) {
  static const std::vector<std::string> valued = {"--card",
                                                  "--size-code",
                                                  "--piece-a",
                                                  "--piece-b",
                                                  "--demo",
                                                  "--title-a",
                                                  "--title-b",
                                                  "--version-letter",
                                                  "--odometer",
                                                  "--answer-delay",
                                                  "--silent-after-lines",
                                                  "--disconnect-after-lines",
                                                  "--wrong-answer-at",
                                                  "--wrong-answer",
                                                  "--defect-at-step"};
  BoardOptions o;
  std::string title_a, title_b;
  bool has_title_a = false, has_title_b = false;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i], value;
    bool inline_value = false;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      inline_value = true;
    }
    const bool is_flag =
        std::find(board_flags().begin(), board_flags().end(), name) != board_flags().end();
    const bool is_valued = std::find(valued.begin(), valued.end(), name) != valued.end();
    if (!is_flag && !is_valued) {
      rest.push_back(args[i]);
      continue;
    }
    if (is_valued && !inline_value) {
      if (i + 1 >= args.size())
        throw std::invalid_argument("Option " + name + " : valeur manquante");
      value = args[++i];
    }
    if (name == "--card") {
      o.card_file = value;
    } else if (name == "--size-code") {
      o.size_code = number(name, value, 0, 9);
      o.size_code_given = true;
    } else if (name == "--no-card") {
      o.size_code = 0;
      o.size_code_given = true;
    } else if (name == "--empty") {
      o.empty_card = true;
    } else if (name == "--piece-a") {
      o.pieces.push_back(piece(name, value, 'A'));
    } else if (name == "--piece-b") {
      o.pieces.push_back(piece(name, value, 'B'));
    } else if (name == "--demo") {
      o.pieces.push_back(PieceSpec{'D', Format::notes29, number(name, value, 0, 99999), {}});
    } else if (name == "--title-a") {
      title_a = value;
      has_title_a = true;
    } else if (name == "--title-b") {
      title_b = value;
      has_title_b = true;
    } else if (name == "--version-letter") {
      if (value == "none") {
        o.version_letter = 0;
      } else if (value.size() == 1) {
        o.version_letter = value[0];
      } else {
        throw std::invalid_argument("Option --version-letter : une lettre ou none attendu");
      }
    } else if (name == "--odometer") {
      o.odometer = static_cast<std::uint8_t>(number(name, value, 0, 255));
    } else if (name == "--slow") {
      o.pace_link = o.card_timing = true;
    } else if (name == "--pace-link") {
      o.pace_link = true;
    } else if (name == "--card-timing") {
      o.card_timing = true;
    } else if (name == "--answer-delay") {
      o.answer_delay_ms = number(name, value, 0, 600000);
    } else if (name == "--silent-after-lines") {
      o.silent_after_lines = number(name, value, 0, 1 << 30);
    } else if (name == "--disconnect-after-lines") {
      o.disconnect_after_lines = number(name, value, 0, 1 << 30);
    } else if (name == "--wrong-answer-at") {
      o.wrong_answer_at = number(name, value, 1, 1 << 30);
    } else if (name == "--wrong-answer") {
      o.wrong_answer = value;
    } else if (name == "--defective") {
      o.defective = true;
    } else if (name == "--defect-at-step") {
      o.defect_at_step = number(name, value, 1, 51);
    }
  }
  std::stable_sort(o.pieces.begin(), o.pieces.end(), [](const PieceSpec& a, const PieceSpec& b) {
    auto rank = [](Slot s) { return s == 'A' ? 0 : s == 'B' ? 1 : 2; };
    return rank(a.slot) < rank(b.slot);
  });
  for (PieceSpec& p : o.pieces) {
    if (p.slot == 'A' && has_title_a) p.title = utf8_to_latin1(title_a);
    if (p.slot == 'B' && has_title_b) p.title = utf8_to_latin1(title_b);
  }
  args = std::move(rest);
  return o;
}

}  // namespace solmir::board::virt
