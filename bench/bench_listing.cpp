// Benchmark of the MIDI reading: the event listing and the note extraction on large files.
//
//   solmir_bench_listing write FILE NOTES   writes a format-1 file of about NOTES notes over 16
//                                           channels, with 500 tempo changes in its conductor
//   solmir_bench_listing run FILE [REPEAT]  times listing, extraction and the listing's text
//                                           (best of REPEAT runs, default 5)
//   solmir_bench_listing                    both, on 100,000 and 1,000,000 notes in the
//                                           temporary folder, with the scaling
//
// Only the standard library: peak memory is measured from outside (bench/run_bench.sh).
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "midi/listing.h"
#include "score/extraction.h"

namespace {

constexpr int kDivision = 480;
constexpr int kTempoChanges = 500;

// A small deterministic generator, the same on every machine.
struct Lcg {
  std::uint32_t s;
  std::uint32_t next() {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
  }
  int in(int lo, int hi) {
    return lo + static_cast<int>(next() % static_cast<std::uint32_t>(hi - lo + 1));
  }
};

struct Event {
  std::uint32_t tick;
  std::uint32_t order;  // keeps events of one tick in the order they were made
  std::string bytes;
};

void put_vlq(std::string& out, std::uint32_t v) {
  char buf[5];
  int n = 0;
  buf[n++] = static_cast<char>(v & 0x7F);
  while (v >>= 7) buf[n++] = static_cast<char>(0x80 | (v & 0x7F));
  while (n) out += buf[--n];
}

void put_be(std::string& out, std::uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string meta(int type, const std::string& payload) {
  std::string s;
  s += '\xFF';
  s += static_cast<char>(type);
  put_vlq(s, static_cast<std::uint32_t>(payload.size()));
  return s + payload;
}

// The chunk of a track, with running status wherever the status repeats.
std::string track_chunk(std::vector<Event>& events) {
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  std::string data;
  data.reserve(events.size() * 4 + 8);
  std::uint32_t now = 0;
  unsigned char running = 0;
  for (const Event& e : events) {
    put_vlq(data, e.tick - now);
    now = e.tick;
    const auto status = static_cast<unsigned char>(e.bytes[0]);
    if (status < 0xF0 && status == running) {
      data.append(e.bytes, 1, std::string::npos);
    } else {
      data += e.bytes;
      running = status < 0xF0 ? status : 0;
    }
  }
  data += std::string("\x00\xFF\x2F\x00", 4);
  std::string chunk = "MTrk";
  put_be(chunk, static_cast<std::uint32_t>(data.size()), 4);
  return chunk + data;
}

std::string make_file(int notes) {
  const int per_channel = std::max(1, notes / 16);
  std::vector<std::string> tracks;
  std::uint32_t last_tick = 0;
  for (int channel = 0; channel < 16; ++channel) {
    Lcg rng{static_cast<std::uint32_t>(channel + 1) * 7919u};
    std::vector<Event> ev;
    ev.reserve(static_cast<std::size_t>(per_channel) * 2 + per_channel / 25 + 8);
    std::uint32_t order = 0;
    auto add = [&](std::uint32_t tick, std::initializer_list<int> b) {
      std::string s;
      for (int c : b) s += static_cast<char>(c);
      ev.push_back({tick, order++, std::move(s)});
    };
    ev.push_back({0, order++, meta(3, "Voix " + std::to_string(channel + 1))});
    add(0, {0xC0 | channel, channel * 5});
    add(0, {0xB0 | channel, 7, 100});
    std::uint32_t t = 0;
    const bool drum = channel == 9;
    for (int i = 0; i < per_channel; ++i) {
      // Two voices a third apart now and then: notes of a channel overlap.
      const int key = drum ? rng.in(35, 51) : rng.in(36, 96);
      const std::uint32_t length = drum ? 30 : static_cast<std::uint32_t>(rng.in(1, 8) * 60);
      add(t, {0x90 | channel, key, rng.in(40, 127)});
      add(t + length, {0x90 | channel, key, 0});  // note off as a note on of velocity 0
      if (i % 50 == 25) add(t + length / 2, {0xE0 | channel, rng.in(0, 127), rng.in(0, 127)});
      if (i % 100 == 60) add(t, {0xB0 | channel, 64, rng.in(0, 127)});
      t += (i % 3 == 2) ? length + 20 : static_cast<std::uint32_t>(rng.in(0, 2) * 60);
      last_tick = std::max(last_tick, t + length);
    }
    tracks.push_back(track_chunk(ev));
  }
  // The conductor: names, signatures and the tempo changes spread over the whole piece.
  std::vector<Event> c;
  std::uint32_t order = 0;
  c.push_back({0, order++, meta(3, "Banc d'essai")});
  c.push_back({0, order++, meta(0x58, std::string("\x04\x02\x18\x08", 4))});
  c.push_back({0, order++, meta(0x59, std::string("\x00\x00", 2))});
  Lcg rng{12345};
  for (int k = 0; k < kTempoChanges; ++k) {
    std::string tempo;
    put_be(tempo, static_cast<std::uint32_t>(rng.in(400000, 700000)), 3);
    c.push_back(
        {static_cast<std::uint32_t>(static_cast<std::uint64_t>(last_tick) * k / kTempoChanges),
         order++, meta(0x51, tempo)});
  }
  std::string file = "MThd";
  put_be(file, 6, 4);
  put_be(file, 1, 2);
  put_be(file, 17, 2);
  put_be(file, kDivision, 2);
  file += track_chunk(c);
  for (const auto& t : tracks) file += t;
  return file;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "Impossible de lire %s\n", path.c_str());
    std::exit(1);
  }
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, int notes) {
  const std::string bytes = make_file(notes);
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::printf("%s : %d notes demandées, %zu octets\n", path.c_str(), notes, bytes.size());
}

