// Builds Standard MIDI Files byte by byte for tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace solmir::test {

// A variable-length quantity.
std::string vlq(std::uint32_t v);

class TrackBuilder {
 public:
  // A raw event after its delta time.
  TrackBuilder& event(std::uint32_t delta, std::initializer_list<int> bytes);
  TrackBuilder& raw(const std::string& bytes);
  TrackBuilder& note_on(std::uint32_t delta, int channel, int key, int velocity = 100);
  TrackBuilder& note_off(std::uint32_t delta, int channel, int key);
  TrackBuilder& tempo(std::uint32_t delta, std::uint32_t us_per_quarter);
  TrackBuilder& text(std::uint32_t delta, int type, const std::string& text);
  TrackBuilder& end(std::uint32_t delta = 0);
  // The chunk: "MTrk", length, data.
  std::string chunk() const;
  const std::string& data() const { return data_; }

 private:
  std::string data_;
};

// "MThd" with length 6, then the tracks.
std::string smf(int format, int division, const std::vector<TrackBuilder>& tracks);
std::string smf_header(int format, int tracks, int division, std::uint32_t header_length = 6);

}  // namespace solmir::test
