// The MIDI event listing converter. Times are computed in single precision exactly as the
// listing has always written them, so that every line is the same on every machine.
#include "midi/listing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/numbers.h"
#include "base/text.h"

namespace solmir::midi {

namespace {

// Format errors: code and message.
constexpr const char* kMsgEof = "*** Midifile corrupt, unexpected EOF.";
constexpr const char* kMsgDelta = "Midifile corrupt, deltatime invalid format.";
constexpr const char* kMsgRunning = "Midifile corrupt, running status error. ";
constexpr const char* kMsgMThd = "Midifile corrupt: header MThd not in file.";
constexpr const char* kMsgMTrk = "Midifile corrupt, header MTrk not in file.";
constexpr const char* kMsgTempo = "More than 999 tempochanges. cannot continue processinf.";
constexpr const char* kLocation = "    Events processed until loc hex: ";

// Files that are not format errors but cannot be converted.
constexpr const char* kAbnTimeCode =
    "Fichier midi non traitable : division temporelle en codes SMPTE (non prise en charge)";
constexpr const char* kAbnDivisionZero = "Fichier midi non traitable : division temporelle nulle";
constexpr const char* kAbnHeaderWord =
    "Fichier midi non traitable : format ou nombre de pistes hors limites";
constexpr const char* kAbnHeaderLength =
    "Fichier midi non traitable : longueur d'en-tête hors limites";
constexpr const char* kAbnChunkLength =
    "Fichier midi non traitable : longueur de piste hors limites";
constexpr const char* kAbnFormat =
    "Fichier midi non traitable : format inconnu (seuls les formats 0, 1 et 2 existent)";
constexpr const char* kAbnKey = "Fichier midi non traitable : numéro de note supérieur à 127";
constexpr const char* kAbnTooLong = "Fichier midi non traitable : durée hors limites";

constexpr std::int32_t kEndMarker = 9999999;
constexpr int kTempoEntries = 1001;

struct FormatError {
  int code;
};
struct Abnormal {
  const char* message;
};

constexpr const char* kNoteNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};

struct Cell {
  std::int32_t start_tick = -1;
  std::int32_t count = 0;
  float acc_ms = 0;
  float velocity = 0;
};

class Converter {
 public:
  Converter(std::string_view bytes, const std::string& chemin,
            const std::function<void(std::size_t, std::size_t)>& progress, LineSink* sink = nullptr)
      : data_(bytes), chemin_(chemin), progress_(progress), sink_(sink) {}

  void emit(const ListingLine& l) {
    if (sink_) {
      sink_->line(l);
    } else {
      out_->lines.push_back(l);
    }
  }

  ListingResult run() {
    ListingResult r;
    out_ = &r.listing;
    result_ = &r;
    try {
      convert();
    } catch (const FormatError& e) {
      r.end = ListingEnd::format_error;
      r.code_erreur_midi = e.code;
      r.message_erreur_midi = message_for(e.code);
      r.error_location = location_;
    } catch (const Abnormal& a) {
      r.end = ListingEnd::abnormal;
      r.abnormal_message = a.message;
    }
    if (progress_) progress_(pos_, data_.size());
    return r;
  }

 private:
  std::string message_for(int code) const {
    switch (code) {
      case 1:
      case 2:
      case 3: {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(location_));
        const char* m = code == 1 ? kMsgEof : code == 2 ? kMsgDelta : kMsgRunning;
        return std::string(m) + "\r\n" + kLocation + hex;
      }
      case 5:
        return kMsgMThd;
      case 6:
        return kMsgMTrk;
      default:
        return kMsgTempo;
    }
  }

  std::uint8_t next() {
    if (pos_ >= data_.size()) throw FormatError{1};
    if (progress_ && pos_ >= next_progress_) {
      progress_(pos_, data_.size());
      next_progress_ = pos_ + 1000;
    }
    return static_cast<std::uint8_t>(data_[pos_++]);
  }

  std::uint32_t read_be(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | next();
    return v;
  }

  void skip(std::uint32_t n) {
    if (n > data_.size() - pos_) {
      pos_ = data_.size();
      throw FormatError{1};
    }
    pos_ += n;
  }

