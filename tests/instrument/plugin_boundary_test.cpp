// The plug-in as a host sees it: loaded with dlopen, reached only through
// the exported entry point and the effect record.
#include <gtest/gtest.h>

#include "engine/parameter_table.h"
#include "support/loaded_plugin.h"

namespace {

class PluginBoundary : public ::testing::Test {
 protected:
  ScopedExportFile exportFile;
  FakeHost host;
};

TEST_F(PluginBoundary, BothEntryPointsBuildAnInstance) {
  for (const char* entry : {"VSTPluginMain", "main"}) {
    LoadedPlugin plugin(host, entry);
    ASSERT_NE(plugin.Effect(), nullptr) << entry;
    EXPECT_EQ(plugin->magic, FourCharCode('V', 's', 't', 'P'));
  }
}

TEST_F(PluginBoundary, AHostAnsweringVersionZeroGetsNoInstance) {
  host.version = 0;
  LoadedPlugin plugin(host);
  EXPECT_EQ(plugin.Effect(), nullptr);
}

TEST_F(PluginBoundary, RecordDescribesTheInstrument) {
  LoadedPlugin plugin(host);
  ASSERT_NE(plugin.Effect(), nullptr);
  EXPECT_EQ(plugin->numPrograms, 16);
  EXPECT_EQ(plugin->numParams, 50);
  EXPECT_EQ(plugin->numInputs, 2);
  EXPECT_EQ(plugin->numOutputs, 2);
  EXPECT_EQ(plugin->flags & ~effFlagsHasEditor, effFlagsCanMono | effFlagsCanReplacing | effFlagsIsSynth);
  EXPECT_EQ(plugin->uniqueID, FourCharCode('V', 'y', 'r', 's'));
  EXPECT_EQ(plugin->version, 1);
  EXPECT_EQ(plugin->initialDelay, 0);
  EXPECT_FLOAT_EQ(plugin->ioRatio, 1.0f);
  EXPECT_EQ(plugin.Dispatch(effGetPlugCategory), kPlugCategSynth);
}

TEST_F(PluginBoundary, IdentityStringsAndCapabilities) {
  LoadedPlugin plugin(host);
  EXPECT_EQ(plugin.Text(effGetEffectName), "Vyrtal");
  EXPECT_EQ(plugin.Text(effGetVendorString), "TollarinFx");
  EXPECT_EQ(plugin.Text(effGetProductString), "Vyrtal");
  EXPECT_EQ(plugin.Dispatch(effGetVendorVersion), 1);
  EXPECT_EQ(plugin.Dispatch(effGetVstVersion), 2200);
  EXPECT_EQ(plugin.Dispatch(effGetVu), 0);
  const struct {
    const char* text;
    VstIntPtr answer;
  } canDo[] = {{"receiveVstEvents", 1}, {"receiveVstMidiEvent", 1}, {"ReceiveVstMidiEvent", -1},
               {"sendVstEvents", -1},   {"", -1},                 {"receiveVstEvents ", -1}};
  for (const auto& c : canDo) {
    EXPECT_EQ(plugin.Dispatch(effCanDo, 0, 0, const_cast<char*>(c.text)), c.answer) << c.text;
  }
}

TEST_F(PluginBoundary, EveryParameterHasItsNameAndAnEmptyLabel) {
  const char* expected[kNumParams] = {
      "Attack", "Decay", "Vowel", "Pitch Inertia", "Vowel Inertia", "", "Release", "Volume", "Vib Amount",
      "Vib Speed", "Trem Amount", "Trem Speed", "Vowel Pitch", "", "", "", "Band Width", "Wah Amount",
      "Wah Speed", "", "Delay Length", "Delay Feed", "Delay Filter", "Delay Mix", "Chorus Length",
      "Chorus Width", "Chorus Speed", "Chorus Feed", "", "Filter Freq", "Filter Q", "Filter Envelope",
      "Filter Release"};
  LoadedPlugin plugin(host);
  for (int i = 0; i < kNumParams; ++i) {
    EXPECT_EQ(plugin.Text(effGetParamName, i), i < 33 ? expected[i] : "") << i;
    EXPECT_EQ(plugin.Text(effGetParamLabel, i), "") << i;
  }
  for (int i : {-1, 50, 51, 10000}) EXPECT_EQ(plugin.Text(effGetParamName, i), "") << i;
}

TEST_F(PluginBoundary, ParametersAreClampedAndStoredInTheCurrentProgram) {
  LoadedPlugin plugin(host);
  plugin.Dispatch(effSetProgram, 0, 4);
  const struct {
    float in, out;
  } cases[] = {{1.5f, 1.0f}, {-0.2f, 0.0f}, {0.25f, 0.25f}, {std::numeric_limits<float>::quiet_NaN(), 0.0f},
               {std::numeric_limits<float>::infinity(), 1.0f}, {-std::numeric_limits<float>::infinity(), 0.0f}};
  for (const auto& c : cases) {
    plugin.SetParameter(7, c.in);
    EXPECT_EQ(plugin.GetParameter(7), c.out) << c.in;
  }
  plugin.SetParameter(49, 0.7f);
  EXPECT_FLOAT_EQ(plugin.GetParameter(49), 0.7f);
  EXPECT_EQ(plugin.GetParameter(50), 0.0f);
  // The program holds the edit: away and back brings it again.
  plugin.SetParameter(7, 0.125f);
  plugin.Dispatch(effSetProgram, 0, 5);
  EXPECT_FLOAT_EQ(plugin.GetParameter(7), 0.8f);
  plugin.Dispatch(effSetProgram, 0, 4);
  EXPECT_FLOAT_EQ(plugin.GetParameter(7), 0.125f);
}

TEST_F(PluginBoundary, OutputPinsAreLabelledAndStereo) {
  LoadedPlugin plugin(host);
  for (int pin = 0; pin < 2; ++pin) {
    VstPinProperties properties{};
    properties.arrangementType = 77;
    EXPECT_EQ(plugin.Dispatch(effGetOutputProperties, pin, 0, &properties), 1);
    EXPECT_EQ(std::string(properties.label), "Vyrtal " + std::to_string(pin + 1));
    EXPECT_EQ(properties.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(properties.arrangementType, 77);
  }
  VstPinProperties properties{};
  EXPECT_EQ(plugin.Dispatch(effGetOutputProperties, 2, 0, &properties), 0);
  EXPECT_EQ(properties.label[0], '\0');
  EXPECT_EQ(plugin.Dispatch(effGetInputProperties, 0, 0, &properties), 0);
}

TEST_F(PluginBoundary, ResumeAsksForMidi) {
  LoadedPlugin plugin(host);
  host.ClearRecords();
  plugin.Dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(host.Calls(audioMasterWantMidi), 1);
}

TEST_F(PluginBoundary, ConstructionWritesTheFactoryBankExport) {
  LoadedPlugin plugin(host);
  EXPECT_EQ(ReadFile(exportFile.path), ReadFile(VYRTAL_GOLDEN_DIR "/factory_bank.txt"));
}

TEST_F(PluginBoundary, ExportTriggerWritesTheBankAndReturnsToZero) {
  LoadedPlugin plugin(host);
  plugin.Dispatch(effSetProgram, 0, 7);
  std::remove(exportFile.path.c_str());
  plugin.SetParameter(33, 0.9f);
  EXPECT_FALSE(std::ifstream(exportFile.path).good()) << "exactly 0.9 does not export";
  plugin.SetParameter(33, 0.95f);
  EXPECT_EQ(plugin.GetParameter(33), 0.0f);
  const std::string text = ReadFile(exportFile.path);
  EXPECT_NE(text.find("Programs[7].fvar[33]:=0.949999988079071;\r\n"), std::string::npos);
  EXPECT_NE(text.find("Programs[0].fvar[33]:=1;\r\n"), std::string::npos);
  // Selecting another factory program writes nothing; program 0 rewrites it.
  std::remove(exportFile.path.c_str());
  plugin.Dispatch(effSetProgram, 0, 3);
  EXPECT_FALSE(std::ifstream(exportFile.path).good());
  plugin.Dispatch(effSetProgram, 0, 0);
  EXPECT_TRUE(std::ifstream(exportFile.path).good());
  EXPECT_EQ(plugin.GetParameter(33), 0.0f);
}

TEST_F(PluginBoundary, ExportKeepsNamesWithSpacesAndFollowsTheLocaleSeparator) {
  LoadedPlugin plugin(host);
  char name[] = "My Bass Sound";
  plugin.Dispatch(effSetProgram, 0, 2);
  plugin.Dispatch(effSetProgramName, 0, 0, name);
  plugin.SetParameter(33, 1.0f);
  EXPECT_NE(ReadFile(exportFile.path).find("StrCopy(programs[2].name,pchar(%My Bass Sound%)\r\n"),
            std::string::npos);
}

TEST_F(PluginBoundary, AnUnwritableExportPathFailsSilently) {
  setenv("VYRTAL_BANK_EXPORT", "/proc/vyrtal-no-such-folder/demo1.txt", 1);
  LoadedPlugin plugin(host);
  ASSERT_NE(plugin.Effect(), nullptr);
  plugin.SetParameter(33, 1.0f);
  EXPECT_EQ(plugin.GetParameter(33), 0.0f);
}

}  // namespace
