#include "score/road.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "base/numbers.h"

namespace solmir::score {

NotesRead read_notes(std::string_view bytes, const std::string& chemin_midi, const ReadOptions& o,
                     const std::function<void(std::size_t, std::size_t)>& progress) {
  // A file of notes takes 3 bytes or more per note event (delta, key, velocity under running
  // status): room for that spares the copies of a growing list, and pages never written cost
  // no memory.
  NoteExtractor x(o.ticked, o.vitesse, o.pas_ech, bytes.size() / 3, o.shift);
  NotesRead r;
  r.listing = midi::desassemble_midi(bytes, chemin_midi, x, progress);
  r.notes = x.finish();
  return r;
}

std::string started_text() {
  const std::time_t t = std::time(nullptr);
  char buf[32];
  std::strftime(buf, sizeof buf, "%d/%m/%Y %H:%M:%S", std::localtime(&t));
  return buf;
}

std::vector<std::string> extraction_log(const std::string& chemin_midi, const std::string& started,
                                        const ExtractionResult& r) {
  return {"Traitement de : " + chemin_midi,
          started,
          " ",
          kMsgDisassembly,
          str_num(r.note_on) + " événements note-ON identifiés",
          str_num(r.note_off) + " événements note-OFF identifiés",
          str_num(r.pairs) + " couples d'événements note-ON/note-OFF retenus"};
}

namespace {

// "00" to "99".
struct DigitPairs {
  char d[200];
  constexpr DigitPairs() : d() {
    for (int i = 0; i < 100; ++i) {
      d[2 * i] = static_cast<char>('0' + i / 10);
      d[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
  }
};
constexpr DigitPairs kPairs;

// v (0 <= v < 10^digits) with leading zeros, digits even, written backwards from end.
void put_digits(char* end, std::uint32_t v, int digits) {
  for (int i = 0; i < digits; i += 2) {
    end -= 2;
    const std::uint32_t r = v % 100;
    v /= 100;
    end[0] = kPairs.d[2 * r];
    end[1] = kPairs.d[2 * r + 1];
  }
}

}  // namespace

void append_note_lines(const NoteList& list, std::string& out, const LineFlush& flush) {
  // "0000120 00060 NOTE " : 7 digits, a blank, 5 digits, the kind and its trailing blank.
  constexpr std::size_t kBlock = 1 << 16;
  out.reserve(out.size() + std::min<std::size_t>(list.size() * 20, kBlock) + 32);
  char line[32];
  for (const NoteEvent& e : list) {
    if (e.time < 0 || e.time >= 10000000 || e.note < 0 || e.note >= 100000) {
      out += render(e);
      out += '\n';
    } else {
      // line[0] and line[8] take the digit above each field (always 0), then line[8] becomes
      // the blank between them; the line starts at line[1].
      put_digits(line + 8, static_cast<std::uint32_t>(e.time), 8);
      put_digits(line + 14, static_cast<std::uint32_t>(e.note), 6);
      line[8] = ' ';
      std::memcpy(line + 14, e.on ? " NOTE" : " NOOF", 5);
      std::size_t len = 19;
      if (e.trailing_blank) line[len++] = ' ';
      line[len++] = '\n';
      out.append(line + 1, len - 1);
    }
    if (flush && out.size() >= kBlock) {
      flush(out);
      out.clear();
    }
  }
}

}  // namespace solmir::score
