// The editor as a host reaches it: through the loaded plug-in's effect
// record only.
#include <gtest/gtest.h>

#include "support/loaded_plugin.h"

namespace {

// Fonts come from fontconfig, which keeps process-wide caches that live as
// long as the library stays loaded. Keeping the plug-in (and with it
// fontconfig) resident for the whole run lets the leak checker see those
// caches as reachable, as they are in a host that keeps its plug-ins.
const bool kPluginResident = dlopen(VYRTAL_SO_PATH, RTLD_NOW | RTLD_NODELETE) != nullptr;

// These tests keep the editor in memory; the real windows are tested under
// a virtual X server elsewhere.
const bool kOffscreenEditors = setenv("VYRTAL_EDITOR_WINDOWS", "offscreen", 1) == 0;

class EditorBoundary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(kPluginResident && kOffscreenEditors); }

  ScopedExportFile exportFile;
  FakeHost host;
  LoadedPlugin plugin{host};
};

TEST_F(EditorBoundary, FlagsAnnounceTheEditor) {
  ASSERT_NE(plugin.Effect(), nullptr);
  EXPECT_EQ(plugin->flags, 0x119);
}

TEST_F(EditorBoundary, RectangleBeforeOpen) {
  ERect* rect = nullptr;
  EXPECT_EQ(plugin.Dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right, 665);
  EXPECT_EQ(rect->bottom, 518);
}

TEST_F(EditorBoundary, OpenWithoutAParentAnswersZero) {
  EXPECT_EQ(plugin.Dispatch(effEditOpen, 0, 0, nullptr), 0);
  ERect* rect = nullptr;
  plugin.Dispatch(effEditGetRect, 0, 0, &rect);
  EXPECT_EQ(rect->right, 665);
  EXPECT_EQ(plugin.Dispatch(effEditClose), 0);
}

TEST_F(EditorBoundary, OpenIdleCloseAndCloseTheInstanceWhileOpen) {
  int parent = 0;
  ASSERT_EQ(plugin.Dispatch(effEditOpen, 0, 0, &parent), 1);
  ERect* rect = nullptr;
  EXPECT_EQ(plugin.Dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 463);
  EXPECT_EQ(rect->bottom, 325);
  EXPECT_EQ(plugin.Dispatch(effEditIdle), 0);
  plugin.SetParameter(9, 0.5f);
  plugin.SendMidi({{0xB0, 83, 64}});
  EXPECT_EQ(plugin.Dispatch(effEditClose), 0);
  ASSERT_EQ(plugin.Dispatch(effEditOpen, 0, 0, &parent), 1);
  plugin.Close();  // the editor is still open
}

}  // namespace
