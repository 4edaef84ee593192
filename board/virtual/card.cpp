#include "board/virtual/card.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "base/file_read.h"

namespace solmir::board::virt {

std::size_t record_bytes(Format f) {
  return f == Format::notes42 ? 7 : 5;
}

std::string_view signature(Format f) {
  switch (f) {
    case Format::notes42:
      return "VELOR";
    case Format::notes32:
      return "VELor";
    default:
      return "VELoR";
  }
}

std::optional<Format> format_of_signature(std::string_view s) {
  if (s == "VELoR") return Format::notes29;
  if (s == "VELor") return Format::notes32;
  if (s == "VELOR") return Format::notes42;
  return std::nullopt;
}

namespace {

std::size_t size_for_code(int code) {
  return std::size_t{2048} << (code - 1);
}

std::size_t title_address(std::size_t card_size, Slot slot) {
  return card_size - (slot == 'B' ? 10 : 20);
}

std::size_t notes_address(std::size_t card_size, Slot slot) {
  return card_size - (slot == 'B' ? 23 : 26);
}

std::string blank_erased(std::string s) {
  for (char& c : s)
    if (static_cast<unsigned char>(c) == 0xFF) c = ' ';
  return s;
}

}  // namespace

Card::Card(int size_code) : size_code_(size_code) {
  if (size_code < 1 || size_code > 9)
    throw std::invalid_argument("Code de taille de carte de 1 à 9 attendu");
  bytes_.assign(size_for_code(size_code), 0xFF);
}

int Card::size_code_of_length(std::size_t n) {
  for (int d = 1; d <= 9; ++d)
    if (size_for_code(d) == n) return d;
  return 0;
}

void Card::erase() {
  std::fill(bytes_.begin(), bytes_.end(), std::uint8_t{0xFF});
}

void Card::write(std::size_t address, std::string_view data) {
  for (std::size_t i = 0; i < data.size() && address + i < bytes_.size(); ++i)
    bytes_[address + i] = static_cast<std::uint8_t>(data[i]);
}

std::string Card::read(std::size_t address, std::size_t n) const {
  std::string s(n, static_cast<char>(0xFF));
  for (std::size_t i = 0; i < n && address + i < bytes_.size(); ++i)
    s[i] = static_cast<char>(bytes_[address + i]);
  return s;
}

std::size_t Card::room_a() const {
  const auto a = piece('A');
  const std::size_t pages = (a ? a->size() : 0) + 16;
  std::size_t q = pages / 16;
  const std::size_t r = pages % 16;
  if (r > 8 || (r == 8 && q % 2 == 1)) ++q;
  return 16 * q;
}

std::size_t Card::address_of(Slot slot) const {
  if (slot == 'A') return 0;
  if (slot == 'B') return room_a();
  return kDemoAddress;
}

std::optional<PieceInfo> Card::piece(Slot slot) const {
  std::size_t at = 0;
  if (slot == 'B') {
    at = room_a();
  } else if (slot != 'A') {
    at = kDemoAddress;
  }
  if (at + 10 > bytes_.size()) return std::nullopt;
  const auto f = format_of_signature(read(at, 5));
  if (!f) return std::nullopt;
  const std::string n = read(at + 5, 5);
  int count = 0;
  for (const char c : n) {
    if (c < '0' || c > '9') return std::nullopt;
    count = count * 10 + (c - '0');
  }
  return PieceInfo{*f, count, at};
}

std::string Card::record(const PieceInfo& p, int i) const {
  const std::size_t r = record_bytes(p.format);
  return read(p.address + 10 + r * static_cast<std::size_t>(i), r);
}

std::string Card::title(Slot slot) const {
  return blank_erased(read(title_address(size(), slot), 10));
}

void Card::set_title(Slot slot, std::string_view ten) {
  std::string t(ten.substr(0, std::min<std::size_t>(ten.size(), 10)));
  t.resize(10, ' ');
  write(title_address(size(), slot), t);
}

std::string Card::notes(Slot slot) const {
  return blank_erased(read(notes_address(size(), slot), 3));
}

void Card::set_notes(Slot slot, std::optional<std::string_view> three) {
  std::string n = three ? std::string(three->substr(0, 3)) : std::string();
  n.resize(3, static_cast<char>(0xFF));
  write(notes_address(size(), slot), n);
}

std::string Card::sample_record(Format f, int i) {
  std::string r(record_bytes(f), '\0');
  for (std::size_t k = 0; k < r.size(); ++k)
    r[k] = static_cast<char>((i * 7 + static_cast<int>(k) * 31 + 1) & 0xFF);
  return r;
}

void Card::remove_after(Slot slot) {
  const std::string erased(5, static_cast<char>(0xFF));
  // The demo's signature goes unless it lies inside piece A, which stays when B is written.
  const auto a = piece('A');
  const bool demo_inside_a = a && a->address + a->size() > kDemoAddress;
  if (slot == 'A') {
    write(room_a(), erased);
    write(kDemoAddress, erased);
  } else if (slot == 'B' && !demo_inside_a) {
    write(kDemoAddress, erased);
  }
}

void Card::put_piece(Slot slot, Format f, int count, std::string_view title,
                     const std::vector<std::string>& records) {
  remove_after(slot);
  const std::size_t at = address_of(slot);
  std::string digits = std::to_string(count % 100000);
  digits.insert(0, 5 - digits.size(), '0');
  std::string data(signature(f));
  data += digits;
  for (int i = 0; i < count; ++i)
    data += static_cast<std::size_t>(i) < records.size() ? records[static_cast<std::size_t>(i)]
                                                         : sample_record(f, i);
  write(at, data);
  if (slot != 'D' && !title.empty()) set_title(slot, title);
}

Card Card::load(const std::filesystem::path& p) {
  // No card is larger than the size of code 9: a larger file is refused before it is read.
  const std::string data = read_regular_file(p, size_for_code(9), "Impossible de lire la carte : ");
  const int code = size_code_of_length(data.size());
  if (code == 0)
    throw std::runtime_error("Le fichier " + p.string() + " n'a pas la taille d'une carte (" +
                             std::to_string(data.size()) + " octets)");
  Card c(code);
  c.write(0, data);
  return c;
}

void Card::save(const std::filesystem::path& p) const {
  std::filesystem::path tmp = p;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("Impossible d'écrire la carte : " + p.string());
    out.write(reinterpret_cast<const char*>(bytes_.data()),
              static_cast<std::streamsize>(bytes_.size()));
    if (!out) throw std::runtime_error("Impossible d'écrire la carte : " + p.string());
  }
  std::error_code ec;
  std::filesystem::rename(tmp, p, ec);
  if (ec) throw std::runtime_error("Impossible d'écrire la carte : " + p.string());
}

}  // namespace solmir::board::virt
