// The vyrtal host's Standard MIDI File reader on arbitrary bytes. A file it
// refuses must be refused with a HostError; a file it accepts must give a
// song that holds together (events in tick order, channel messages only,
// tempos and meters it can use), and the timeline made from that song for
// rendering must be in frame order with a usable tempo map everywhere.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_check.h"
#include "host/host_error.h"
#include "host/midi_file.h"
#include "host/midi_song.h"
#include "host/timeline.h"

namespace {

using vyrtal::host::HostError;
using vyrtal::host::MidiSong;
using vyrtal::host::Timeline;

constexpr double kSampleRate = 44100.0;
constexpr double kInitialBpm = 120.0;

void Require(bool condition, const char* what) {
  if (!condition) fuzz::CheckFailed("%s", what);
}

void CheckSong(const MidiSong& song) {
  Require((song.ticksPerQuarter > 0) != (song.ticksPerSecond > 0.0), "one time base");
  std::uint64_t previous = 0;
  for (const auto& event : song.events) {
    Require(event.tick >= previous && event.tick <= song.endTick, "events in tick order, before the end");
    previous = event.tick;
    Require(event.size == 2 || event.size == 3, "a channel message's length");
    Require(event.bytes[0] >= 0x80 && event.bytes[0] < 0xF0, "a channel status byte");
    for (std::size_t i = 1; i < event.size; ++i) Require(event.bytes[i] < 0x80, "data bytes below 0x80");
  }
  previous = 0;
  for (const auto& tempo : song.tempos) {
    Require(tempo.tick >= previous && tempo.microsPerQuarter > 0, "tempos in order, nonzero");
    previous = tempo.tick;
  }
  previous = 0;
  for (const auto& meter : song.meters) {
    Require(meter.tick >= previous && meter.numerator > 0, "meters in order, nonzero");
    Require(meter.denominator > 0 && (meter.denominator & (meter.denominator - 1)) == 0,
            "a power of two below the bar line");
    previous = meter.tick;
  }
}

void CheckTimeline(const Timeline& timeline) {
  std::int64_t previous = 0;
  for (const auto& event : timeline.events) {
    Require(event.frame >= previous, "timeline in frame order");
    previous = event.frame;
  }
  Require(timeline.endFrame >= previous, "the end after the last event");
  for (const std::int64_t frame : {std::int64_t{0}, previous / 2, previous, timeline.endFrame}) {
    const auto position = timeline.tempo.at(frame);
    Require(std::isfinite(position.ppq) && position.ppq >= 0.0, "a position in quarter notes");
    Require(std::isfinite(position.bpm) && position.bpm > 0.0, "a tempo");
    // The bar holding the position starts at or before it (give or take rounding).
    Require(std::isfinite(position.barStartPpq) &&
            position.barStartPpq <= position.ppq + 1e-9 * std::max(1.0, position.ppq),
            "the bar starting at or before the position");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MidiSong song;
  try {
    song = vyrtal::host::ParseMidiFile(std::span<const std::uint8_t>(data, size), "fuzz.mid");
  } catch (const HostError&) {
    return 0;
  }
  CheckSong(song);
  try {
    CheckTimeline(vyrtal::host::MakeTimeline(song, kSampleRate, kInitialBpm));
  } catch (const HostError&) {
    // Longer than the host renders.
  }
  return 0;
}