  // A variable-length quantity of at most four bytes (delta times and lengths).
  std::uint32_t read_vlq() {
    std::uint32_t v = 0;
    for (int n = 1;; ++n) {
      const std::uint8_t b = next();
      if (!(b & 0x80)) return v + b;
      if (n == 4) throw FormatError{2};
      v = (v + (b & 0x7Fu)) * 128;
    }
  }

  // ------------------------------------------------------------------ timing
  float time_of(std::int32_t tick) const {
    const float d = static_cast<float>(static_cast<std::int64_t>(tick) - seg_tick_);
    const float product = mspt_ * d;
    return seg_ms_ + product;
  }

  static std::int32_t round_ms(float v) {
    const float r = std::nearbyint(v);
    if (!(r >= -2147483648.0f && r < 2147483648.0f)) throw Abnormal{kAbnTooLong};
    return static_cast<std::int32_t>(r);
  }

  void set_tempo(std::uint32_t tempo) {
    mspt_ = static_cast<float>(static_cast<double>(tempo) / division_ / 1000.0);
  }

  void apply_due_tempo_changes() {
    while (tempo_pos_ < marker_index_ && tick_ >= tempo_tick_[tempo_pos_]) {
      const std::int32_t t = tempo_tick_[tempo_pos_];
      for (const int idx : active_) {
        Cell& c = cells_[idx];
        const float product =
            mspt_ * static_cast<float>(static_cast<std::int64_t>(t) - c.start_tick);
        c.acc_ms = c.acc_ms + product;
        c.start_tick = t;
      }
      seg_ms_ = seg_ms_ + mspt_ * static_cast<float>(static_cast<std::int64_t>(t) - seg_tick_);
      seg_tick_ = t;
      set_tempo(tempo_value_[tempo_pos_]);
      ++tempo_pos_;
    }
  }

  void record_tempo(std::uint32_t tempo) {
    if (tempo_pos_ >= 999) throw FormatError{7};
    tempo_tick_[tempo_pos_] = tick_;
    tempo_value_[tempo_pos_] = tempo;
    tempo_tick_[tempo_pos_ + 1] = kEndMarker;
    marker_index_ = tempo_pos_ + 1;
  }

  // ------------------------------------------------------------------ lines
  // An event line at the current tick with the given fields. The time is computed first: a
  // time out of range stops the conversion before the line exists.
  void add(Code code, std::initializer_list<std::int32_t> fields = {}, std::uint8_t status = 0) {
    ListingLine l;
    l.code = code;
    l.status = status;
    l.time_ms = round_ms(time_of(tick_));
    l.tick = tick_;
    int k = 0;
    for (const std::int32_t v : fields) l.f[k++] = v;
    emit(l);
  }

  void add_text(Code code, std::string_view text) {
    ListingLine l;
    l.code = code;
    l.time_ms = round_ms(time_of(tick_));
    l.tick = tick_;
    // A reader of the lines as they are made takes no text: none is kept for it.
    if (!sink_) {
      l.text = static_cast<std::uint32_t>(out_->texts.size());
      out_->texts.push_back(to_utf8_or_cp1252(text));
    }
    emit(l);
  }

  // ------------------------------------------------------------------ notes
  void touch(int idx) {
    if (touched_flag_[idx]) return;
    touched_flag_[idx] = true;
    touched_.push_back(idx);
  }

  void activate(int idx) {
    active_pos_[idx] = static_cast<int>(active_.size());
    active_.push_back(idx);
  }

  void deactivate(int idx) {
    const int p = active_pos_[idx];
    if (p < 0) return;
    const int last = active_.back();
    active_[p] = last;
    active_pos_[last] = p;
    active_.pop_back();
    active_pos_[idx] = -1;
  }

  static void check_key(std::uint8_t key) {
    if (key > 127) throw Abnormal{kAbnKey};
  }

  void note_start(int channel, std::uint8_t key, std::uint8_t velocity) {
    check_key(key);
    const int idx = (channel - 1) * 128 + key;
    touch(idx);
    Cell& c = cells_[idx];
    if (c.start_tick == -1) {
      c.start_tick = tick_;
      c.velocity = velocity;
      activate(idx);
    }
    c.count += 1;
  }

