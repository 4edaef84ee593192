#include "tests/support/midi_builder.h"

namespace solmir::test {

std::string vlq(std::uint32_t v) {
  std::string s(1, static_cast<char>(v & 0x7F));
  while (v >>= 7) s.insert(s.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  return s;
}

TrackBuilder& TrackBuilder::event(std::uint32_t delta, std::initializer_list<int> bytes) {
  data_ += vlq(delta);
  for (int b : bytes) data_ += static_cast<char>(b);
  return *this;
}

TrackBuilder& TrackBuilder::raw(const std::string& bytes) {
  data_ += bytes;
  return *this;
}

TrackBuilder& TrackBuilder::note_on(std::uint32_t delta, int channel, int key, int velocity) {
  return event(delta, {0x90 | (channel - 1), key, velocity});
}

TrackBuilder& TrackBuilder::note_off(std::uint32_t delta, int channel, int key) {
  return event(delta, {0x80 | (channel - 1), key, 0});
}

TrackBuilder& TrackBuilder::tempo(std::uint32_t delta, std::uint32_t t) {
  return event(delta, {0xFF, 0x51, 0x03, static_cast<int>((t >> 16) & 0xFF),
                       static_cast<int>((t >> 8) & 0xFF), static_cast<int>(t & 0xFF)});
}

TrackBuilder& TrackBuilder::text(std::uint32_t delta, int type, const std::string& t) {
  data_ += vlq(delta);
  data_ += '\xFF';
  data_ += static_cast<char>(type);
  data_ += vlq(static_cast<std::uint32_t>(t.size()));
  data_ += t;
  return *this;
}

TrackBuilder& TrackBuilder::end(std::uint32_t delta) {
  return event(delta, {0xFF, 0x2F, 0x00});
}

static std::string be32(std::uint32_t v) {
  std::string s;
  for (int i = 3; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string TrackBuilder::chunk() const {
  return "MTrk" + be32(static_cast<std::uint32_t>(data_.size())) + data_;
}

std::string smf_header(int format, int tracks, int division, std::uint32_t header_length) {
  std::string s = "MThd" + be32(header_length);
  for (int v : {format, tracks, division}) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
  }
  return s;
}

std::string smf(int format, int division, const std::vector<TrackBuilder>& tracks) {
  std::string s = smf_header(format, static_cast<int>(tracks.size()), division);
  for (const auto& t : tracks) s += t.chunk();
  return s;
}

}  // namespace solmir::test
