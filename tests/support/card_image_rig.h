// Card images put straight into the main window for the tests of the card operations, and a
// look at what the virtual board was sent.
#pragma once

#include <string>
#include <vector>

#include "app/form1.h"
#include "base/inpout.h"
#include "board/virtual/card.h"
#include "score/card_image.h"
#include "score/record_format.h"

namespace solmir::test {

// Record i as the virtual board's sample bytes, in '0'/'1' digits.
inline std::string sample_digits(board::virt::Format f, int i) {
  return texte_vers_bin(board::virt::Card::sample_record(f, i));
}

inline board::virt::Format format_of(score::RecordLayout l) {
  using board::virt::Format;
  return l == score::RecordLayout::notes42   ? Format::notes42
         : l == score::RecordLayout::notes32 ? Format::notes32
                                             : Format::notes29;
}

// n distinct records of the layout.
inline std::vector<std::string> sample_image(score::RecordLayout l, int n) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back(sample_digits(format_of(l), i));
  return v;
}

// The card image as the builder leaves it: the records, their numbers, the scale boxes and
// the window state (which gives the button).
inline void put_image(Form1& f, const std::vector<std::string>& records,
                      score::RecordLayout layout) {
  if (layout == score::RecordLayout::notes42) {
    f.mode42.set_value(true);
  } else {
    f.mode42.set_value(false);
    f.Option32.set_value(layout == score::RecordLayout::notes32);
  }
  f.Liste_tran = records;
  f.nb_macro_evenements = static_cast<std::int32_t>(records.size());
  score::CardImageOptions o;
  o.layout = layout;
  o.demo = f.mode_demo;
  o.link_open = true;
  const score::CardImageSummary s = score::summarize_card_image(f.nb_macro_evenements, o);
  f.taille_requise = s.taille_requise;
  f.duree_prog_estimee = s.duree_prog_estimee;
  f.evenements_par_seconde = s.evenements_par_seconde;
  f.Text1.set_text(std::to_string(static_cast<std::int64_t>(s.duree_prog_estimee)));
  // The window state takes the image as made from the boxes as they are now.
  f.card_image_made(ImageSource::midi_file, s.programmer != score::ProgrammerRule::disable);
}

// The lines the board received from index `from` on.
inline std::vector<std::string> lines_from(const std::vector<std::string>& lines,
                                           std::size_t from) {
  if (from >= lines.size()) return {};
  return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end());
}

// How many of `lines` equal `word`.
inline int count_of(const std::vector<std::string>& lines, const std::string& word) {
  int n = 0;
  for (const auto& l : lines) n += l == word;
  return n;
}

}  // namespace solmir::test
