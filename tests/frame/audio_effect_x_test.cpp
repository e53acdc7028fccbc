#include <gtest/gtest.h>

#include <memory>

#include "frame/test_effect.h"
#include "support/fake_host.h"

namespace {

// What the extended dispatcher answers when nothing overrides an operation.
struct DefaultAnswer {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  VstIntPtr answer;
};

constexpr DefaultAnswer kDefaults[] = {
    {effProcessEvents, 0, 0, 0},
    {effCanBeAutomated, 0, 0, 1},
    {effCanBeAutomated, 5000, 0, 1},
    {effCanBeAutomated, -3, 0, 1},
    {effString2Parameter, 0, 0, 0},
    {effGetNumProgramCategories, 0, 0, 1},
    {effGetProgramNameIndexed, 0, 0, 0},
    {effCopyProgram, 1, 0, 0},
    {effConnectInput, 0, 0, 1},
    {effConnectInput, 7, 1, 1},
    {effConnectOutput, 3, 0, 1},
    {effGetInputProperties, 0, 0, 0},
    {effGetOutputProperties, 0, 0, 0},
    {effGetPlugCategory, 0, 0, kPlugCategUnknown},
    {effGetCurrentPosition, 0, 0, 0},
    {effGetDestinationBuffer, 0, 0, 0},
    {effOfflineNotify, 0, 0, 0},
    {effOfflinePrepare, 0, 0, 0},
    {effOfflineRun, 0, 0, 0},
    {effProcessVarIo, 0, 0, 0},
    {effSetSpeakerArrangement, 0, 0, 0},
    {effSetBypass, 0, 1, 0},
    {effGetEffectName, 0, 0, 0},
    {effGetErrorText, 0, 0, 0},
    {effGetVendorString, 0, 0, 0},
    {effGetProductString, 0, 0, 0},
    {effGetVendorVersion, 0, 0, 0},
    {effVendorSpecific, 0, 0, 0},
    {effCanDo, 0, 0, 0},
    {effGetTailSize, 0, 0, 0},
    {effIdle, 0, 0, 0},
    {effGetIcon, 0, 0, 0},
    {effSetViewPosition, 0, 0, 0},
    {effGetParameterProperties, 0, 0, 0},
    {effKeysRequired, 0, 0, 1},
    {effGetVstVersion, 0, 0, 2200},
    {effEditKeyDown, 0, 0, 0},
    {effEditKeyUp, 0, 0, 0},
    {effSetEditKnobMode, 0, 0, 0},
    {effGetMidiProgramName, 0, 0, 0},
    {effGetCurrentMidiProgram, 0, 0, -1},
    {effGetMidiProgramCategory, 0, 0, 0},
    {effHasMidiProgramsChanged, 0, 0, 0},
    {effGetMidiKeyName, 0, 0, 0},
    {effBeginSetProgram, 0, 0, 0},
    {effEndSetProgram, 0, 0, 0},
    {69, 0, 0, 0},
    {1000, 0, 0, 0},
    {-1, 0, 0, 0},
};

TEST(AudioEffectX, UnoverriddenOperationsGiveTheDefaultAnswers) {
  TestEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  char buffer[256] = {};
  for (const DefaultAnswer& d : kDefaults) {
    EXPECT_EQ(e->dispatcher(e, d.opcode, d.index, d.value, buffer, 0.0f), d.answer) << "opcode " << d.opcode;
  }
}

TEST(AudioEffectX, PlugCategoryFollowsTheSynthFlag) {
  TestEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  effect.isSynth(true);
  EXPECT_EQ(e->dispatcher(e, effGetPlugCategory, 0, 0, nullptr, 0.0f), kPlugCategSynth);
  EXPECT_EQ(e->flags, effFlagsIsSynth);
  effect.isSynth(false);
  EXPECT_EQ(e->dispatcher(e, effGetPlugCategory, 0, 0, nullptr, 0.0f), kPlugCategUnknown);
}

TEST(AudioEffectX, FlagOperationsSetTheirOwnBits) {
  TestEffect effect(nullptr);
  effect.noTail(true);
  effect.wantAsyncOperation(true);
  effect.hasExternalBuffer(true);
  EXPECT_EQ(effect.getAeffect()->flags, effFlagsNoSoundInStop | effFlagsExtIsAsync | effFlagsExtHasBuffer);
  effect.wantAsyncOperation(false);
  EXPECT_EQ(effect.getAeffect()->flags, effFlagsNoSoundInStop | effFlagsExtHasBuffer);
}

TEST(AudioEffectX, BlockSizeAndSampleRateAreStoredTogether) {
  FakeHost host;
  TestEffect effect(FakeHost::Callback);
  AEffect* e = effect.getAeffect();
  EXPECT_EQ(e->dispatcher(e, effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
  EXPECT_DOUBLE_EQ(effect.updateSampleRate(), 48000.0);
  EXPECT_EQ(effect.updateBlockSize(), 512);
  EXPECT_EQ(host.Calls(audioMasterGetSampleRate), 1);
  EXPECT_EQ(host.Calls(audioMasterGetBlockSize), 1);
}

TEST(AudioEffectX, UpdateOperationsWithoutAHostReturnTheStoredFields) {
  TestEffect effect(nullptr);
  EXPECT_DOUBLE_EQ(effect.updateSampleRate(), 44100.0);
  EXPECT_EQ(effect.updateBlockSize(), 1024);
}

TEST(AudioEffectX, KeyOpcodesReachTheEditorBase) {
  TestEffect effect(nullptr);
  effect.setEditor(std::make_unique<TestEditor>(&effect));
  AEffect* e = effect.getAeffect();
  EXPECT_EQ(e->dispatcher(e, effEditKeyDown, 'a', 0x141, nullptr, 2.6f), -1);
  EXPECT_EQ(e->dispatcher(e, effEditKeyUp, 'a', 0, nullptr, 0.0f), -1);
  EXPECT_EQ(e->dispatcher(e, effSetEditKnobMode, 0, 2, nullptr, 0.0f), 0);
}

TEST(AudioEffectX, HostCallsCarryTheirArguments) {
  FakeHost host;
  TestEffect effect(FakeHost::Callback);
  host.tempoAtAnswer = 1234567;
  EXPECT_EQ(effect.tempoAt(0), 1234567);
  effect.wantEvents(1);
  EXPECT_EQ(host.Calls(audioMasterWantMidi), 1);
  EXPECT_EQ(effect.getTimeInfo(kVstTempoValid), nullptr);
  host.timeInfoAvailable = true;
  EXPECT_EQ(effect.getTimeInfo(kVstTempoValid), &host.timeInfo);
  EXPECT_FALSE(effect.openFileSelector(nullptr));
  EXPECT_EQ(host.Calls(audioMasterOpenFileSelector), 0);
}

TEST(AudioEffectX, WrappersWithoutAHostAnswerZeroOrFalse) {
  TestEffect effect(nullptr);
  EXPECT_EQ(effect.tempoAt(0), 0);
  EXPECT_EQ(effect.getTimeInfo(0), nullptr);
  EXPECT_FALSE(effect.ioChanged());
  EXPECT_FALSE(effect.needIdle());
  EXPECT_FALSE(effect.sizeWindow(10, 10));
  EXPECT_EQ(effect.getPreviousPlug(0), nullptr);
  EXPECT_EQ(effect.getDirectory(), nullptr);
  EXPECT_EQ(effect.canHostDo(nullptr), 0);
  EXPECT_EQ(effect.offlineGetCurrentPass(), 0);
  EXPECT_FLOAT_EQ(effect.getChannelParameter(0, 0), 0.0f);
}

}  // namespace
