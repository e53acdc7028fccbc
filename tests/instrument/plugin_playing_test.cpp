// Played like a keyboard, through the host's interface: the bend wheel and
// its range, the sustain pedal, all notes off and all sound off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/loaded_plugin.h"
#include "support/signal_measures.h"

namespace {

class PluginPlaying : public ::testing::Test {
 protected:
  void SetUp() override { setenv("VYRTAL_NOISE_SEED", "12345", 1); }
  void TearDown() override { unsetenv("VYRTAL_NOISE_SEED"); }

  // The period in samples of what plays, near the one expected.
  static double Period(LoadedPlugin& plugin, double expected) {
    const auto left = plugin.Render(22050)[0];
    return MeasuredPeriod(left, left.size() / 2, static_cast<int>(expected * 0.8), static_cast<int>(expected * 1.2));
  }
  static double LateRms(LoadedPlugin& plugin) {
    const auto left = plugin.Render(66150)[0];
    return Rms(std::vector<float>(left.end() - 22050, left.end()));
  }

  ScopedExportFile exportFile;
  FakeHost host;
};

// The oscillator's step at 44.1 kHz is FloorInt(2^octaves x 163.47): 163 for
// note 57, 183 two semitones up, 326 an octave up; a period is 65536 / step.
TEST_F(PluginPlaying, TheWheelBendsByItsRangeAndBackToTheSameStep) {
  LoadedPlugin plugin(host);
  plugin.SetParameter(8, 0.0f);  // no vibrato
  plugin.SetParameter(3, 0.0f);  // no glide to wait for
  plugin.SendMidi({{0x90, 57, 100}});
  EXPECT_NEAR(Period(plugin, 65536.0 / 163), 65536.0 / 163, 0.3) << "unbent";
  plugin.SendMidi({{0xE3, 0x7F, 0x7F}});  // the wheel at the top, on channel 4
  EXPECT_NEAR(Period(plugin, 65536.0 / 183), 65536.0 / 183, 0.3) << "two semitones up by default";
  plugin.SendMidi({{0xE0, 0x00, 0x40}});  // centre
  EXPECT_NEAR(Period(plugin, 65536.0 / 163), 65536.0 / 163, 0.3) << "centre gives the unbent step again";
  // Registered parameter 0 set to 12 semitones: the top of the wheel is an
  // octave; a non-registered parameter's data entry changes nothing.
  plugin.SendMidi({{0xB0, 101, 0}, {0xB0, 100, 0}, {0xB0, 6, 12}, {0xB0, 99, 1}, {0xB0, 98, 2}, {0xB0, 6, 1},
                   {0xE0, 0x7F, 0x7F}});
  EXPECT_NEAR(Period(plugin, 65536.0 / 326), 65536.0 / 326, 0.3) << "an octave up";
}

// "Default" holds a note's level while the key is down; released, it falls
// within about half a second.
TEST_F(PluginPlaying, ThePedalKeepsReleasedNotesUntilItGoesUpAndPanicReleasesAll) {
  LoadedPlugin plugin(host);
  plugin.SendMidi({{0x90, 60, 100}});
  const double held = LateRms(plugin);
  ASSERT_GT(held, 1e-3);
  plugin.SendMidi({{0xB0, 64, 127}, {0x80, 60, 0}});
  EXPECT_GT(LateRms(plugin), 0.5 * held) << "released while the pedal is down: still sounding";
  plugin.SendMidi({{0xB0, 64, 0}});
  EXPECT_LT(LateRms(plugin), 1e-6) << "pedal up: released";

  // All notes off, on any channel, releases held keys and sustained voices
  // alike; so does a mode message.
  for (const unsigned char controller : {123, 124, 127}) {
    plugin.SendMidi({{0xB0, 64, 127}, {0x90, 60, 100}, {0x90, 64, 100}, {0x80, 60, 0}});
    ASSERT_GT(LateRms(plugin), 0.5 * held);
    plugin.SendMidi({{0xB9, controller, 0}, {0xB0, 64, 0}});
    EXPECT_LT(LateRms(plugin), 1e-6) << "controller " << static_cast<int>(controller);
  }
}

// "Dubby" rings on through its delay long after a note ends; all sound off
// silences voices and tails from the next block on.
TEST_F(PluginPlaying, AllSoundOffSilencesTheTailsFromTheNextBlock) {
  LoadedPlugin plugin(host);
  plugin.Dispatch(effSetProgram, 0, 5);
  plugin.SendMidi({{0x90, 48, 127}});
  plugin.Render(44100);
  plugin.SendMidi({{0x80, 48, 0}});
  const auto tail = plugin.Render(4410);
  ASSERT_GT(Rms(tail[0]), 1e-3);
  plugin.SendMidi({{0xB2, 120, 0}});
  const auto after = plugin.Render(88200);
  float peak = 0.0f;
  for (const auto& channel : after) {
    for (float v : channel) peak = std::max(peak, std::fabs(v));
  }
  // What the denormal guards leave is far below anything audible.
  EXPECT_LT(peak, 1e-9f);
}

}  // namespace
