// MIDI file to card image: the whole road (read the file, event listing, note extraction,
// separation and alignment, card image) on a large generated file and on the given folder's
// MIDI files. The road on the large file must take less time than midicsv alone takes to read
// the same file; the program exits 1 when it does not.
//
//   solmir_bench_card_image [--notes N] [--runs R] [--keep FILE] [FOLDER...]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "midi/listing.h"
#include "score/card_image.h"
#include "score/extraction.h"
#include "score/passes.h"
#include "score/scales.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace solmir;

// ---------------------------------------------------------------- the large file

// A small fixed generator, so that the file is the same on every machine.
struct Lcg {
  std::uint32_t s;
  std::uint32_t next(std::uint32_t n) {
    s = s * 1664525u + 1013904223u;
    return (s >> 8) % n;
  }
};

void vlq(std::string& out, std::uint32_t v) {
  char buf[5];
  int n = 0;
  buf[n++] = static_cast<char>(v & 0x7F);
  while (v >>= 7) buf[n++] = static_cast<char>(0x80 | (v & 0x7F));
  while (n) out += buf[--n];
}

std::string chunk(const std::string& data) {
  std::string c = "MTrk";
  const auto n = static_cast<std::uint32_t>(data.size());
  for (int s = 24; s >= 0; s -= 8) c += static_cast<char>((n >> s) & 0xFF);
  return c + data;
}

// Format 1 at 480 ticks per quarter note: a conductor track with a tempo change every 8 bars,
// then one track per channel, the notes spread over them (chords and overlaps included;
// channel 10 plays the percussion range).
std::string large_file(int notes) {
  const int per_track = notes / 16;
  const std::uint32_t length = static_cast<std::uint32_t>(per_track) * 240;
  std::string conductor;
  for (std::uint32_t t = 0, last = 0, i = 0; t < length; t += 8 * 4 * 480, ++i) {
    vlq(conductor, t - last);
    const std::uint32_t tempo = 400000 + (i % 7) * 50000;
    conductor += "\xFF\x51\x03";
    for (int s = 16; s >= 0; s -= 8) conductor += static_cast<char>((tempo >> s) & 0xFF);
    last = t;
  }
  conductor += std::string("\x00\xFF\x2F\x00", 4);
  std::string file = "MThd";
  file += std::string("\x00\x00\x00\x06\x00\x01\x00\x11\x01\xE0", 10);
  file += chunk(conductor);
  Lcg rng{12345};
  for (int ch = 0; ch < 16; ++ch) {
    // (tick, status, key, velocity), note-offs as note-ons of velocity 0 on odd channels.
    struct Ev {
      std::uint32_t t;
      int status, key, vel;
    };
    std::vector<Ev> ev;
    ev.reserve(static_cast<std::size_t>(per_track) * 2);
    std::uint32_t t = rng.next(120);
    for (int i = 0; i < per_track; ++i) {
      const int key =
          ch == 9 ? 35 + static_cast<int>(rng.next(47)) : 40 + static_cast<int>(rng.next(50));
      const std::uint32_t len = 30 + rng.next(900);
      ev.push_back({t, 0x90 | ch, key, 64 + static_cast<int>(rng.next(60))});
      ev.push_back({t + len, (ch % 2 ? 0x90 : 0x80) | ch, key, 0});
      t += rng.next(4) == 0 ? 0 : 60 + rng.next(420);
    }
    std::stable_sort(ev.begin(), ev.end(), [](const Ev& a, const Ev& b) { return a.t < b.t; });
    std::string data;
    std::uint32_t last = 0;
    for (const Ev& e : ev) {
      vlq(data, e.t - last);
      data += static_cast<char>(e.status);
      data += static_cast<char>(e.key);
      data += static_cast<char>(e.vel);
      last = e.t;
    }
    data += std::string("\x00\xFF\x2F\x00", 4);
    file += chunk(data);
  }
  return file;
}

// ---------------------------------------------------------------- the road

struct Times {
  double read = 0, listing = 0, extraction = 0, passes = 0, image = 0;
  double total() const { return read + listing + extraction + passes + image; }
  std::size_t notes = 0, records = 0;
};

