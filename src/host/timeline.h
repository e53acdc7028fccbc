// A song laid out in samples at one sample rate: the MIDI bytes to send at
// each frame, the tempo map the host reports, and the frame the music ends.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "host/midi_song.h"
#include "host/tempo_map.h"

namespace vyrtal::host {

struct TimedMidi {
  std::int64_t frame = 0;
  std::array<std::uint8_t, 3> bytes{};
  std::uint8_t size = 0;
};

struct Timeline {
  std::vector<TimedMidi> events;  // in frame order
  TempoMap tempo;
  std::int64_t endFrame = 0;
};

// Longest piece the host agrees to render, in seconds.
constexpr double kMaxSongSeconds = 3600.0;

// initialBpm is the tempo until the song's first tempo event.
Timeline MakeTimeline(const MidiSong& song, double sampleRate, double initialBpm);

}  // namespace vyrtal::host
