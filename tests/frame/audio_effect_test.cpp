#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "frame/test_effect.h"
#include "support/fake_host.h"

namespace {

TEST(AudioEffect, FreshRecordHoldsTheFrameDefaults) {
  TestEffect effect(nullptr, 3, 7);
  const AEffect* e = effect.getAeffect();
  EXPECT_EQ(e->magic, FourCharCode('V', 's', 't', 'P'));
  EXPECT_EQ(e->numPrograms, 3);
  EXPECT_EQ(e->numParams, 7);
  EXPECT_EQ(e->numInputs, 1);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, 0);
  EXPECT_EQ(e->uniqueID, 0x4E6F4566);
  EXPECT_EQ(e->version, 1);
  EXPECT_FLOAT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->object, &effect);
  EXPECT_EQ(e->user, nullptr);
  for (char c : e->future) EXPECT_EQ(c, 0);
  EXPECT_FLOAT_EQ(effect.sampleRate, 44100.0f);
  EXPECT_EQ(effect.blockSize, 1024);
  EXPECT_EQ(effect.getProgram(), 0);
}

TEST(AudioEffect, FourCharCodePacksFirstCharacterHighest) {
  EXPECT_EQ(FourCharCode('V', 'y', 'r', 's'), 0x56797273);
  EXPECT_EQ(FourCharCode('\xff', 0, 0, 1), static_cast<std::int32_t>(0xFF000001u));
}

TEST(AudioEffect, IdentifyAnswersNvEfWhateverTheArguments) {
  TestEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  EXPECT_EQ(e->dispatcher(e, effIdentify, 0, 0, nullptr, 0.0f), 0x4E764566);
  EXPECT_EQ(e->dispatcher(e, effIdentify, 99, -5, e, 3.0f), 0x4E764566);
}

TEST(AudioEffect, SetProgramPassesOnlyValuesBelowTheProgramCount) {
  TestEffect effect(nullptr, 16);
  AEffect* e = effect.getAeffect();
  e->dispatcher(e, effSetProgram, 0, 16, nullptr, 0.0f);
  EXPECT_EQ(effect.lastProgram, -100);
  e->dispatcher(e, effSetProgram, 0, 15, nullptr, 0.0f);
  EXPECT_EQ(effect.lastProgram, 15);
  EXPECT_EQ(e->dispatcher(e, effGetProgram, 0, 0, nullptr, 0.0f), 15);
  // Negative values reach the effect, which checks its own range.
  e->dispatcher(e, effSetProgram, 0, -1, nullptr, 0.0f);
  EXPECT_EQ(effect.lastProgram, -1);
  // A negative value too large for 32 bits stays negative: its low bits
  // alone would name program 3.
  if constexpr (sizeof(VstIntPtr) > 4) {
    const VstIntPtr farBelow = static_cast<VstIntPtr>(-(static_cast<long long>(1) << 32)) + 3;
    e->dispatcher(e, effSetProgram, 0, farBelow, nullptr, 0.0f);
    EXPECT_LT(effect.lastProgram, 0);
    EXPECT_EQ(effect.getProgram(), effect.lastProgram);
  }
}

TEST(AudioEffect, VuIsScaledTo32767AndRounded) {
  TestEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  const struct {
    float level;
    VstIntPtr answer;
  } cases[] = {{0.0f, 0}, {1.0f, 32767}, {0.5f, 16384}, {0.25f, 8192}};
  for (const auto& c : cases) {
    effect.vu = c.level;
    EXPECT_EQ(e->dispatcher(e, effGetVu, 0, 0, nullptr, 0.0f), c.answer) << c.level;
  }
}

TEST(AudioEffect, MainsChangedSuspendsOnlyForZero) {
  TestEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  e->dispatcher(e, effMainsChanged, 0, 2, nullptr, 0.0f);
  EXPECT_EQ(effect.resumes, 1);
  EXPECT_EQ(effect.suspends, 0);
  e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(effect.suspends, 1);
}

TEST(AudioEffect, EditorOpcodesWithoutAnEditorAnswerZero) {
  TestEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  ERect* rect = nullptr;
  for (VstInt32 op : {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditDraw, effEditMouse,
                      effEditKey, effEditTop, effEditSleep}) {
    EXPECT_EQ(e->dispatcher(e, op, 0, 0, &rect, 0.0f), 0) << op;
  }
  EXPECT_EQ(rect, nullptr);
}

