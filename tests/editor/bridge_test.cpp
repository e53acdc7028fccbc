// The editor bridge as the host drives it through the effect record.
#include <gtest/gtest.h>

#include "editor_fixture.h"

namespace {

class BridgeTest : public EditorFixture {};

TEST_F(BridgeTest, InstrumentAnnouncesItsEditor) {
  KeepBankExportsInTemp();
  APlugin fresh(FakeHost::Callback);
  EXPECT_EQ(fresh.getAeffect()->flags, 0x119);
  EXPECT_NE(fresh.getEditor(), nullptr);
}

TEST_F(BridgeTest, RectangleBeforeAndAfterOpen) {
  ERect* rect = nullptr;
  EXPECT_EQ(Dispatch(effEditGetRect, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 518);
  EXPECT_EQ(rect->right, 665);
  Open();
  rect = nullptr;
  EXPECT_EQ(Dispatch(effEditGetRect, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->bottom, 325);
  EXPECT_EQ(rect->right, 463);
}

TEST_F(BridgeTest, OpenPlacesShowsAndFillsTheWindow) {
  plugin->setParameter(3, 0.123f);
  Open();
  ASSERT_NE(bridge->Window(), nullptr);
  EXPECT_EQ(bridge->OpenCount(), 1);
  EXPECT_EQ(bridge->ParentWindow(), &parent);
  EXPECT_EQ(Native().Parent(), &parent);
  EXPECT_TRUE(Native().Visible());
  EXPECT_EQ(Native().Left(), 0);
  EXPECT_EQ(Native().Top(), 0);
  EXPECT_EQ(Native().ClientWidth(), 463);
  EXPECT_EQ(Native().ClientHeight(), 325);
  EXPECT_EQ(Native().TimerInterval(), 200);
  EXPECT_EQ(plugin->editorClosed.load(), 0);
  EXPECT_EQ(Window().plugin, static_cast<EditedPlugin*>(bridge));
  for (int i = 0; i < kNumParamSlots; ++i) {
    EXPECT_EQ(Load(Window().fvar, i), ReadParam(plugin->Params(), i)) << i;
    EXPECT_EQ(Window().lastfvar[static_cast<std::size_t>(i)], i <= 40 ? Load(Window().fvar, i) : -1.0f) << i;
  }
}

TEST_F(BridgeTest, FreshWindowShowsTheTitleLine) {
  Open();
  EXPECT_TRUE(Rendered("Vyr :: TLRX2004"));
  EXPECT_TRUE(Rendered("Main "));
  EXPECT_TRUE(Rendered("Chorus Effects"));
  EXPECT_TRUE(Rendered("Lowpass Filter "));
}

TEST_F(BridgeTest, TypeStripShowsTheCurrentTypeFromTheFirstFrame) {
  plugin->setParameter(14, 0.5f);
  Open();
  EXPECT_TRUE(Rendered("Type: Sqr"));
  EXPECT_FALSE(Rendered("Type: Saw"));
  Close();
  plugin->setParameter(14, 1.0f);
  Open();
  EXPECT_TRUE(Rendered("Type: Noise"));
}

TEST_F(BridgeTest, OpenCountingKeepsOneWindow) {
  Open();
  Open();
  EXPECT_EQ(bridge->OpenCount(), 2);
  EXPECT_EQ(system->CreatedCount(), 1);
  TPluginEditorWindow* first = bridge->Window();
  Close();
  EXPECT_EQ(bridge->OpenCount(), 1);
  ASSERT_EQ(bridge->Window(), first);
  EXPECT_FALSE(Native().Visible());
  EXPECT_EQ(plugin->editorClosed.load(), 0);
  Open();
  EXPECT_EQ(bridge->Window(), first);
  EXPECT_TRUE(Native().Visible());
  EXPECT_EQ(system->CreatedCount(), 1);
  Close();
  EXPECT_NE(bridge->Window(), nullptr);
  Close();
  EXPECT_EQ(bridge->Window(), nullptr);
  EXPECT_EQ(bridge->OpenCount(), 0);
  EXPECT_EQ(bridge->ParentWindow(), nullptr);
  EXPECT_TRUE(system->Windows().empty());
  EXPECT_EQ(plugin->editorClosed.load(), 1);
}

TEST_F(BridgeTest, SecondOpenDoesNotMoveTheWindow) {
  Open();
  int otherParent = 0;
  EXPECT_EQ(Dispatch(effEditOpen, &otherParent), 1);
  EXPECT_EQ(Native().Parent(), &parent);
}

TEST_F(BridgeTest, CloseWithoutOpen) {
  Close();
  EXPECT_EQ(bridge->OpenCount(), 0);
  EXPECT_EQ(plugin->editorClosed.load(), 1);
  Close();
  EXPECT_EQ(bridge->OpenCount(), 0);
}

TEST_F(BridgeTest, UpdateAfterCloseTouchesNothing) {
  Open();
  Close();
  const float before = Load(bridge->Mirror(), 5);
  plugin->setParameter(5, before == 0.5f ? 0.25f : 0.5f);
  EXPECT_EQ(Load(bridge->Mirror(), 5), before);
  EXPECT_TRUE(system->Windows().empty());
}

TEST_F(BridgeTest, UpdateBeforeOpenDoesNothing) {
  plugin->setParameter(5, 0.75f);
  EXPECT_EQ(Load(bridge->Mirror(), 5), 0.0f);
}

TEST_F(BridgeTest, UpdateWhileOpenCopiesEveryValue) {
  Open();
  plugin->setParameter(22, 0.66f);
  EXPECT_EQ(Load(Window().fvar, 22), 0.66f);
  AEffect* e = plugin->getAeffect();
  e->dispatcher(e, effSetProgram, 0, 3, nullptr, 0.0f);
  for (int i = 0; i < kNumParamSlots; ++i) EXPECT_EQ(Load(Window().fvar, i), ReadParam(plugin->Params(), i)) << i;
}

TEST_F(BridgeTest, IdleAndKeysAnswerTheBaseValues) {
  Open();
  EXPECT_EQ(Dispatch(effEditIdle), 0);
  VstKeyCode key{};
  EXPECT_EQ(bridge->onKeyDown(key), -1);
  EXPECT_EQ(bridge->onKeyUp(key), -1);
  EXPECT_EQ(bridge->setKnobMode(1), 0);
  EXPECT_FALSE(bridge->onWheel(1.0f));
}

TEST_F(BridgeTest, RefusedWindowLeavesNothingHalfMade) {
  system->RefuseWindows(true);
  EXPECT_EQ(Dispatch(effEditOpen, &parent), 0);
  EXPECT_EQ(bridge->Window(), nullptr);
  EXPECT_EQ(bridge->OpenCount(), 0);
  EXPECT_EQ(bridge->ParentWindow(), nullptr);
  EXPECT_TRUE(system->Windows().empty());
  ERect* rect = nullptr;
  Dispatch(effEditGetRect, &rect);
  EXPECT_EQ(rect->right, 665);
  plugin->setParameter(5, 0.5f);
  EXPECT_EQ(Load(bridge->Mirror(), 5), 0.0f);
  // A later open that succeeds starts from scratch.
  system->RefuseWindows(false);
  Open();
  EXPECT_EQ(bridge->OpenCount(), 1);
  Close();
  EXPECT_EQ(bridge->Window(), nullptr);
}

TEST_F(BridgeTest, NoParentMeansNoWindow) {
  EXPECT_EQ(Dispatch(effEditOpen, nullptr), 0);
  EXPECT_EQ(bridge->OpenCount(), 0);
}

TEST_F(BridgeTest, DestroyingTheBridgeWhileOpenDestroysTheWindow) {
  auto ownedSystem = std::make_unique<OffscreenWindowSystem>(std::make_unique<FixedWidthFonts>());
  OffscreenWindowSystem* other = ownedSystem.get();
  {
    // Keep the system alive past the bridge by owning it through the bridge
    // and checking before it goes.
    auto standalone = std::make_unique<APluginEditor>(plugin.get(), std::move(ownedSystem));
    ASSERT_EQ(standalone->open(&parent), 1);
    EXPECT_EQ(other->Windows().size(), 1u);
    standalone.reset();
  }
  EXPECT_EQ(plugin->editorClosed.load(), 1);
}

TEST_F(BridgeTest, DestroyingTheEffectWhileOpen) {
  Open();
  plugin.reset();  // must neither crash nor leak (checked under the sanitizers)
  SUCCEED();
}

}  // namespace