  void note_end(int channel, std::uint8_t key) {
    check_key(key);
    const int idx = (channel - 1) * 128 + key;
    touch(idx);
    Cell& c = cells_[idx];
    c.count -= 1;
    if (c.count >= 1) return;
    const bool orphan = c.start_tick == -1;
    const float product =
        mspt_ * static_cast<float>(static_cast<std::int64_t>(c.start_tick) - seg_tick_);
    const float sum = seg_ms_ + product;
    const std::int32_t start = round_ms(sum - c.acc_ms);
    const std::int32_t end = round_ms(time_of(tick_));
    const std::int64_t duration = static_cast<std::int64_t>(end) - start;
    if (duration > std::numeric_limits<std::int32_t>::max() ||
        duration < std::numeric_limits<std::int32_t>::min())
      throw Abnormal{kAbnTooLong};
    ListingLine n;
    n.code = Code::NOTE;
    n.orphan = orphan;
    n.time_ms = start;
    n.tick = tick_;
    n.f[0] = channel;
    n.f[1] = key;
    n.f[2] = static_cast<std::int32_t>(duration);
    n.f[3] = static_cast<std::int32_t>(std::nearbyint(c.velocity));
    emit(n);
    ListingLine off;
    off.code = Code::NOOF;
    off.time_ms = end;
    off.tick = tick_;
    off.f[0] = channel;
    off.f[1] = key;
    emit(off);
    c.start_tick = -1;
    c.count = 0;
    c.acc_ms = 0;
    deactivate(idx);
    if (static_cast<float>(end) > largest_end_) largest_end_ = static_cast<float>(end);
  }

  // ------------------------------------------------------------------ structure
  void convert() {
    if (data_.size() < 4 || data_.substr(0, 4) != "MThd") throw FormatError{5};
    pos_ = 4;
    const std::uint32_t header_length = read_be(4);
    const std::uint32_t format = read_be(2);
    const std::uint32_t tracks = read_be(2);
    const std::uint32_t division = read_be(2);
    if (header_length >= 0x80000000u) throw Abnormal{kAbnChunkLength};
    if (format >= 32768 || tracks >= 32768) throw Abnormal{kAbnHeaderWord};
    if (division >= 32768) throw Abnormal{kAbnTimeCode};
    if (header_length >= 32760) throw Abnormal{kAbnHeaderLength};
    if (division == 0) throw Abnormal{kAbnDivisionZero};
    if (format > 2) throw Abnormal{kAbnFormat};
    format_ = format;
    if (format == 2) result_->sequences_played_together = true;
    division_ = static_cast<double>(division);
    // Real files take 3.4 to 4 bytes per line: room for one line every 3 bytes spares the
    // copies of a growing list, and pages never written cost nothing.
    if (!sink_)
      out_->lines.reserve(std::min<std::size_t>(data_.size() / 3 + 64, std::size_t{1} << 22));
    // Header bytes beyond the first six are skipped.
    if (header_length > 6) skip(header_length - 6);

    tempo_tick_.fill(0);
    tempo_value_.fill(0);
    tempo_tick_[0] = 0;
    tempo_value_[0] = 500000;
    tempo_tick_[1] = kEndMarker;
    marker_index_ = 1;
    active_pos_.fill(-1);

    for (std::uint32_t t = 0; t < tracks; ++t) read_track(t);

    const std::int32_t largest_end = round_ms(largest_end_);
    ListingLine head;
    head.code = Code::HEAD;
    head.time_ms = largest_end;
    if (!sink_) {
      head.text = static_cast<std::uint32_t>(out_->texts.size());
      out_->texts.push_back(chemin_);
    }
    emit(head);
    ListingLine endf;
    endf.code = Code::ENDF;
    emit(endf);
  }

