// Programs through the host's interface: the factory bank read back,
// selection, names and what a program change resets.
#include <gtest/gtest.h>

#include "instrument/factory_programs.h"
#include "support/loaded_plugin.h"

namespace {

class PluginPrograms : public ::testing::Test {
 protected:
  ScopedExportFile exportFile;
  FakeHost host;
};

constexpr const char* kNames[16] = {"Default",  "WideSpace",  "VowelBass", "Waher",     "Tremo",  "Dubby",
                                    "SingingKettle", "SWind", "Wobblish",  "GhostChoir", "Vpluck", "SmallMice",
                                    "Chirpings", "Gibber",   "Vyrsh",     "AUUI"};

TEST_F(PluginPrograms, AfterConstructionProgramZeroIsCurrent) {
  LoadedPlugin plugin(host);
  EXPECT_EQ(plugin.Dispatch(effGetProgram), 0);
  EXPECT_EQ(plugin.Text(effGetProgramName), "Default");
  for (int p = 0; p < 16; ++p) EXPECT_EQ(plugin.ProgramNameIndexed(p), kNames[p]) << p;
  char buffer[64] = "untouched";
  EXPECT_EQ(plugin.Dispatch(effGetProgramNameIndexed, 16, 0, buffer), 0);
  EXPECT_EQ(plugin.Dispatch(effGetProgramNameIndexed, -1, 0, buffer), 0);
  EXPECT_STREQ(buffer, "untouched");
  // The values after construction are those of "Default".
  const float defaults[][2] = {{0, 0.0f},  {1, 1.0f},  {3, 0.2f},  {6, 0.5f},  {7, 0.8f},
                               {12, 0.5f}, {20, 0.5f}, {22, 1.0f}, {29, 1.0f}, {33, 0.0f}};
  for (const auto& d : defaults) EXPECT_EQ(plugin.GetParameter(static_cast<int>(d[0])), d[1]) << d[0];
}

TEST_F(PluginPrograms, EveryFactoryProgramReadsBackValueByValue) {
  LoadedPlugin plugin(host);
  for (int p = 0; p < 16; ++p) {
    plugin.Dispatch(effSetProgram, 0, p);
    EXPECT_EQ(plugin.Text(effGetProgramName), kNames[p]);
    for (int i = 0; i < 50; ++i) {
      const float stored = kFactoryPrograms[static_cast<std::size_t>(p)].values[static_cast<std::size_t>(i)];
      EXPECT_EQ(plugin.GetParameter(i), i == 33 ? 0.0f : stored) << "program " << p << " value " << i;
    }
  }
}

TEST_F(PluginPrograms, FactoryTableHoldsTheDesignedValues) {
  // Spot values across both halves of the bank, as the sound designer wrote them.
  const struct {
    int program, index;
    float value;
  } spots[] = {{3, 0, 0.39f},         {3, 17, 0.63f},        {6, 14, 0.6688963f},  {9, 14, 0.33444816f},
               {1, 19, 0.75376886f},  {2, 19, 0.2512563f},   {7, 20, 0.033333335f}, {12, 18, 0.66333336f},
               {15, 18, 0.51000005f}, {15, 15, 1.0f},        {13, 8, 0.84000003f}, {14, 31, 0.68333334f},
               {8, 1, 0.9066667f},    {10, 16, 0.11666667f}, {0, 33, 1.0f},        {11, 6, 0.19666667f}};
  for (const auto& s : spots) {
    EXPECT_EQ(kFactoryPrograms[static_cast<std::size_t>(s.program)].values[static_cast<std::size_t>(s.index)],
              s.value)
        << s.program << "/" << s.index;
  }
  for (const FactoryProgram& program : kFactoryPrograms) {
    for (int unused : {5, 13, 34, 40, 49}) EXPECT_EQ(program.values[static_cast<std::size_t>(unused)], 0.0f);
  }
}

TEST_F(PluginPrograms, OutOfRangeSelectionsChangeNothing) {
  LoadedPlugin plugin(host);
  plugin.Dispatch(effSetProgram, 0, 3);
  for (VstIntPtr bad : {VstIntPtr{16}, VstIntPtr{-1}, VstIntPtr{1000}, VstIntPtr{INT32_MIN}}) {
    plugin.Dispatch(effSetProgram, 0, bad);
    EXPECT_EQ(plugin.Dispatch(effGetProgram), 3) << bad;
    EXPECT_FLOAT_EQ(plugin.GetParameter(0), 0.39f);
  }
}

TEST_F(PluginPrograms, RenameTouchesOnlyTheCurrentProgram) {
  LoadedPlugin plugin(host);
  plugin.Dispatch(effSetProgram, 0, 2);
  char bass[] = "Bass";
  plugin.Dispatch(effSetProgramName, 0, 0, bass);
  EXPECT_EQ(plugin.ProgramNameIndexed(2), "Bass");
  EXPECT_EQ(plugin.Text(effGetProgramName), "Bass");
  EXPECT_EQ(plugin.ProgramNameIndexed(1), "WideSpace");
  EXPECT_EQ(plugin.ProgramNameIndexed(3), "Waher");
}

TEST_F(PluginPrograms, LongNamesAreCutAtSixtyCharacters) {
  LoadedPlugin plugin(host);
  std::string longName(100, 'x');
  plugin.Dispatch(effSetProgramName, 0, 0, longName.data());
  EXPECT_EQ(plugin.Text(effGetProgramName), std::string(60, 'x'));
}

TEST_F(PluginPrograms, ProgramChangeRefreshesTheEngineSampleRate) {
  LoadedPlugin plugin(host);
  host.ClearRecords();
  plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  plugin.Dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(host.Calls(audioMasterGetSampleRate), 1);
  plugin.Dispatch(effSetProgram, 0, 99);  // refused, yet the rate is asked for
  EXPECT_EQ(host.Calls(audioMasterGetSampleRate), 1) << "the frame refuses 99 before the instrument sees it";
}

}  // namespace