TEST(AudioEffect, SetEditorTogglesOnlyTheEditorBit) {
  TestEffect effect(nullptr);
  effect.canMono(true);
  effect.setEditor(std::make_unique<TestEditor>(&effect));
  EXPECT_EQ(effect.getAeffect()->flags, effFlagsHasEditor | effFlagsCanMono);
  effect.setEditor(nullptr);
  EXPECT_EQ(effect.getAeffect()->flags, effFlagsCanMono);
}

TEST(AudioEffect, FlagSettersTouchOnlyTheirOwnBit) {
  TestEffect effect(nullptr);
  const struct {
    void (AudioEffect::*set)(bool);
    VstInt32 bit;
  } setters[] = {{&AudioEffect::hasVu, effFlagsHasVu},
                 {&AudioEffect::hasClip, effFlagsHasClip},
                 {&AudioEffect::canMono, effFlagsCanMono},
                 {&AudioEffect::canProcessReplacing, effFlagsCanReplacing},
                 {&AudioEffect::programsAreChunks, effFlagsProgramChunks}};
  for (const auto& s : setters) {
    effect.getAeffect()->flags = 0x7FFF;
    (effect.*s.set)(false);
    EXPECT_EQ(effect.getAeffect()->flags, 0x7FFF & ~s.bit);
    effect.getAeffect()->flags = 0;
    (effect.*s.set)(true);
    EXPECT_EQ(effect.getAeffect()->flags, s.bit);
  }
}

TEST(AudioEffect, CloseCallsCloseDestroysTheObjectAndAnswersOne) {
  bool effectGone = false;
  bool editorGone = false;
  auto* effect = new TestEffect(nullptr, 16, 50, &effectGone);
  effect->setEditor(std::make_unique<TestEditor>(effect, &editorGone));
  AEffect* e = effect->getAeffect();
  EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
  EXPECT_TRUE(effectGone);
  EXPECT_TRUE(editorGone);
}

TEST(AudioEffect, EditorOpenAndIdleReachTheEditor) {
  TestEffect effect(nullptr);
  auto editor = std::make_unique<TestEditor>(&effect);
  TestEditor* raw = editor.get();
  effect.setEditor(std::move(editor));
  AEffect* e = effect.getAeffect();
  int parent = 0;
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, &parent, 0.0f), 0);  // the base answers 0
  EXPECT_EQ(raw->System(), &parent);
  raw->postUpdate();
  EXPECT_EQ(raw->Flag(), 1);
  e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(raw->Flag(), 0);
  EXPECT_EQ(raw->updates, 1);
}

TEST(AudioEffect, HostWrappersWithoutAHostAnswerTheirDefaults) {
  TestEffect effect(nullptr);
  EXPECT_EQ(effect.getMasterVersion(), 1);
  EXPECT_EQ(effect.getCurrentUniqueId(), 0);
  EXPECT_TRUE(effect.isInputConnected(0));
  EXPECT_TRUE(effect.isOutputConnected(1));
  effect.setParameterAutomated(3, 0.5f);  // nothing to tell, nothing breaks
}

TEST(AudioEffect, HostWrappersPassTheHostsAnswers) {
  FakeHost host;
  TestEffect effect(FakeHost::Callback);
  EXPECT_EQ(effect.getMasterVersion(), 2400);
  host.version = 0;
  EXPECT_EQ(effect.getMasterVersion(), 1);
  effect.setParameterAutomated(7, 0.25f);
  ASSERT_EQ(host.Automations().size(), 1u);
  EXPECT_EQ(host.Automations()[0].first, 7);
  EXPECT_FLOAT_EQ(host.Automations()[0].second, 0.25f);
  EXPECT_TRUE(effect.isInputConnected(0));  // the host answered 0
}

TEST(AudioEffect, UnusableSampleRatesAndBlockSizesAreIgnored) {
  TestEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  for (float rate : {0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN(),
                     std::numeric_limits<float>::infinity(), 5.0e7f}) {
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_FLOAT_EQ(effect.sampleRate, 44100.0f) << rate;
  }
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  EXPECT_FLOAT_EQ(effect.sampleRate, 48000.0f);
  e->dispatcher(e, effSetBlockSize, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(effect.blockSize, 1024);
  e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0.0f);
  EXPECT_EQ(effect.blockSize, 256);
}

TEST(AudioEffect, EntryPointsIgnoreARecordWithoutObject) {
  TestEffect effect(nullptr);
  AEffect copy = *effect.getAeffect();
  copy.object = nullptr;
  EXPECT_EQ(copy.dispatcher(&copy, effIdentify, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(copy.getParameter(&copy, 0), 0.0f);
  copy.setParameter(&copy, 0, 1.0f);
  EXPECT_EQ(copy.dispatcher(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
}

}  // namespace
