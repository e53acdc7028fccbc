#include "host/midi_file.h"

#include <gtest/gtest.h>

#include <random>

#include "host/host_error.h"
#include "midi_bytes.h"

namespace vyrtal::host {
namespace {

using test::Bytes;
using test::Concat;
using test::Header;
using test::TrackBuilder;

Bytes SimpleFile() {
  TrackBuilder track;
  track.tempo(0, 400000)
      .event(0, {0x90, 60, 100})
      .event(96, {64, 90})  // running status
      .event(96, {0x80, 60, 0})
      .event(0, {0xB0, 7, 100})
      .event(0, {0xE0, 0, 64})
      .event(0, {0xC0, 5})
      .event(10, {0x90, 64, 0})  // velocity 0: a note-off
      .end(20);
  return Concat({Header(0, 1, 96), track.chunk()});
}

TEST(MidiFile, ReadsFormatZeroWithRunningStatus) {
  const MidiSong song = ParseMidiFile(SimpleFile(), "simple.mid");
  EXPECT_EQ(song.ticksPerQuarter, 96);
  ASSERT_EQ(song.tempos.size(), 1u);
  EXPECT_EQ(song.tempos[0].microsPerQuarter, 400000u);
  ASSERT_EQ(song.events.size(), 7u);
  EXPECT_EQ(song.events[1].tick, 96u);
  EXPECT_EQ(song.events[1].bytes[0], 0x90);
  EXPECT_EQ(song.events[1].bytes[1], 64);
  EXPECT_EQ(song.events[4].size, 3);
  EXPECT_EQ(song.events[5].size, 2);
  EXPECT_EQ(song.events[5].bytes[0], 0xC0);
  EXPECT_EQ(song.events[6].bytes[0], 0x80);
  EXPECT_EQ(song.events[6].tick, 202u);
  EXPECT_EQ(song.endTick, 222u);
}

TEST(MidiFile, MergesFormatOneTracksInTimeOrder) {
  TrackBuilder conductor;
  conductor.tempo(0, 500000).event(0, {0xFF, 0x58, 0x04, 3, 2, 24, 8}).tempo(480, 250000).end();
  TrackBuilder notes;
  notes.event(240, {0x91, 60, 100}).event(480, {0x81, 60, 0}).end();
  const MidiSong song = ParseMidiFile(Concat({Header(1, 2, 480), conductor.chunk(), notes.chunk()}), "two.mid");
  ASSERT_EQ(song.events.size(), 2u);
  EXPECT_EQ(song.events[0].tick, 240u);
  EXPECT_EQ(song.events[1].tick, 720u);
  ASSERT_EQ(song.tempos.size(), 2u);
  EXPECT_EQ(song.tempos[1].tick, 480u);
  ASSERT_EQ(song.meters.size(), 1u);
  EXPECT_EQ(song.meters[0].numerator, 3);
  EXPECT_EQ(song.meters[0].denominator, 4);
}

TEST(MidiFile, SkipsUnknownChunksAndSysEx) {
  TrackBuilder track;
  track.event(0, {0xF0, 0x03, 0x7E, 0x7F, 0xF7}).event(0, {0x90, 60, 1}).end();
  const Bytes file = Concat({Header(0, 1, 96), test::Chunk("XFIH", {1, 2, 3}), track.chunk()});
  const MidiSong song = ParseMidiFile(file, "x.mid");
  EXPECT_EQ(song.events.size(), 1u);
}

TEST(MidiFile, ReadsSmpteDivision) {
  TrackBuilder track;
  track.event(100, {0x90, 60, 1}).end();
  const int division = (0xE7 << 8) | 40;  // -25 frames per second, 40 ticks per frame
  const MidiSong song = ParseMidiFile(Concat({Header(0, 1, division), track.chunk()}), "smpte.mid");
  EXPECT_EQ(song.ticksPerQuarter, 0);
  EXPECT_DOUBLE_EQ(song.ticksPerSecond, 1000.0);
}

void ExpectError(const Bytes& bytes, const std::string& fragment) {
  try {
    ParseMidiFile(bytes, "bad.mid");
    FAIL() << "no error, expected one containing '" << fragment << "'";
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
  }
}

TEST(MidiFile, RejectsMalformedInput) {
  ExpectError({}, "not a MIDI file");
  ExpectError({'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, "no MThd");
  ExpectError(Header(2, 1, 96), "format 2");
  ExpectError(Header(0, 1, 0), "zero ticks");
  ExpectError(Header(0, 0, 96), "no tracks");
  ExpectError(Header(0, 1, 96), "0 of 1 tracks");
  ExpectError(Concat({Header(0, 2, 96), TrackBuilder().end().chunk()}), "format 0");
  // A chunk that claims more than the file holds.
  Bytes chunk = TrackBuilder().event(0, {0x90, 60, 100}).end().chunk();
  chunk[7] = 0xFF;
  ExpectError(Concat({Header(0, 1, 96), chunk}), "claims");
  Bytes absurd = chunk;
  absurd[4] = 0xFF;
  ExpectError(Concat({Header(0, 1, 96), absurd}), "claims 4278190335");
  ExpectError(Concat({Header(0, 1, 96), TrackBuilder().event(0, {60, 100}).chunk()}), "running status");
  ExpectError(Concat({Header(0, 1, 96), test::Chunk("MTrk", {0x81, 0x82})}), "truncated variable-length");
  ExpectError(Concat({Header(0, 1, 96), test::Chunk("MTrk", {0xFF, 0xFF, 0xFF, 0xFF, 0x7F})}), "longer than four");
  ExpectError(Concat({Header(0, 1, 96), TrackBuilder().event(0, {0x90, 60}).chunk()}), "truncated");
  ExpectError(Concat({Header(0, 1, 96), TrackBuilder().event(0, {0x90, 0x80, 1}).chunk()}), "data byte");
  ExpectError(Concat({Header(0, 1, 96), TrackBuilder().event(0, {0xF8}).chunk()}), "unexpected status");
  ExpectError(Concat({Header(0, 1, 96), TrackBuilder().event(0, {0xFF, 0x01, 0x7F}).chunk()}), "meta event length");
  ExpectError(Concat({Header(0, 1, 96), TrackBuilder().event(0, {0xFF, 0x51, 0x02, 1, 2}).chunk()}), "tempo");
  ExpectError(Concat({Header(0, 1, 96), TrackBuilder().event(0, {0xF0, 0x7F, 1}).chunk()}), "exclusive length");
}

// Every prefix of a good file either parses or fails cleanly, and never
// reads past its end (the sanitizer build checks the reads).
TEST(MidiFile, EveryTruncationFailsCleanly) {
  const Bytes file = SimpleFile();
  for (std::size_t length = 0; length < file.size(); ++length) {
    const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    // Exact-size copies on the heap so any over-read is caught.
    EXPECT_THROW(ParseMidiFile(prefix, "cut.mid"), HostError) << "length " << length;
  }
}

TEST(MidiFile, RandomBytesNeverCrash) {
  std::mt19937 random(1234);
  const Bytes header = Header(1, 3, 96);
  for (int round = 0; round < 3000; ++round) {
    Bytes body(random() % 64);
    for (auto& byte : body) byte = static_cast<std::uint8_t>(random());
    Bytes file = round % 2 == 0 ? Concat({header, test::Chunk("MTrk", body)}) : Concat({header, body});
    // Random damage to a good file too.
    if (round % 3 == 0) {
      file = SimpleFile();
      file[random() % file.size()] = static_cast<std::uint8_t>(random());
      file.resize(random() % (file.size() + 1));
    }
    try {
      ParseMidiFile(file, "random.mid");
    } catch (const HostError&) {
    }
  }
}

TEST(MidiFile, MissingFileIsAnError) {
  EXPECT_THROW(ReadMidiFile("/nonexistent/none.mid"), HostError);
}

}  // namespace
}  // namespace vyrtal::host
