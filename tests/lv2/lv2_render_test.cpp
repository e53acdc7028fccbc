// The LV2 plug-in sounds exactly as the VST 2 plug-in: the same phrase
// through both, sample for sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "lilv_host.h"
#include "lv2/control_ports.h"
#include "phrase.h"
#include "support/loaded_plugin.h"
#include "support/signal_measures.h"

namespace {

using lv2test::Phrase;

// The VST 2 build plays the phrase: blocks of 1000 frames, cut at every
// event, tempo change and control move, each acting at its frame.
std::array<std::vector<float>, 2> PlayOnVst(const Phrase& phrase) {
  FakeHost host;
  host.timeInfoAvailable = true;
  LoadedPlugin plugin(host);
  plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(lv2test::Instance::kSampleRate));
  plugin.Dispatch(effSetBlockSize, 0, 1000);
  plugin.Dispatch(effMainsChanged, 0, 1);

  std::map<std::string, const vyrtal::lv2::ControlPort*> ports;
  for (const auto& port : vyrtal::lv2::kControlPorts) ports[std::string(port.symbol)] = &port;
  std::array<std::vector<float>, 2> out{std::vector<float>(phrase.frames), std::vector<float>(phrase.frames)};
  std::vector<float> input = phrase.input, silence(phrase.frames, 0.0f);
  std::uint32_t frame = 0;
  while (frame < phrase.frames) {
    for (const auto& move : phrase.moves) {
      if (move.frame == frame) {
        const auto* port = ports.at(move.symbol);
        plugin.SetParameter(port->parameter, vyrtal::lv2::ParameterValue(port->range, move.value));
      }
    }
    std::vector<LoadedPlugin::Midi> midi;
    for (const auto& e : phrase.events) {
      if (e.frame != frame) continue;
      if (e.midi.empty()) {
        host.timeInfo.tempo = e.beatsPerMinute;
        host.timeInfo.flags = kVstTempoValid;
      } else {
        midi.push_back({e.midi[0], e.midi.size() > 1 ? e.midi[1] : std::uint8_t{0},
                        e.midi.size() > 2 ? e.midi[2] : std::uint8_t{0}});
      }
    }
    if (!midi.empty()) plugin.SendMidi(midi);
    std::uint32_t end = std::min(phrase.frames, frame + 1000);
    for (const auto& e : phrase.events) if (e.frame > frame && e.frame < end) end = e.frame;
    for (const auto& m : phrase.moves) if (m.frame > frame && m.frame < end) end = m.frame;
    float* inputs[2] = {input.data() + frame, silence.data() + frame};
    float* outputs[2] = {out[0].data() + frame, out[1].data() + frame};
    plugin->processReplacing(plugin.Effect(), inputs, outputs, static_cast<VstInt32>(end - frame));
    frame = end;
  }
  return out;
}

std::size_t FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  return static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
}

class Lv2Render : public ::testing::Test {
 protected:
  void SetUp() override { setenv("VYRTAL_NOISE_SEED", "777", 1); }
  void TearDown() override { unsetenv("VYRTAL_NOISE_SEED"); }

  ScopedExportFile exportFile;
  lv2test::World world;
};

TEST_F(Lv2Render, APhraseSoundsSampleForSampleAsTheVstBuild) {
  const Phrase phrase;
  lv2test::Instance lv2(world, phrase.input);
  ASSERT_TRUE(lv2.Made());
  phrase.PlayOn(lv2);
  const auto vst = PlayOnVst(phrase);

  ASSERT_EQ(lv2.left.size(), phrase.frames);
  EXPECT_GT(Rms(lv2.left), 0.01);
  EXPECT_TRUE(AllFinite(lv2.left) && AllFinite(lv2.right));
  EXPECT_EQ(FirstDifference(lv2.left, vst[0]), phrase.frames) << "left";
  EXPECT_EQ(FirstDifference(lv2.right, vst[1]), phrase.frames) << "right";

  // Ardour 7 leaves the sequence's unit field unset: whatever it holds, the
  // events are placed at their frames.
  lv2test::Instance unsetUnit(world, phrase.input);
  unsetUnit.sequenceUnit = 0xbebebebe;
  phrase.PlayOn(unsetUnit);
  EXPECT_EQ(FirstDifference(unsetUnit.left, lv2.left), phrase.frames) << "with the unit unset";
}

TEST_F(Lv2Render, TheTransportsTempoReachesTheEngine) {
  const Phrase phrase;
  Phrase steady;
  std::erase_if(steady.events, [](const lv2test::TimedEvent& e) { return e.midi.empty() && e.frame > 0; });
  lv2test::Instance changing(world, phrase.input), constant(world, steady.input);
  phrase.PlayOn(changing);
  steady.PlayOn(constant);
  // Alike up to the change; the delay's time and the envelopes follow it afterwards.
  EXPECT_GE(FirstDifference(changing.left, constant.left), std::size_t{20000});
  EXPECT_LT(FirstDifference(changing.left, constant.left), std::size_t{60000});
}

}  // namespace
