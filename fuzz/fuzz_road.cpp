// libFuzzer target: the whole road of a MIDI file, as the command line runs it: the note list
// read straight from the bytes, both passes, the card image in each layout, its export as a
// MIDI file, and that file read again. Stops on a crash, a bad memory access, undefined
// behaviour, or a broken promise: a sorted note list, records of their layout's width, an
// image no larger than the largest card, an export that reads back whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "midi/export.h"
#include "score/card_image.h"
#include "score/passes.h"
#include "score/road.h"
#include "score/scales.h"

namespace {

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "fuzz_road: %s\n", what);
  std::abort();
}

solmir::NoteTable base_table() {
  solmir::NoteTable t{};
  for (std::size_t k = 0; k < solmir::score::kBaseScale.size(); ++k)
    t[k] = solmir::score::kBaseScale[k];
  for (std::size_t k = 0; k < solmir::score::k42Low.size(); ++k)
    t[29 + k] = solmir::score::k42Low[k];
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace solmir;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  score::ReadOptions o;
  // The first byte, when there is one, chooses channels and step (the rest is the file).
  o.ticked[0] = size > 0 && (data[0] & 1);
  o.ticked[9] = size > 0 && (data[0] & 2);
  // Long ticks (25 mm each): a piece that stays within a card is a few thousand records at
  // most, so that each input takes little time; the limit of the largest card is still met
  // by long delays.
  o.pas_ech = 25;
  const score::NotesRead r = score::read_notes(bytes, "fuzz.mid", o);
  const score::NoteList& l = r.notes.Liste1;
  if (!std::is_sorted(l.begin(), l.end())) broken("note list not sorted");
  if (r.notes.pairs < 0 || r.notes.note_on < r.notes.pairs) broken("counts");

  score::PassResult p = score::separate_notes(l, 4);
  if (!std::is_sorted(p.Liste1.begin(), p.Liste1.end())) broken("separation not sorted");
  p = score::align_notes(std::move(p.Liste1), 3);
  if (!std::is_sorted(p.Liste1.begin(), p.Liste1.end())) broken("alignment not sorted");

  const NoteTable table = base_table();
  for (const score::RecordLayout layout :
       {score::RecordLayout::notes29, score::RecordLayout::notes32, score::RecordLayout::notes42}) {
    const score::Records rec =
        score::build_records(p.Liste1, table, layout, 400, layout != score::RecordLayout::notes29);
    if (rec.too_long) {
      if (!rec.Liste_tran.empty()) broken("records kept of a piece too long");
      continue;
    }
    if (rec.nb_macro_evenements > score::max_card_records(layout)) broken("image past the card");
    if (rec.Liste_tran.size() != static_cast<std::size_t>(rec.nb_macro_evenements))
      broken("record count");
    for (const std::string& s : rec.Liste_tran)
      if (s.size() != static_cast<std::size_t>(score::record_digits(layout)))
        broken("record width");
    const midi::MidiExport x = midi::card_image_to_midi(rec.Liste_tran, layout, table);
    if (x.skipped_lines != 0) broken("records skipped by the export");
    const score::NotesRead again = score::read_notes(x.bytes, "export.mid", {});
    if (again.listing.incomplete()) broken("the export does not read back whole");
  }
  return 0;
}
