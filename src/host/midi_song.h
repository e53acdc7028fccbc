// A piece of MIDI in ticks, as a Standard MIDI File holds it or as a
// built-in phrase writes it: channel messages, tempo changes and time
// signatures, all tracks merged in time order.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vyrtal::host {

struct SongEvent {
  std::uint64_t tick = 0;
  std::array<std::uint8_t, 3> bytes{};
  std::uint8_t size = 0;
};

struct TempoEvent {
  std::uint64_t tick = 0;
  std::uint32_t microsPerQuarter = 500000;
};

struct MeterEvent {
  std::uint64_t tick = 0;
  int numerator = 4;
  int denominator = 4;
};

// Ticks either count fractions of a quarter note (ticksPerQuarter > 0) or,
// for SMPTE files, fractions of a second (ticksPerSecond > 0).
struct MidiSong {
  int ticksPerQuarter = 480;
  double ticksPerSecond = 0.0;
  std::vector<SongEvent> events;
  std::vector<TempoEvent> tempos;
  std::vector<MeterEvent> meters;
  std::uint64_t endTick = 0;  // the latest tick any track reaches
};

// Sorts events, tempos and meters by tick, keeping the file's order among
// equal ticks.
void SortSong(MidiSong& song);

}  // namespace vyrtal::host