  void read_track(std::uint32_t track) {
    // Chunks of other kinds than "MTrk" are skipped whole: they are not tracks.
    std::uint32_t chunk_length = 0;
    for (;;) {
      std::uint8_t id[4];
      for (auto& b : id) b = next();
      chunk_length = read_be(4);
      if (chunk_length >= 0x80000000u) throw Abnormal{kAbnChunkLength};
      if (id[0] == 'M' && id[1] == 'T' && id[2] == 'r' && id[3] == 'k') break;
      skip(chunk_length);
    }
    const std::size_t chunk_end = pos_ + chunk_length;

    tick_ = 0;
    tempo_pos_ = 0;
    seg_tick_ = 0;
    seg_ms_ = 0;
    set_tempo(tempo_value_[0]);
    for (const int idx : active_) active_pos_[idx] = -1;
    active_.clear();
    // Only the keys the last track touched are reset: a file of many short tracks costs no
    // more than its bytes.
    for (const int idx : touched_) {
      cells_[idx] = Cell{};
      touched_flag_[idx] = false;
    }
    touched_.clear();

    // A track ends at its end-of-track event, or at its chunk's end when that event is
    // missing; bytes after the event inside the chunk are skipped. An event that begins inside
    // the chunk is read whole even when the chunk's length is short of it (files whose stated
    // length is a few bytes short are common): the next chunk then starts right after it. A
    // chunk said to run past the end of the file is read as far as the file goes, then the
    // file is truncated (error 1).
    while (pos_ < chunk_end) {
      const std::uint32_t delta = read_vlq();
      const std::int64_t t = static_cast<std::int64_t>(tick_) + delta;
      if (t > std::numeric_limits<std::int32_t>::max()) throw Abnormal{kAbnTooLong};
      tick_ = static_cast<std::int32_t>(t);
      apply_due_tempo_changes();
      location_ = pos_;
      if (!read_event(track)) break;
    }
    if (chunk_end > data_.size()) {
      pos_ = data_.size();
      throw FormatError{1};
    }
    pos_ = std::max(pos_, chunk_end);
  }

  // Returns false at the end of the track.
  bool read_event(std::uint32_t track) {
    std::uint8_t status = next();
    std::uint8_t first = 0;
    bool have_first = false;
    if (status < 128) {
      if (last_status_ >= 128 && last_status_ <= 239) {
        first = status;
        have_first = true;
        status = last_status_;
      } else {
        throw FormatError{3};
      }
    } else {
      last_status_ = status;
    }
    auto data = [&]() -> std::uint8_t {
      if (have_first) {
        have_first = false;
        return first;
      }
      return next();
    };
    const int channel = (status & 0x0F) + 1;
    switch (status & 0xF0) {
      case 0x80: {
        const std::uint8_t key = data();
        data();
        note_end(channel, key);
        return true;
      }
      case 0x90: {
        const std::uint8_t key = data();
        const std::uint8_t velocity = data();
        if (velocity == 0) {
          note_end(channel, key);
        } else {
          note_start(channel, key, velocity);
        }
        return true;
      }
      case 0xA0: {
        const std::uint8_t key = data();
        const std::uint8_t pressure = data();
        add(Code::KAFT, {channel, key, pressure});
        return true;
      }
      case 0xB0: {
        const std::uint8_t controller = data();
        const std::uint8_t value = data();
        add(Code::CONC, {channel, controller, value});
        return true;
      }
      case 0xC0: {
        const std::uint8_t program = data();
        add(Code::PRGC, {channel, program});
        return true;
      }
      case 0xD0: {
        const std::uint8_t pressure = data();
        add(Code::CAFT, {channel, pressure});
        return true;
      }
      case 0xE0: {
        const std::uint8_t low = data();
        const std::uint8_t high = data();
        add(Code::PBEN, {channel, low + 128 * high});
        return true;
      }
      default:
        break;
    }
    switch (status) {
      case 0xF0:
      case 0xF7:
        // System exclusive and escape events: a length, then that many bytes.
        skip(read_vlq());
        return true;
      case 0xF1: {
        const std::uint8_t b = next();
        add(Code::MQTR, {b});
        return true;
      }
      case 0xF2: {
        const std::uint8_t low = next();
        const std::uint8_t high = next();
        add(Code::SNGP, {low + 128 * high});
        return true;
      }
      case 0xF3: {
        const std::uint8_t b = next();
        add(Code::SNGS, {b});
        return true;
      }
      case 0xFF:
        return read_meta(track);
      default: {
        add(Code::SYSTEM, {}, status);
        return true;
      }
    }
  }

