// The engine inside the built plug-in, driven through the host interface:
// notes sound on every factory program, and a program change cuts the tails.
#include <gtest/gtest.h>

#include <cmath>

#include "support/loaded_plugin.h"
#include "support/signal_measures.h"

namespace {

class PluginSound : public ::testing::Test {
 protected:
  ScopedExportFile exportFile;
  FakeHost host;
};

TEST_F(PluginSound, SilentUntilANoteThenSounds) {
  LoadedPlugin plugin(host);
  ASSERT_NE(plugin.Effect(), nullptr);
  auto quiet = plugin.Render(4096);
  EXPECT_EQ(Rms(quiet[0]), 0.0);
  plugin.SendMidi({{0x90, 60, 100}});
  auto out = plugin.Render(8192);
  EXPECT_GT(Rms(out[0]), 1e-3);
  EXPECT_GT(Rms(out[1]), 1e-3);
  plugin.Close();
}

TEST_F(PluginSound, EveryFactoryProgramSounds) {
  LoadedPlugin plugin(host);
  ASSERT_NE(plugin.Effect(), nullptr);
  for (int program = 0; program < 16; ++program) {
    plugin.Dispatch(effSetProgram, 0, program);
    plugin.SendMidi({{0x90, 57, 110}, {0x90, 64, 100}});
    auto out = plugin.Render(22050);
    for (float v : out[0]) ASSERT_TRUE(std::isfinite(v)) << program;
    EXPECT_GT(Rms(out[0]), 1e-4) << program;
    plugin.SendMidi({{0x80, 57, 0}, {0x80, 64, 0}});
    plugin.Render(2048);
  }
  plugin.Close();
}

TEST_F(PluginSound, ProcessAddsToWhatTheBuffersHold) {
  LoadedPlugin a(host), b(host);
  ASSERT_NE(a.Effect(), nullptr);
  ASSERT_NE(b.Effect(), nullptr);
  a.SendMidi({{0x90, 60, 100}});
  b.SendMidi({{0x90, 60, 100}});
  auto ref = a.Render(2048, true);
  auto added = b.Render(2048, false, {std::vector<float>(2048, 0.5f), std::vector<float>(2048, 0.5f)});
  for (std::size_t i = 0; i < 2048; ++i) ASSERT_EQ(added[0][i], 0.5f + ref[0][i]) << i;
  a.Close();
  b.Close();
}

TEST_F(PluginSound, ProgramChangeSilencesDelayTail) {
  LoadedPlugin plugin(host);
  ASSERT_NE(plugin.Effect(), nullptr);
  plugin.Dispatch(effSetProgram, 0, 5);  // "Dubby": long delay feedback
  plugin.SendMidi({{0x90, 48, 127}});
  plugin.Render(44100);
  plugin.SendMidi({{0x80, 48, 0}});
  plugin.Render(44100);
  plugin.Dispatch(effSetProgram, 0, 0);  // delay off; lines cleared
  auto after = plugin.Render(44100);
  // The voice falls through its release; nothing of the delay comes back.
  std::vector<float> late(after[0].begin() + 30000, after[0].end());
  EXPECT_LT(Rms(late), 1e-6);
  plugin.Close();
}

}  // namespace