double ms_since(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

Times road(const std::filesystem::path& path) {
  Times t;
  auto t0 = Clock::now();
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  t.read = ms_since(t0);

  // As the window opens a file: the notes are taken while the listing is made ("listing"),
  // then sorted ("extraction").
  t0 = Clock::now();
  score::NoteExtractor extractor({}, 60, 0.25, bytes.size() / 3);
  const midi::ListingResult listing = midi::desassemble_midi(bytes, path.string(), extractor);
  t.listing = ms_since(t0);
  if (listing.end != midi::ListingEnd::completed) std::abort();

  t0 = Clock::now();
  score::ExtractionResult notes = extractor.finish();
  t.extraction = ms_since(t0);
  t.notes = static_cast<std::size_t>(notes.pairs);

  t0 = Clock::now();
  score::PassResult separated = score::separate_notes(std::move(notes.Liste1), 4);
  score::PassResult aligned = score::align_notes(std::move(separated.Liste1), 2);
  t.passes = ms_since(t0);

  t0 = Clock::now();
  NoteTable table{};
  for (std::size_t k = 0; k < score::kBaseScale.size(); ++k) table[k] = score::kBaseScale[k];
  const score::Records r =
      score::build_records(aligned.Liste1, table, score::RecordLayout::notes29, 400, false);
  const score::CardImageSummary s = score::summarize_card_image(r.nb_macro_evenements, {});
  t.image = ms_since(t0);
  t.records = r.Liste_tran.size();
  if (s.taille_requise <= 0) std::abort();
  return t;
}

Times best_road(const std::filesystem::path& path, int runs) {
  Times best;
  for (int i = 0; i < runs; ++i) {
    const Times t = road(path);
    if (i == 0 || t.total() < best.total()) best = t;
  }
  return best;
}

bool have_midicsv() {
  return std::system("command -v midicsv >/dev/null 2>&1") == 0;
}

// midicsv alone on the file, its output thrown away; a negative value when it fails.
double midicsv_ms(const std::filesystem::path& path) {
  const std::string cmd = "midicsv '" + path.string() + "' >/dev/null";
  const auto t0 = Clock::now();
  if (std::system(cmd.c_str()) != 0) return -1;
  return ms_since(t0);
}

void print(const std::string& name, const Times& t) {
  std::printf(
      "%-40s %7zu notes %7zu enreg.  lecture %7.2f  listing %7.2f  extraction %7.2f"
      "  passes %7.2f  image %7.2f  total %8.2f ms\n",
      name.c_str(), t.notes, t.records, t.read, t.listing, t.extraction, t.passes, t.image,
      t.total());
}

}  // namespace

int main(int argc, char** argv) {
  int notes = 100000, runs = 10;
  std::string keep;
  std::vector<std::filesystem::path> folders;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--notes" && i + 1 < argc) {
      notes = std::atoi(argv[++i]);
    } else if (a == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else {
      folders.emplace_back(a);
    }
  }

  const std::filesystem::path big =
      keep.empty() ? std::filesystem::temp_directory_path() / "solmir-bench-card-image.mid"
                   : std::filesystem::path(keep);
  {
    std::ofstream out(big, std::ios::binary);
    const std::string bytes = large_file(notes);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // The road and midicsv take turns, so that a busy moment of the machine weighs on both;
  // the best time of each counts.
  const bool csv_ok = have_midicsv();
  Times t;
  double csv = -1;
  for (int i = 0; i < runs; ++i) {
    const Times r = road(big);
    if (i == 0 || r.total() < t.total()) t = r;
    if (csv_ok) {
      const double c = midicsv_ms(big);
      if (c >= 0 && (csv < 0 || c < csv)) csv = c;
    }
  }
  print("fichier généré (" + std::to_string(std::filesystem::file_size(big) / 1024) + " Ko)", t);

  for (const auto& folder : folders) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
      if (e.path().extension() == ".mid") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) print(f.filename().string(), best_road(f, runs));
  }

  if (keep.empty()) std::filesystem::remove(big);
  if (csv < 0) {
    std::printf("midicsv absent ou en échec : pas de comparaison\n");
    return 0;
  }
  std::printf("midicsv seul sur le fichier généré : %.2f ms ; chemin complet : %.2f ms (%.0f %%)\n",
              csv, t.total(), 100.0 * t.total() / csv);
  if (t.total() >= csv) {
    std::printf("ÉCHEC : le chemin complet est plus lent que midicsv seul\n");
    return 1;
  }
  return 0;
}