  bool read_meta(std::uint32_t track) {
    const std::uint8_t type = next();
    const std::uint32_t length = read_vlq();
    if (length > data_.size() - pos_) {
      pos_ = data_.size();
      throw FormatError{1};
    }
    // The meta's bytes; a fixed-size meta takes its value from the first of them and the rest
    // is skipped; one too short to hold its value gives no line.
    const std::string_view body = data_.substr(pos_, length);
    pos_ += length;
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(body[i]); };
    switch (type) {
      case 0: {
        if (length < 2) return true;
        const std::uint8_t high = byte(0);
        const std::uint8_t low = byte(1);
        add(Code::SEQN, {high <= 127 ? low : (high - 128) * 128 + low});
        return true;
      }
      case 1:
      case 2:
      case 3:
      case 4:
      case 5:
      case 6:
      case 7: {
        static constexpr Code kText[8] = {Code::TEXT, Code::TEXT, Code::AUTH, Code::TNAM,
                                          Code::INST, Code::LYRC, Code::MARK, Code::CUEP};
        add_text(kText[type], body);
        return true;
      }
      case 47:
        return false;
      case 81: {
        if (format_ == 1 && track > 0) return true;
        if (length < 3) return true;
        const std::uint32_t tempo =
            (std::uint32_t{byte(0)} << 16) | (std::uint32_t{byte(1)} << 8) | byte(2);
        add(Code::TEMP, {static_cast<std::int32_t>(tempo)});
        record_tempo(tempo);
        return true;
      }
      case 84: {
        if (length < 5) return true;
        add(Code::SMPT, {byte(0), byte(1), byte(2), byte(3), byte(4)});
        return true;
      }
      case 88: {
        if (length < 4) return true;
        const std::uint8_t power = byte(1);
        if (power <= 5) denominator_ = 1 << power;
        add(Code::TIME, {byte(0), denominator_, byte(2), byte(3)});
        return true;
      }
      case 89: {
        if (length < 2) return true;
        add(Code::KEYS, {byte(0), byte(1)});
        return true;
      }
      default:
        return true;
    }
  }

  std::string_view data_;
  const std::string& chemin_;
  const std::function<void(std::size_t, std::size_t)>& progress_;
  LineSink* sink_ = nullptr;
  Listing* out_ = nullptr;
  ListingResult* result_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t next_progress_ = 0;
  std::size_t location_ = 0;

  std::uint32_t format_ = 0;
  double division_ = 1;
  std::uint8_t last_status_ = 0;
  int denominator_ = 4;
  float largest_end_ = 0;

  std::array<std::int32_t, kTempoEntries> tempo_tick_{};
  std::array<std::uint32_t, kTempoEntries> tempo_value_{};
  int marker_index_ = 1;

  std::int32_t tick_ = 0;
  int tempo_pos_ = 0;
  std::int32_t seg_tick_ = 0;
  float seg_ms_ = 0;
  float mspt_ = 0;

  std::array<Cell, 16 * 128> cells_{};
  std::vector<int> active_;
  std::array<int, 16 * 128> active_pos_{};
  std::vector<int> touched_;  // the keys of this track whose cell is not Cell{}
  std::array<bool, 16 * 128> touched_flag_{};
};

constexpr const char* kCodeText[] = {"NOTE", "NOOF", "KAFT", "CONC", "PRGC", "CAFT", "PBEN",
                                     "MQTR", "SNGP", "SNGS", "",     "SEQN", "TEXT", "AUTH",
                                     "TNAM", "INST", "LYRC", "MARK", "CUEP", "TEMP", "TIME",
                                     "SMPT", "KEYS", "HEAD", "ENDF"};

