// Time as the host gives it: tempo answers, sample rates, and MIDI events at
// their sample inside a block.
#include <gtest/gtest.h>

#include <cmath>

#include "support/loaded_plugin.h"
#include "support/signal_measures.h"

namespace {

class PluginTiming : public ::testing::Test {
 protected:
  void SetUp() override { setenv("VYRTAL_NOISE_SEED", "12345", 1); }
  void TearDown() override { unsetenv("VYRTAL_NOISE_SEED"); }

  // A held chord on "Waher" (attack, tremolo, wah) with the delay on, whose
  // envelope and delay times both follow the tempo.
  std::vector<float> Play(LoadedPlugin& plugin, int frames = 44100) {
    plugin.Dispatch(effSetProgram, 0, 3);
    plugin.SetParameter(19, 0.75376886f);
    plugin.SendMidi({{0x90, 57, 100}, {0x90, 64, 100}});
    return plugin.Render(frames)[0];
  }

  ScopedExportFile exportFile;
  FakeHost host;
};

TEST_F(PluginTiming, TempoIsAskedAtTheFirstSampleAndEvery1024) {
  LoadedPlugin plugin(host);
  host.ClearRecords();
  plugin.Render(1000);
  EXPECT_EQ(host.Calls(audioMasterGetTime), 1);
  EXPECT_EQ(host.Calls(audioMasterTempoAt), 1) << "no time info: the tempo request follows";
  plugin.Render(3096);  // samples 1000..4095: queries at 1024, 2048 and 3072
  EXPECT_EQ(host.Calls(audioMasterGetTime), 4);
  EXPECT_EQ(host.Calls(audioMasterTempoAt), 4);
}

TEST_F(PluginTiming, ValidTimeInfoSparesTheTempoRequest) {
  host.timeInfoAvailable = true;
  host.timeInfo.tempo = 90.0;
  host.timeInfo.flags = kVstTempoValid;
  LoadedPlugin plugin(host);
  host.ClearRecords();
  plugin.Render(2048);
  EXPECT_EQ(host.Calls(audioMasterGetTime), 2);
  EXPECT_EQ(host.Calls(audioMasterTempoAt), 0);
}

TEST_F(PluginTiming, EveryWayOfGivingATempoSoundsTheSame) {
  // 120 beats per minute given four ways, and nothing at all.
  std::vector<std::vector<float>> renders;
  for (int way = 0; way < 4; ++way) {
    FakeHost h;
    if (way == 1) h.tempoAtAnswer = 1200000;
    if (way == 2 || way == 3) {
      h.timeInfoAvailable = true;
      h.timeInfo.tempo = 120.0;
      h.timeInfo.flags = way == 2 ? kVstTempoValid : 0;  // not marked valid: the tempo request decides
      h.tempoAtAnswer = way == 3 ? 1200000 : 7;
    }
    LoadedPlugin plugin(h);
    renders.push_back(Play(plugin));
  }
  for (std::size_t i = 1; i < renders.size(); ++i) EXPECT_EQ(renders[i], renders[0]) << "way " << i;
}

TEST_F(PluginTiming, TheHostsTempoChangesTheTiming) {
  std::vector<float> at120, at60, at60ByRequest, wrongUnit;
  {
    LoadedPlugin plugin(host);
    at120 = Play(plugin);
  }
  {
    FakeHost h;
    h.timeInfoAvailable = true;
    h.timeInfo.tempo = 60.0;
    h.timeInfo.flags = kVstTempoValid;
    LoadedPlugin plugin(h);
    at60 = Play(plugin);
  }
  {
    FakeHost h;
    h.tempoAtAnswer = 600000;
    LoadedPlugin plugin(h);
    at60ByRequest = Play(plugin);
  }
  {
    // A host that answers the tempo request in thousandths gives 6 beats per
    // minute, unless it also reports time info, which wins.
    FakeHost h;
    h.tempoAtAnswer = 60000;
    h.timeInfoAvailable = true;
    h.timeInfo.tempo = 60.0;
    h.timeInfo.flags = kVstTempoValid;
    LoadedPlugin plugin(h);
    wrongUnit = Play(plugin);
  }
  EXPECT_NE(at60, at120);
  EXPECT_EQ(at60ByRequest, at60);
  EXPECT_EQ(wrongUnit, at60);
}

// Hosts set the rate and resume without selecting a program; note 57 must
// sound at its designed step of 110 Hz x 65536 / rate (truncated) at once.
TEST_F(PluginTiming, TheEngineTakesTheRateTheHostSetsWithoutAProgramChange) {
  struct Row {
    float rate;
    int step;  // FloorInt(7208960 / rate)
  };
  for (const Row row : {Row{48000.0f, 150}, Row{96000.0f, 75}}) {
    LoadedPlugin plugin(host);
    plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, row.rate);
    plugin.Dispatch(effMainsChanged, 0, 1);
    plugin.SetParameter(8, 0.0f);  // no vibrato: one steady step
    plugin.SendMidi({{0x90, 57, 100}});
    const auto left = plugin.Render(static_cast<int>(row.rate))[0];
    const double designed = 65536.0 / row.step;
    const double period = MeasuredPeriod(left, left.size() / 2, static_cast<int>(designed * 0.8),
                                         static_cast<int>(designed * 1.2));
    // Half a sample tells the step apart from its neighbours.
    EXPECT_NEAR(period, designed, 0.5) << row.rate;
    EXPECT_NEAR(row.rate / period, row.step * row.rate / 65536.0, 0.15) << row.rate;
  }
}

TEST_F(PluginTiming, ANoteStartsAtItsDeltaFrame) {
  LoadedPlugin plugin(host);
  plugin.SendMidi({{0x90, 60, 127, 300}});
  const auto left = plugin.Render(512)[0];
  for (int i = 0; i < 300; ++i) ASSERT_EQ(left[static_cast<std::size_t>(i)], 0.0f) << i;
  bool sounding = false;
  for (int i = 300; i < 300 + 32; ++i) sounding = sounding || left[static_cast<std::size_t>(i)] != 0.0f;
  EXPECT_TRUE(sounding) << "sound within two control ticks of the note";
}

TEST_F(PluginTiming, EventsAtFrameZeroActBeforeTheBlock) {
  LoadedPlugin plugin(host);
  plugin.SendMidi({{0x90, 60, 127, 0}});
  const auto left = plugin.Render(64)[0];
  bool sounding = false;
  for (int i = 0; i < 48; ++i) sounding = sounding || left[static_cast<std::size_t>(i)] != 0.0f;
  EXPECT_TRUE(sounding);
}

}  // namespace
