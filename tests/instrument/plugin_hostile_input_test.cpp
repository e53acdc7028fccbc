// Whatever a host passes, the plug-in answers a default and keeps running.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "support/loaded_plugin.h"

namespace {

class HostileInput : public ::testing::Test {
 protected:
  ScopedExportFile exportFile;
  FakeHost host;
};

TEST_F(HostileInput, ParameterIndicesOutsideTheTableAreIgnored) {
  LoadedPlugin plugin(host);
  for (VstInt32 index : {-1, 50, 51, 10000, INT_MIN, INT_MAX}) {
    for (float value : {0.5f, NAN, INFINITY, -INFINITY, 1e30f}) plugin.SetParameter(index, value);
    EXPECT_EQ(plugin.GetParameter(index), 0.0f) << index;
  }
  for (float value : {NAN, INFINITY, -INFINITY}) {
    plugin.SetParameter(7, value);
    EXPECT_TRUE(plugin.GetParameter(7) == 0.0f || plugin.GetParameter(7) == 1.0f);
  }
}

TEST_F(HostileInput, NullTextBuffersGetNothing) {
  LoadedPlugin plugin(host);
  for (VstInt32 op : {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
                      effGetEffectName, effGetVendorString, effGetProductString, effCanDo}) {
    plugin.Dispatch(op, 0, 0, nullptr);
  }
  EXPECT_EQ(plugin.Dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin.Dispatch(effGetOutputProperties, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin.Dispatch(effCanDo, 0, 0, nullptr), -1);
  EXPECT_EQ(plugin.Text(effGetProgramName), "Default");
}

TEST_F(HostileInput, MalformedEventListsAreSkipped) {
  LoadedPlugin plugin(host);
  EXPECT_EQ(plugin.Dispatch(effProcessEvents, 0, 0, nullptr), 1);
  VstEvents empty{};
  empty.numEvents = -5;
  EXPECT_EQ(plugin.Dispatch(effProcessEvents, 0, 0, &empty), 1);
  VstEvents holes{};
  holes.numEvents = 2;
  holes.events[0] = nullptr;
  holes.events[1] = nullptr;
  EXPECT_EQ(plugin.Dispatch(effProcessEvents, 0, 0, &holes), 1);
  VstEvent sysex{};
  sysex.type = kVstSysExType;
  holes.events[1] = &sysex;
  EXPECT_EQ(plugin.Dispatch(effProcessEvents, 0, 0, &holes), 1);
}

TEST_F(HostileInput, UnknownOpcodesAnswerZero) {
  LoadedPlugin plugin(host);
  for (VstInt32 op : {-1, 69, 70, 1000, INT_MAX, INT_MIN}) EXPECT_EQ(plugin.Dispatch(op, 1, 2, nullptr, 3.0f), 0) << op;
}

TEST_F(HostileInput, RenderingNothingOrANegativeCountWritesNothing) {
  LoadedPlugin plugin(host);
  float left[4] = {9, 9, 9, 9};
  float right[4] = {9, 9, 9, 9};
  float* outputs[2] = {left, right};
  plugin->processReplacing(plugin.Effect(), nullptr, outputs, 0);
  plugin->processReplacing(plugin.Effect(), nullptr, outputs, -10);
  plugin->process(plugin.Effect(), nullptr, outputs, INT_MIN);
  for (float s : left) EXPECT_EQ(s, 9.0f);
  plugin->processReplacing(plugin.Effect(), nullptr, nullptr, 4);
}

TEST_F(HostileInput, ClosingAFreshInstanceAnswersOne) {
  LoadedPlugin plugin(host);
  EXPECT_EQ(plugin.Close(), 1);
}

TEST_F(HostileInput, AbsurdSampleRatesLeaveTheEngineRenderingFiniteSamples) {
  LoadedPlugin plugin(host);
  for (float rate : {0.0f, -1.0f, NAN, INFINITY, 1e12f}) {
    plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    plugin.Dispatch(effSetBlockSizeAndSampleRate, 0, -4, nullptr, rate);
  }
  plugin.Dispatch(effSetProgram, 0, 3);
  plugin.SendMidi({{0x90, 60, 100}});
  auto out = plugin.Render(2048);
  for (float s : out[0]) ASSERT_TRUE(std::isfinite(s));
}

}  // namespace
