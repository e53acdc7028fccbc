// The host driving the test plug-in in-process: loading, the call sequence,
// block splitting at event times, the MIDI that reaches the plug-in, time
// info and the tail.
#include "host/render_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "fake_synth_state.h"
#include "host/host_error.h"
#include "host/midi_file.h"
#include "host/phrases.h"
#include "host/plugin_session.h"
#include "midi_bytes.h"

namespace vyrtal::host {
namespace {

class MemorySink : public AudioSink {
 public:
  void write(const float* const* channels, VstInt32 frames) override {
    for (VstInt32 i = 0; i < frames; ++i) {
      left.push_back(channels[0][i]);
      right.push_back(channels[1][i]);
    }
  }
  std::vector<float> left;
  std::vector<float> right;
};

FakeSynthState& State(EffectInstance& instance) { return *static_cast<FakeSynthState*>(instance.effect().object); }

Timeline TwoNotes(double rate) {
  Timeline timeline{{}, TempoMap(rate, 120.0), 0};
  timeline.events.push_back({1000, {0x90, 60, 100}, 3});
  timeline.events.push_back({1000, {0xB0, 7, 90}, 3});
  timeline.events.push_back({1777, {0x80, 60, 0}, 3});
  timeline.events.push_back({2001, {0x90, 62, 100}, 3});
  timeline.events.push_back({2500, {0x80, 62, 0}, 3});
  timeline.endFrame = 2500;
  return timeline;
}

PluginSession Open(const char* path, double rate = 44100.0, VstInt32 block = 256) {
  return OpenSession(std::make_shared<PluginLibrary>(path), rate, block, nullptr);
}

TEST(RenderEngine, SplitsBlocksSoEventsLandOnTheirSample) {
  PluginSession session = Open(FAKE_SYNTH_PATH);
  const Timeline timeline = TwoNotes(44100.0);
  RenderOptions options;
  options.blockSize = 256;
  options.tailSeconds = 0.01;
  MemorySink sink;
  const RenderReport report = RenderTimeline(*session.instance, *session.host, timeline, options, sink);

  EXPECT_EQ(report.frames, 2500 + 441);
  EXPECT_EQ(report.tailFrames, 441);
  EXPECT_EQ(report.events, 5u);
  ASSERT_EQ(sink.left.size(), static_cast<std::size_t>(report.frames));
  const auto firstNonZero = std::find_if(sink.left.begin(), sink.left.end(), [](float s) { return s != 0.0f; });
  EXPECT_EQ(firstNonZero - sink.left.begin(), 1000);
  EXPECT_EQ(sink.left[1776], 0.5f);
  EXPECT_EQ(sink.left[1777], 0.0f);
  EXPECT_EQ(sink.left[2000], 0.0f);
  EXPECT_EQ(sink.left[2001], 0.5f);
  EXPECT_EQ(sink.right[2499], 0.5f);
  EXPECT_EQ(sink.right[2500], 0.0f);

  FakeSynthState& state = State(*session.instance);
  ASSERT_EQ(state.events.size(), 5u);
  EXPECT_DOUBLE_EQ(state.events[0].samplePos, 1000.0);
  EXPECT_DOUBLE_EQ(state.events[1].samplePos, 1000.0);
  EXPECT_DOUBLE_EQ(state.events[2].samplePos, 1777.0);
  EXPECT_DOUBLE_EQ(state.events[3].samplePos, 2001.0);
  for (const FakeSynthEvent& event : state.events) EXPECT_EQ(event.deltaFrames, 0);
  for (const FakeSynthBlock& block : state.blocks) {
    EXPECT_LE(block.frames, 256);
    EXPECT_GT(block.frames, 0);
  }
  EXPECT_TRUE(session.host->midiWanted());
}

// What the test plug-in receives when a song plays at 44100 Hz and 120 BPM
// (22050 frames a quarter note).
std::vector<FakeSynthEvent> Play(const MidiSong& song) {
  PluginSession session = Open(FAKE_SYNTH_PATH);
  RenderOptions options;
  options.tailSeconds = 0.0;
  MemorySink sink;
  RenderTimeline(*session.instance, *session.host, MakeTimeline(song, 44100.0, 120.0), options, sink);
  return State(*session.instance).events;
}

TEST(RenderEngine, EveryChannelMessageOfAMidiFileReachesThePluginAtItsTime) {
  struct Message {
    std::uint32_t tick;
    std::array<std::uint8_t, 3> bytes;
  };
  const Message messages[] = {
      {0, {0x90, 57, 100}},    {240, {0xE0, 0x00, 0x60}}, {480, {0xB0, 64, 127}}, {480, {0xB0, 101, 0}},
      {480, {0xB0, 100, 0}},   {480, {0xB0, 6, 12}},      {480, {0xB0, 38, 0}},   {720, {0xB1, 64, 0}},
      {960, {0xB0, 120, 0}},   {960, {0xB0, 121, 0}},     {960, {0xB0, 122, 127}}, {960, {0xB0, 123, 0}},
      {1200, {0xB0, 124, 0}},  {1200, {0xB0, 125, 0}},    {1200, {0xB0, 126, 1}}, {1200, {0xB0, 127, 0}},
      {1440, {0xE0, 0x00, 0x40}}, {1440, {0x80, 57, 64}},
  };
  test::TrackBuilder track;
  std::uint32_t last = 0;
  for (const Message& m : messages) {
    track.event(m.tick - last, {m.bytes[0], m.bytes[1], m.bytes[2]});
    last = m.tick;
  }
  track.end();
  const std::vector<FakeSynthEvent> received =
      Play(ParseMidiFile(test::Concat({test::Header(0, 1, 480), track.chunk()}), "controllers.mid"));

  ASSERT_EQ(received.size(), std::size(messages));
  for (std::size_t i = 0; i < received.size(); ++i) {
    EXPECT_DOUBLE_EQ(received[i].samplePos, messages[i].tick * 22050.0 / 480.0) << i;
    EXPECT_EQ(received[i].status, messages[i].bytes[0]) << i;
    EXPECT_EQ(received[i].data1, messages[i].bytes[1]) << i;
    EXPECT_EQ(received[i].data2, messages[i].bytes[2]) << i;
  }
}

TEST(RenderEngine, BendPhraseMovesTheWheelAndHoldsThePedal) {
  const auto song = MakePhrase("bend");
  ASSERT_TRUE(song.has_value());
  std::vector<int> wheel;
  std::vector<std::pair<double, int>> pedal;
  int releasedUnderThePedal = 0;
  for (const FakeSynthEvent& e : Play(*song)) {
    if (e.status == 0xE0) wheel.push_back(e.data1 | e.data2 << 7);
    if (e.status == 0xB0 && e.data1 == 64) pedal.emplace_back(e.samplePos, e.data2);
    if (e.status == 0x80 && pedal.size() == 1 && e.samplePos > pedal[0].first) ++releasedUnderThePedal;
  }
  // From the centre up to the top and back, in small steps.
  ASSERT_GE(wheel.size(), 10u);
  EXPECT_EQ(wheel.front(), 8192);
  EXPECT_EQ(*std::max_element(wheel.begin(), wheel.end()), 16383);
  EXPECT_EQ(wheel.back(), 8192);
  for (std::size_t i = 1; i < wheel.size(); ++i) EXPECT_LE(std::abs(wheel[i] - wheel[i - 1]), 1024) << i;
  // Down on beat 2, up on beat 4, with notes let go while it is down.
  ASSERT_EQ(pedal.size(), 2u);
  EXPECT_EQ(pedal[0], std::make_pair(2 * 22050.0, 127));
  EXPECT_EQ(pedal[1], std::make_pair(4 * 22050.0, 0));
  EXPECT_GE(releasedUnderThePedal, 2);
}

TEST(RenderEngine, ReportsTimeAndTempoEveryBlock) {
  PluginSession session = Open(FAKE_SYNTH_PATH, 48000.0, 512);
  Timeline timeline{{}, TempoMap(48000.0, 120.0), 48000};
  timeline.tempo.change(24000, 1.0, 60.0, 4, 4);
  RenderOptions options;
  options.blockSize = 512;
  options.tailSeconds = 0.0;
  MemorySink sink;
  RenderTimeline(*session.instance, *session.host, timeline, options, sink);
  const auto& blocks = State(*session.instance).blocks;
  ASSERT_FALSE(blocks.empty());
  double expected = 0.0;
  for (const FakeSynthBlock& block : blocks) {
    EXPECT_DOUBLE_EQ(block.samplePos, expected);
    EXPECT_NE(block.timeFlags & kVstTransportPlaying, 0);
    EXPECT_NE(block.timeFlags & kVstTempoValid, 0);
    EXPECT_NE(block.timeFlags & kVstPpqPosValid, 0);
    const double bpm = block.samplePos < 24000 ? 120.0 : 60.0;
    EXPECT_DOUBLE_EQ(block.tempo, bpm);
    EXPECT_EQ(block.tempoAt, static_cast<VstIntPtr>(bpm * 10000));
    expected += block.frames;
  }
  EXPECT_DOUBLE_EQ(expected, 48000.0);
  EXPECT_NEAR(blocks.back().ppqPos, 1.0 + (blocks.back().samplePos - 24000.0) / 48000.0, 1e-9);
}

TEST(RenderEngine, AutomaticTailStopsAfterHalfASecondOfQuiet) {
  PluginSession session = Open(FAKE_SYNTH_PATH, 10000.0, 100);
  Timeline timeline{{}, TempoMap(10000.0, 120.0), 0};
  timeline.events.push_back({0, {0x90, 60, 100}, 3});
  timeline.events.push_back({1000, {0x80, 60, 0}, 3});
  timeline.endFrame = 1000;
  RenderOptions options;
  options.blockSize = 100;
  MemorySink sink;
  const RenderReport report = RenderTimeline(*session.instance, *session.host, timeline, options, sink);
  EXPECT_EQ(report.tailFrames, 5000);
  EXPECT_FALSE(report.tailLimited);
}

TEST(RenderEngine, AutomaticTailHasALimit) {
  PluginSession session = Open(FAKE_SYNTH_PATH, 10000.0, 100);
  Timeline timeline{{}, TempoMap(10000.0, 120.0), 0};
  timeline.events.push_back({0, {0x90, 60, 100}, 3});  // never released
  RenderOptions options;
  options.blockSize = 100;
  options.maxTailSeconds = 2.0;
  MemorySink sink;
  const RenderReport report = RenderTimeline(*session.instance, *session.host, timeline, options, sink);
  EXPECT_EQ(report.tailFrames, 20000);
  EXPECT_TRUE(report.tailLimited);
}

TEST(RenderEngine, FollowsTheUsualHostSequence) {
  PluginSession session = Open(FAKE_SYNTH_PATH);
  session.instance->setProgram(1);
  Timeline timeline = TwoNotes(44100.0);
  RenderOptions options;
  options.tailSeconds = 0.0;
  MemorySink sink;
  RenderTimeline(*session.instance, *session.host, timeline, options, sink);
  const auto& ops = State(*session.instance).opcodes;
  const auto position = [&](VstInt32 op) { return std::find(ops.begin(), ops.end(), op) - ops.begin(); };
  ASSERT_GE(ops.size(), 8u);
  EXPECT_EQ(ops[0], effOpen);
  EXPECT_LT(position(effOpen), position(effSetSampleRate));
  EXPECT_LT(position(effSetSampleRate), position(effSetBlockSize));
  EXPECT_LT(position(effSetBlockSize), position(effSetProgram));
  EXPECT_LT(position(effSetProgram), position(effMainsChanged));
  EXPECT_LT(position(effMainsChanged), position(effProcessEvents));
  EXPECT_EQ(ops.back(), effMainsChanged);  // suspended at the end
  EXPECT_EQ(State(*session.instance).program, 1);
  EXPECT_DOUBLE_EQ(State(*session.instance).sampleRate, 44100.0);
  EXPECT_EQ(State(*session.instance).blockSize, 256);
}

TEST(PluginLoader, LoadsTheLegacyEntryPoint) {
  PluginLibrary library(FAKE_LEGACY_PATH);
  EXPECT_EQ(library.entryName(), "main");
  PluginLibrary modern(FAKE_SYNTH_PATH);
  EXPECT_EQ(modern.entryName(), "VSTPluginMain");
}

TEST(PluginLoader, InstanceNamesAndParameters) {
  PluginSession session = Open(FAKE_LEGACY_PATH);
  EffectInstance& fx = *session.instance;
  EXPECT_EQ(fx.effectName(), "FakeSynth");
  EXPECT_EQ(fx.vendorString(), "Test Vendor");
  EXPECT_EQ(fx.programName(1), "Second");
  EXPECT_EQ(fx.parameterName(2), "Gamma");
  EXPECT_FLOAT_EQ(fx.parameter(1), 0.5f);
  fx.setParameter(1, 0.125f);
  EXPECT_FLOAT_EQ(fx.parameter(1), 0.125f);
  ASSERT_EQ(session.host->automation().size(), 1u);
  EXPECT_EQ(session.host->automation()[0].index, 1);
}

void ExpectLoadError(const char* path, const std::string& fragment) {
  try {
    PluginSession session = Open(path);
    FAIL() << "loaded " << path;
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
  }
}

TEST(PluginLoader, ReportsWhatIsWrong) {
  ExpectLoadError("/nonexistent/plugin.so", "not found");
  ExpectLoadError(FAKE_NONE_PATH, "neither VSTPluginMain nor main");
  ExpectLoadError(FAKE_NULL_PATH, "returned no effect");
  ExpectLoadError(FAKE_BADMAGIC_PATH, "not a VST 2 effect");
  ExpectLoadError(NOT_A_LIBRARY_PATH, "cannot load plug-in");
}

}  // namespace
}  // namespace vyrtal::host
