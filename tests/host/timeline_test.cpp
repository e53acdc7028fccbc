#include "host/timeline.h"

#include <gtest/gtest.h>

#include "host/host_error.h"
#include "host/midi_file.h"
#include "midi_bytes.h"

namespace vyrtal::host {
namespace {

using test::Concat;
using test::Header;
using test::TrackBuilder;

TEST(Timeline, UsesInitialTempoUntilTheFirstTempoEvent) {
  TrackBuilder track;
  track.event(480, {0x90, 60, 100}).tempo(0, 250000).event(480, {0x80, 60, 0}).end();
  const MidiSong song = ParseMidiFile(Concat({Header(0, 1, 480), track.chunk()}), "t.mid");
  const Timeline timeline = MakeTimeline(song, 48000.0, 60.0);
  ASSERT_EQ(timeline.events.size(), 2u);
  EXPECT_EQ(timeline.events[0].frame, 48000);         // one beat at 60 BPM
  EXPECT_EQ(timeline.events[1].frame, 48000 + 12000);  // one beat at 240 BPM
  EXPECT_EQ(timeline.endFrame, 60000);
  EXPECT_DOUBLE_EQ(timeline.tempo.at(0).bpm, 60.0);
  EXPECT_DOUBLE_EQ(timeline.tempo.at(50000).bpm, 240.0);
  EXPECT_NEAR(timeline.tempo.at(54000).ppq, 1.5, 1e-9);
}

TEST(Timeline, TempoMapTracksBarsAcrossMeterChanges) {
  TempoMap map(1000.0, 60.0);                 // one beat per 1000 frames
  map.change(4000, 4.0, 60.0, 3, 4);          // 3/4 from beat 4
  EXPECT_DOUBLE_EQ(map.at(3500).barStartPpq, 0.0);
  EXPECT_DOUBLE_EQ(map.at(6500).barStartPpq, 4.0);
  EXPECT_DOUBLE_EQ(map.at(7500).barStartPpq, 7.0);
  EXPECT_EQ(map.at(7500).numerator, 3);
  EXPECT_EQ(map.at(0).numerator, 4);
}

TEST(Timeline, SmpteTicksAreSeconds) {
  MidiSong song;
  song.ticksPerQuarter = 0;
  song.ticksPerSecond = 1000.0;
  song.events.push_back({2500, {0x90, 60, 100}, 3});
  song.endTick = 2500;
  const Timeline timeline = MakeTimeline(song, 44100.0, 120.0);
  EXPECT_EQ(timeline.events[0].frame, 110250);
  EXPECT_NEAR(timeline.tempo.at(110250).ppq, 5.0, 1e-9);
}

TEST(Timeline, RefusesAbsurdLengths) {
  MidiSong song;
  song.ticksPerQuarter = 1;
  song.events.push_back({0x0FFFFFFF, {0x90, 60, 100}, 3});
  song.endTick = 0x0FFFFFFF;
  EXPECT_THROW(MakeTimeline(song, 44100.0, 120.0), HostError);
}

}  // namespace
}  // namespace vyrtal::host
