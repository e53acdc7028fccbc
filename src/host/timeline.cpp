#include "host/timeline.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "host/host_error.h"

namespace vyrtal::host {
namespace {

// Walks the song's ticks in order and turns them into seconds and quarter
// notes, following tempo changes.
class TickClock {
 public:
  TickClock(const MidiSong& song, double bpm) : song_(song), bpm_(bpm) {}

  void advanceTo(std::uint64_t tick) {
    if (tick < tick_) tick = tick_;
    const double ticks = static_cast<double>(tick - tick_);
    seconds_ += ticks * secondsPerTick();
    ppq_ += ticks * ppqPerTick();
    tick_ = tick;
  }
  void setBpm(double bpm) { bpm_ = bpm; }

  double seconds() const { return seconds_; }
  double ppq() const { return ppq_; }
  double bpm() const { return bpm_; }

 private:
  double secondsPerTick() const {
    if (song_.ticksPerQuarter > 0) return 60.0 / bpm_ / song_.ticksPerQuarter;
    return 1.0 / song_.ticksPerSecond;
  }
  double ppqPerTick() const {
    if (song_.ticksPerQuarter > 0) return 1.0 / song_.ticksPerQuarter;
    return bpm_ / 60.0 / song_.ticksPerSecond;
  }

  const MidiSong& song_;
  double bpm_;
  std::uint64_t tick_ = 0;
  double seconds_ = 0.0;
  double ppq_ = 0.0;
};

}  // namespace

Timeline MakeTimeline(const MidiSong& song, double sampleRate, double initialBpm) {
  Timeline timeline{{}, TempoMap(sampleRate, initialBpm), 0};
  TickClock clock(song, initialBpm);
  const auto toFrame = [&](std::uint64_t tick) {
    clock.advanceTo(tick);
    if (clock.seconds() > kMaxSongSeconds)
      throw HostError("the MIDI lasts longer than " + std::to_string(static_cast<int>(kMaxSongSeconds)) +
                      " seconds, more than this host renders");
    return static_cast<std::int64_t>(std::llround(clock.seconds() * sampleRate));
  };

  int numerator = 4;
  int denominator = 4;
  std::size_t tempoIndex = 0;
  std::size_t meterIndex = 0;
  const auto applyChangesUpTo = [&](std::uint64_t tick) {
    while (true) {
      const bool tempoNext = tempoIndex < song.tempos.size() && song.tempos[tempoIndex].tick <= tick;
      const bool meterNext = meterIndex < song.meters.size() && song.meters[meterIndex].tick <= tick;
      if (!tempoNext && !meterNext) return;
      std::uint64_t at = 0;
      if (tempoNext && (!meterNext || song.tempos[tempoIndex].tick <= song.meters[meterIndex].tick)) {
        at = song.tempos[tempoIndex].tick;
        const std::int64_t frame = toFrame(at);
        clock.setBpm(60'000'000.0 / song.tempos[tempoIndex].microsPerQuarter);
        ++tempoIndex;
        timeline.tempo.change(frame, clock.ppq(), clock.bpm(), numerator, denominator);
      } else {
        at = song.meters[meterIndex].tick;
        const std::int64_t frame = toFrame(at);
        numerator = song.meters[meterIndex].numerator;
        denominator = song.meters[meterIndex].denominator;
        ++meterIndex;
        timeline.tempo.change(frame, clock.ppq(), clock.bpm(), numerator, denominator);
      }
    }
  };

  timeline.events.reserve(song.events.size());
  for (const SongEvent& event : song.events) {
    applyChangesUpTo(event.tick);
    timeline.events.push_back({toFrame(event.tick), event.bytes, event.size});
  }
  applyChangesUpTo(song.endTick);
  timeline.endFrame = toFrame(std::max(song.endTick, song.events.empty() ? 0 : song.events.back().tick));
  return timeline;
}

}  // namespace vyrtal::host