// Where each field of a line goes in the packed form, by code.
enum Slot : std::uint8_t { kNone, kA, kB, kC, kWide, kWideLow, kWideHigh };
constexpr int kCodes = static_cast<int>(Code::ENDF) + 1;
constexpr Slot kLayout[kCodes][5] = {
    {kA, kB, kWide, kC, kNone},           // NOTE: channel, key, duration, velocity
    {kA, kB, kNone, kNone, kNone},        // NOOF
    {kA, kB, kC, kNone, kNone},           // KAFT
    {kA, kB, kC, kNone, kNone},           // CONC
    {kA, kB, kNone, kNone, kNone},        // PRGC
    {kA, kB, kNone, kNone, kNone},        // CAFT
    {kA, kWide, kNone, kNone, kNone},     // PBEN
    {kA, kNone, kNone, kNone, kNone},     // MQTR
    {kWide, kNone, kNone, kNone, kNone},  // SNGP
    {kA, kNone, kNone, kNone, kNone},     // SNGS
    {kNone, kNone, kNone, kNone, kNone},  // SYSTEM: the status in a
    {kWide, kNone, kNone, kNone, kNone},  // SEQN
    {kNone, kNone, kNone, kNone, kNone},  // TEXT ... CUEP: the text index in wide
    {kNone, kNone, kNone, kNone, kNone},  // AUTH
    {kNone, kNone, kNone, kNone, kNone},  // TNAM
    {kNone, kNone, kNone, kNone, kNone},  // INST
    {kNone, kNone, kNone, kNone, kNone},  // LYRC
    {kNone, kNone, kNone, kNone, kNone},  // MARK
    {kNone, kNone, kNone, kNone, kNone},  // CUEP
    {kWide, kNone, kNone, kNone, kNone},  // TEMP
    {kA, kB, kC, kWide, kNone},           // TIME
    {kA, kB, kC, kWideLow, kWideHigh},    // SMPT
    {kA, kB, kNone, kNone, kNone},        // KEYS
    {kNone, kNone, kNone, kNone, kNone},  // HEAD: the path index in wide
    {kNone, kNone, kNone, kNone, kNone},  // ENDF
};

bool holds_text(Code c) {
  return (c >= Code::TEXT && c <= Code::CUEP) || c == Code::HEAD;
}

bool is_byte(std::int32_t v) {
  return v >= 0 && v <= 255;
}

}  // namespace

bool ListingLines::pack(const ListingLine& l, Packed& p) {
  static_assert(sizeof(Packed) == 16, "a packed line takes 16 bytes");
  const int code = static_cast<int>(l.code);
  if (code < 0 || code >= kCodes) return false;
  p = Packed{static_cast<std::uint8_t>(code), 0, 0, 0, l.time_ms, l.tick, 0};
  for (int k = 0; k < 5; ++k) {
    const std::int32_t v = l.f[k];
    switch (kLayout[code][k]) {
      case kNone:
        if (v != 0) return false;
        break;
      case kA:
      case kB:
      case kC:
        if (!is_byte(v)) return false;
        (kLayout[code][k] == kA   ? p.a
         : kLayout[code][k] == kB ? p.b
                                  : p.c) = static_cast<std::uint8_t>(v);
        break;
      case kWide:
        p.wide = v;
        break;
      case kWideLow:
        if (!is_byte(v)) return false;
        p.wide |= v;
        break;
      case kWideHigh:
        if (!is_byte(v)) return false;
        p.wide |= v << 8;
        break;
    }
  }
  if (l.code == Code::SYSTEM) {
    p.a = l.status;
  } else if (l.status != 0) {
    return false;
  }
  if (holds_text(l.code)) {
    if (l.text > 0x7FFFFFFFu) return false;
    p.wide = static_cast<std::int32_t>(l.text);
  } else if (l.text != 0) {
    return false;
  }
  if (l.orphan) {
    if (l.code != Code::NOTE) return false;
    p.kind |= kOrphan;
  }
  return true;
}

ListingLine ListingLines::unpack(const Packed& p) const {
  if (p.kind & kWhole) return whole_[static_cast<std::size_t>(p.wide)];
  ListingLine l;
  const int code = p.kind & 0x3F;
  l.code = static_cast<Code>(code);
  l.orphan = (p.kind & kOrphan) != 0;
  l.time_ms = p.time_ms;
  l.tick = p.tick;
  // Indexed by Slot: no branch per field.
  const std::int32_t from[7] = {0, p.a, p.b, p.c, p.wide, p.wide & 0xFF, (p.wide >> 8) & 0xFF};
  for (int k = 0; k < 5; ++k) l.f[k] = from[kLayout[code][k]];
  if (l.code == Code::SYSTEM) l.status = p.a;
  if (holds_text(l.code)) l.text = static_cast<std::uint32_t>(p.wide);
  return l;
}

void ListingLines::push_back(const ListingLine& l) {
  Packed p;
  if (!pack(l, p)) {
    p = Packed{kWhole, 0, 0, 0, 0, 0, static_cast<std::int32_t>(whole_.size())};
    whole_.push_back(l);
  }
  packed_.push_back(p);
}

