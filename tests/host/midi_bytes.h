// Builds Standard MIDI File bytes for tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace vyrtal::host::test {

using Bytes = std::vector<std::uint8_t>;

inline void AppendVarLen(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 0) {
    --count;
    out.push_back(static_cast<std::uint8_t>(groups[count] | (count > 0 ? 0x80 : 0)));
  }
}

inline void Append32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline Bytes Header(int format, int tracks, int division) {
  Bytes out{'M', 'T', 'h', 'd'};
  Append32(out, 6);
  for (int value : {format, tracks, division}) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
  }
  return out;
}

inline Bytes Chunk(const char* id, const Bytes& body) {
  Bytes out(id, id + 4);
  Append32(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// Track events: delta time then the raw event bytes.
class TrackBuilder {
 public:
  TrackBuilder& event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    AppendVarLen(body_, delta);
    body_.insert(body_.end(), bytes);
    return *this;
  }
  TrackBuilder& tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
    return event(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsPerQuarter >> 16),
                         static_cast<std::uint8_t>(microsPerQuarter >> 8), static_cast<std::uint8_t>(microsPerQuarter)});
  }
  TrackBuilder& end(std::uint32_t delta = 0) { return event(delta, {0xFF, 0x2F, 0x00}); }
  Bytes chunk() const { return Chunk("MTrk", body_); }
  const Bytes& body() const { return body_; }

 private:
  Bytes body_;
};

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vyrtal::host::test
