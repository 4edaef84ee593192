// Reading the output order and instrument table files, and the parameters as text lines.
#include "base/file_read.h"
#include "board/params.h"

namespace solmir::board {

std::vector<std::string> render_params(const ParamsLus& p) {
  return {
      "tous_fronts_1 : " + std::to_string(p.tous_fronts_1),
      "tous_fronts_2 : " + std::to_string(p.tous_fronts_2),
      "periode : " + p.periode,
      "ordre_sorties : " + p.ordre_sorties,
      "instruments : " + p.instruments,
      "note_filler : " + std::to_string(p.note_filler),
      "relais : " + std::to_string(p.relais),
      "midi : " + std::to_string(p.midi),
      "mute_rf : " + std::to_string(p.mute_rf),
      "sortie_midi : " + p.sortie_midi,
  };
}

std::optional<std::vector<std::string>> read_text_lines(const std::filesystem::path& file) {
  // Table files hold a few dozen short lines: anything larger, or not a regular file, is not
  // one (and is not read whole).
  std::string text;
  try {
    text = read_regular_file(file, kTableFileLimit, "");
  } catch (const FileReadFailure&) {
    return std::nullopt;
  }
  std::vector<std::string> lines;
  std::size_t b = 0;
  while (b < text.size()) {
    std::size_t e = text.find('\n', b);
    if (e == std::string::npos) e = text.size();
    std::string line = text.substr(b, e - b);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    b = e + 1;
  }
  return lines;
}

std::optional<std::int64_t> parse_whole_number(std::string_view t) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!t.empty() && blank(t.front())) t.remove_prefix(1);
  while (!t.empty() && blank(t.back())) t.remove_suffix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty() || t.size() > 10) return std::nullopt;
  std::int64_t v = 0;
  for (const char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v > 0xFFFFFFFFll) return std::nullopt;
  return negative ? -v : v;
}

namespace {

// One block of 16 note lines from `first` (1-based): line first + 2k gives output high - k,
// line first + 1 + 2k gives output low + k, for k = 0 to 7.
bool read_block(const std::vector<std::string>& lines, std::size_t first, int high, int low,
                const NoteTable& table_notes, std::vector<std::uint8_t>& out) {
  for (int k = 0; k < 8; ++k) {
    const std::size_t l = first + 2 * static_cast<std::size_t>(k);
    const auto a = parse_whole_number(lines[l - 1]);
    const auto b = parse_whole_number(lines[l]);
    if (!a || !b) return false;
    // A number that is no note (beyond 32 bits) is not in the table either: rank 1.
    auto rank = [&](std::int64_t note) -> std::uint8_t {
      if (note < INT32_MIN || note > INT32_MAX) return 1;
      return static_cast<std::uint8_t>(rang_note(table_notes, static_cast<int>(note)));
    };
    out[static_cast<std::size_t>(high - k)] = rank(*a);
    out[static_cast<std::size_t>(low + k)] = rank(*b);
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> read_order_table_29_32(const std::filesystem::path& file,
                                                                const NoteTable& table_notes) {
  const auto lines = read_text_lines(file);
  if (!lines || lines->size() < 37) return std::nullopt;
  std::vector<std::uint8_t> t(35, 255);
  if (!read_block(*lines, 4, 31, 0, table_notes, t)) return std::nullopt;
  if (!read_block(*lines, 22, 23, 8, table_notes, t)) return std::nullopt;
  return t;
}

std::optional<std::vector<std::uint8_t>> read_order_table_42_45(const std::filesystem::path& file,
                                                                const NoteTable& table_notes) {
  const auto lines = read_text_lines(file);
  // Lines 55 to 58 are not used, but a table file has them.
  if (!lines || lines->size() < 58) return std::nullopt;
  std::vector<std::uint8_t> t(50, 0);
  if (!read_block(*lines, 4, 47, 16, table_notes, t)) return std::nullopt;
  if (!read_block(*lines, 22, 39, 24, table_notes, t)) return std::nullopt;
  if (!read_block(*lines, 39, 7, 8, table_notes, t)) return std::nullopt;
  return t;
}

std::optional<std::vector<std::uint8_t>> read_instrument_table(const std::filesystem::path& file) {
  const auto lines = read_text_lines(file);
  if (!lines || lines->size() > 20 || lines->size() < 13) return std::nullopt;
  std::vector<std::uint8_t> t;
  for (std::size_t l = 4; l <= 13; ++l) {
    const auto v = parse_whole_number((*lines)[l - 1]);
    // An instrument is one byte: 0 to 255.
    if (!v || *v < 0 || *v > 255) return std::nullopt;
    t.push_back(static_cast<std::uint8_t>(*v));
  }
  return t;
}

}  // namespace solmir::board