std::string note_name(int key) {
  std::string s = kNoteNames[key % 12];
  s += std::to_string(key / 12 - 2);
  return s;
}

void Listing::render_into(std::size_t i, std::string& out) const {
  const ListingLine l = lines[i];
  out.clear();
  if (l.code == Code::HEAD) {
    out = "HEAD ##10000  ";
    out += texts[l.text];
    out += ' ';
    append_fixed_field(out, l.time_ms, 5);
    return;
  }
  if (l.code == Code::ENDF) {
    out = "ENDF 9999999";
    return;
  }
  if (l.code == Code::SYSTEM) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += 'F';
    out += kHex[l.status & 0x0F];
    out += "XX";
  } else {
    out += kCodeText[static_cast<int>(l.code)];
  }
  out += ' ';
  append_fixed_field(out, l.time_ms, 7);
  out += ' ';
  append_fixed_field(out, l.tick, 6);
  auto field = [&](std::int32_t v, int w = 5) {
    out += ' ';
    append_fixed_field(out, v, w);
  };
  switch (l.code) {
    case Code::NOTE:
      for (int k = 0; k < 4; ++k) field(l.f[k]);
      out += ' ';
      out += note_name(l.f[1]);
      break;
    case Code::NOOF:
    case Code::PRGC:
    case Code::CAFT:
    case Code::PBEN:
    case Code::KEYS:
      field(l.f[0]);
      field(l.f[1]);
      break;
    case Code::KAFT:
    case Code::CONC:
      for (int k = 0; k < 3; ++k) field(l.f[k]);
      break;
    case Code::MQTR:
    case Code::SNGP:
    case Code::SNGS:
    case Code::SEQN:
      field(l.f[0]);
      break;
    case Code::TEXT:
    case Code::AUTH:
    case Code::TNAM:
    case Code::INST:
    case Code::LYRC:
    case Code::MARK:
    case Code::CUEP:
      out += ' ';
      out += texts[l.text];
      break;
    case Code::TEMP:
      field(l.f[0], 7);
      break;
    case Code::TIME:
      for (int k = 0; k < 4; ++k) field(l.f[k]);
      break;
    case Code::SMPT:
      for (int k = 0; k < 5; ++k) field(l.f[k]);
      break;
    default:
      break;
  }
}

std::string Listing::render(std::size_t i) const {
  std::string s;
  render_into(i, s);
  return s;
}

ListingResult desassemble_midi(std::string_view bytes, const std::string& chemin_midi,
                               const std::function<void(std::size_t, std::size_t)>& progress) {
  return Converter(bytes, chemin_midi, progress).run();
}

ListingResult desassemble_midi(std::string_view bytes, const std::string& chemin_midi,
                               LineSink& sink,
                               const std::function<void(std::size_t, std::size_t)>& progress) {
  return Converter(bytes, chemin_midi, progress, &sink).run();
}

}  // namespace solmir::midi

namespace solmir::midi {

bool not_midi(const ListingResult& r) {
  return r.end == ListingEnd::format_error && r.code_erreur_midi == 5;
}

std::string incomplete_file_message(const ListingResult& r, std::int64_t notes_kept) {
  std::string reason;
  if (r.end == ListingEnd::abnormal) {
    reason = r.abnormal_message;
  } else {
    switch (r.code_erreur_midi) {
      case 1:
        reason = "fin de fichier inattendue";
        break;
      case 2:
        reason = "durée delta mal formée";
        break;
      case 3:
        reason = "octet de donnée sans statut en cours";
        break;
      case 6:
        reason = "en-tête de piste « MTrk » absent";
        break;
      case 7:
        reason = "plus de 999 changements de tempo";
        break;
      default:
        reason = "erreur de format " + std::to_string(r.code_erreur_midi);
    }
    if (r.code_erreur_midi >= 1 && r.code_erreur_midi <= 3) {
      char hex[24];
      std::snprintf(hex, sizeof hex, " (octet 0x%zX)", r.error_location);
      reason += hex;
    }
  }
  return std::string(kMsgIncompleteFile) + reason + " ; " + std::to_string(notes_kept) +
         (notes_kept > 1 ? " notes lues avant l'erreur sont gardées"
                         : " note lue avant l'erreur est gardée");
}

}  // namespace solmir::midi
