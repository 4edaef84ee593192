// The event listing: one typed line per MIDI event of interest, with every time already in
// milliseconds through the file's tempo map. Each line renders to its exact fixed-column
// text; the note extraction reads the typed values (true durations, orphan note ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace solmir::midi {

enum class Code : std::uint8_t {
  NOTE,
  NOOF,
  KAFT,
  CONC,
  PRGC,
  CAFT,
  PBEN,
  MQTR,
  SNGP,
  SNGS,
  SYSTEM,  // one-byte system messages, "F4XX" ... "FEXX"
  SEQN,
  TEXT,
  AUTH,
  TNAM,
  INST,
  LYRC,
  MARK,
  CUEP,
  TEMP,
  TIME,
  SMPT,
  KEYS,
  HEAD,
  ENDF
};

struct ListingLine {
  Code code = Code::NOTE;
  std::uint8_t status = 0;   // SYSTEM: the status byte, 244 to 254
  bool orphan = false;       // NOTE: the end of a key that was not sounding
  std::int32_t time_ms = 0;  // HEAD: the largest note end
  std::int32_t tick = 0;
  // The fields after time and tick, in the order the line writes them. NOTE: channel, key,
  // duration (end - start, not cut to the field), velocity.
  std::int32_t f[5] = {0, 0, 0, 0, 0};
  std::uint32_t text = 0;  // index into Listing::texts (text events and HEAD)

  friend bool operator==(const ListingLine&, const ListingLine&) = default;
};

// The lines of a listing, 16 bytes each where a line fits the packed form of its code (every
// line the converter writes does), the rest kept whole on the side: a line reads back exactly
// as it was added. A large file has millions of lines, so their size is most of the memory
// and time of a conversion.
class ListingLines {
 public:
  void push_back(const ListingLine& l);
  ListingLine operator[](std::size_t i) const { return unpack(packed_[i]); }
  ListingLine back() const { return unpack(packed_.back()); }
  std::size_t size() const { return packed_.size(); }
  bool empty() const { return packed_.empty(); }
  void reserve(std::size_t n) { packed_.reserve(n); }
  void clear() {
    packed_.clear();
    whole_.clear();
  }

  class const_iterator {
   public:
    using value_type = ListingLine;
    using difference_type = std::ptrdiff_t;
    const_iterator() = default;
    const_iterator(const ListingLines* owner, std::size_t i) : owner_(owner), i_(i) {}
    ListingLine operator*() const { return (*owner_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator t = *this;
      ++i_;
      return t;
    }
    friend bool operator==(const const_iterator&, const const_iterator&) = default;

   private:
    const ListingLines* owner_ = nullptr;
    std::size_t i_ = 0;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

 private:
  struct Packed {
    std::uint8_t kind;  // the code, with the flags below
    std::uint8_t a, b, c;
    std::int32_t time_ms, tick, wide;
  };
  static constexpr std::uint8_t kOrphan = 0x40, kWhole = 0x80;
  static bool pack(const ListingLine& l, Packed& p);
  ListingLine unpack(const Packed& p) const;

  std::vector<Packed> packed_;
  std::vector<ListingLine> whole_;  // lines that do not fit their packed form
};

struct Listing {
  ListingLines lines;
  std::vector<std::string> texts;

  std::size_t size() const { return lines.size(); }
  // The exact text of line i.
  std::string render(std::size_t i) const;
  void render_into(std::size_t i, std::string& out) const;
};

// How a conversion ended.
enum class ListingEnd {
  completed,     // HEAD and ENDF were added
  format_error,  // code_erreur_midi and message_erreur_midi tell which
  abnormal,      // the file cannot be converted (time-code division, key above 127, ...);
                 // abnormal_message tells why, in French
};

struct ListingResult {
  Listing listing;
  ListingEnd end = ListingEnd::completed;
  int code_erreur_midi = 0;
  std::string message_erreur_midi;
  std::string abnormal_message;
  // A format-2 file: its independent sequences are read one after another and their notes
  // are played together (kMsgSequencesTogether says it in the service messages).
  bool sequences_played_together = false;
  // Codes 1, 2 and 3: the file offset of the last event whose delta time was read whole.
  std::size_t error_location = 0;
  // The conversion stopped before the end of the file: what it gave is only part of the piece.
  bool incomplete() const { return end != ListingEnd::completed; }
};

// What the window, the log and the command line say of a file that could not be read whole
// (a format error or an abnormal end, not a file that is not MIDI at all): the French reason,
// then what was kept. "Fichier MIDI incomplet ou corrompu : fin de fichier inattendue (octet
// 0x1A3) ; 12 notes lues avant l'erreur sont gardées".
inline constexpr const char* kMsgIncompleteFile = "Fichier MIDI incomplet ou corrompu : ";
std::string incomplete_file_message(const ListingResult& r, std::int64_t notes_kept);
// A file that does not start with "MThd" (an empty file included): there is nothing to keep.
inline constexpr const char* kMsgNotMidi = "Ce fichier n'est pas un fichier MIDI : ";
bool not_midi(const ListingResult& r);

// Said of a format-2 file after its reading.
inline constexpr const char* kMsgSequencesTogether =
    "Fichier MIDI de format 2 : ses séquences indépendantes sont jouées ensemble";

// Receives the lines of a conversion one by one, in listing order, instead of a stored listing.
class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void line(const ListingLine& l) = 0;
};

// The same conversion with its lines handed to `sink` as they are made (the result's listing
// stays empty; HEAD and the text events carry no text, and none is kept). For readers that
// need only part of the listing.
ListingResult desassemble_midi(std::string_view bytes, const std::string& chemin_midi,
                               LineSink& sink,
                               const std::function<void(std::size_t, std::size_t)>& progress = {});

// Converts the bytes of a Standard MIDI File. chemin_midi is written into the HEAD line.
// progress(consumed, total) is called as the bytes are read.
ListingResult desassemble_midi(std::string_view bytes, const std::string& chemin_midi,
                               const std::function<void(std::size_t, std::size_t)>& progress = {});

// The name of a key in a NOTE line: "C3" for 60, "C#3" for 61, "C-2" for 0.
std::string note_name(int key);

}  // namespace solmir::midi
