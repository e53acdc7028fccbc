// MIDI through the host's interface: controllers move their parameters and
// the current program, other messages change no parameter.
#include <gtest/gtest.h>

#include "support/loaded_plugin.h"

namespace {

class PluginMidi : public ::testing::Test {
 protected:
  ScopedExportFile exportFile;
  FakeHost host;
};

TEST_F(PluginMidi, ControllersDriveTheirParameters) {
  const struct {
    int controller, parameter;
  } map[] = {{83, 2},  {84, 7},  {85, 12}, {86, 8},  {87, 9},
             {88, 10}, {89, 11}, {90, 20}, {91, 29}, {92, 30}};
  LoadedPlugin plugin(host);
  for (const auto& m : map) {
    EXPECT_EQ(plugin.SendMidi({{0xB0, static_cast<unsigned char>(m.controller), 127}}), 1);
    EXPECT_EQ(plugin.GetParameter(m.parameter), 1.0f) << m.controller;
    plugin.SendMidi({{0xB5, static_cast<unsigned char>(m.controller), 0}});  // any channel
    EXPECT_EQ(plugin.GetParameter(m.parameter), 0.0f) << m.controller;
    plugin.SendMidi({{0xBF, static_cast<unsigned char>(m.controller), 64}});
    EXPECT_FLOAT_EQ(plugin.GetParameter(m.parameter), 64.0f / 127.0f) << m.controller;
  }
  // The controller edited the current program: away and back keeps it.
  plugin.Dispatch(effSetProgram, 0, 1);
  plugin.Dispatch(effSetProgram, 0, 0);
  EXPECT_FLOAT_EQ(plugin.GetParameter(7), 64.0f / 127.0f);
  // The host is not told of controller changes.
  EXPECT_TRUE(host.Automations().empty());
}

TEST_F(PluginMidi, UnmappedMessagesLeaveParametersAlone) {
  LoadedPlugin plugin(host);
  std::vector<float> before;
  for (int i = 0; i < 50; ++i) before.push_back(plugin.GetParameter(i));
  plugin.SendMidi({{0xB0, 93, 100}, {0xB0, 126, 100}, {0xC0, 5, 0}, {0xE0, 0, 127}, {0xD0, 90, 0},
                   {0xA0, 60, 90}, {0xF8, 0, 0}});
  for (int i = 0; i < 50; ++i) EXPECT_EQ(plugin.GetParameter(i), before[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(plugin.Dispatch(effGetProgram), 0) << "a program change message does not select a program";
}

}  // namespace