// Wall time and processor time of this process: on a shared machine the second one says
// more about the code, the first one about what the user waits for.
struct Clock {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  std::clock_t cpu = std::clock();
};

struct Span {
  double wall_ms = 1e300, cpu_ms = 1e300;
  void keep_best(const Clock& c0) {
    const Clock c1;
    wall_ms =
        std::min(wall_ms, std::chrono::duration<double, std::milli>(c1.wall - c0.wall).count());
    cpu_ms = std::min(cpu_ms, 1000.0 * static_cast<double>(c1.cpu - c0.cpu) / CLOCKS_PER_SEC);
  }
};

struct Figures {
  // first: the program's own road (the notes taken while the listing is made), first run of
  // the process; then the stored listing and the extraction from it, each at its best.
  Span first, listing, extraction, text;
  std::size_t lines = 0, notes = 0, bytes = 0;
};

Figures run(const std::string& path, int repeat) {
  Figures f;
  const std::string bytes = read_file(path);
  f.bytes = bytes.size();
  {
    const Clock c0;
    solmir::score::NoteExtractor notes(std::array<bool, 16>{}, 60, 0.25, bytes.size() / 3);
    const auto r = solmir::midi::desassemble_midi(bytes, path, notes);
    const auto e = notes.finish();
    f.first.keep_best(c0);
    if (r.end != solmir::midi::ListingEnd::completed || e.pairs == 0) std::exit(1);
  }
  for (int i = 0; i < repeat; ++i) {
    const Clock c0;
    const auto r = solmir::midi::desassemble_midi(bytes, path);
    f.listing.keep_best(c0);
    if (r.end != solmir::midi::ListingEnd::completed) {
      std::fprintf(stderr, "%s : conversion incomplète : %s%s\n", path.c_str(),
                   r.message_erreur_midi.c_str(), r.abnormal_message.c_str());
      std::exit(1);
    }
    const Clock c1;
    const auto e = solmir::score::extract_notes(r.listing, std::array<bool, 16>{}, 60, 0.25);
    f.extraction.keep_best(c1);
    // The text of every line, as solmir-cli listing writes it.
    const Clock c2;
    std::string line;
    std::size_t chars = 0;
    for (std::size_t k = 0; k < r.listing.size(); ++k) {
      r.listing.render_into(k, line);
      chars += line.size();
    }
    f.text.keep_best(c2);
    f.lines = r.listing.size();
    f.notes = static_cast<std::size_t>(e.pairs);
    if (chars == 0) std::exit(1);
  }
  std::printf("%s : %zu octets, %zu lignes, %zu notes\n", path.c_str(), f.bytes, f.lines, f.notes);
  std::printf("  premier passage, listing + extraction : %8.1f ms (processeur %.1f ms)\n",
              f.first.wall_ms, f.first.cpu_ms);
  std::printf(
      "  meilleur de %d : listing %.1f ms, extraction %.1f ms (processeur %.1f + %.1f ms)\n",
      repeat, f.listing.wall_ms, f.extraction.wall_ms, f.listing.cpu_ms, f.extraction.cpu_ms);
  std::printf("  texte des lignes en plus : %.1f ms\n", f.text.wall_ms);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "write") {
    write_file(args[1], std::atoi(args[2].c_str()));
    return 0;
  }
  if ((args.size() == 2 || args.size() == 3) && args[0] == "run") {
    run(args[1], args.size() == 3 ? std::max(1, std::atoi(args[2].c_str())) : 5);
    return 0;
  }
  if (!args.empty()) {
    std::fprintf(
        stderr, "Usage : solmir_bench_listing [write FICHIER NOTES | run FICHIER [REPETITIONS]]\n");
    return 2;
  }
  const auto dir = std::filesystem::temp_directory_path() / "solmir-bench";
  std::filesystem::create_directories(dir);
  const std::string small = (dir / "bench-100k.mid").string();
  const std::string large = (dir / "bench-1m.mid").string();
  write_file(small, 100000);
  write_file(large, 1000000);
  const Figures a = run(small, 5);
  const Figures b = run(large, 3);
  std::printf("Rapport : %.2f fois les notes en %.2f fois le temps du premier passage\n",
              static_cast<double>(b.notes) / static_cast<double>(a.notes),
              b.first.wall_ms / a.first.wall_ms);
  return 0;
}
