// An instrument with its editor bridge on an offscreen window system, as a
// host would see it, plus access to the window and its native stand-in.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "editor/plugin_editor_window.h"
#include "fixed_width_fonts.h"
#include "instrument/aplugin.h"
#include "instrument/aplugin_editor.h"
#include "platform/offscreen_window_system.h"
#include "support/fake_host.h"

inline void KeepBankExportsInTemp() {
  if (std::getenv("VYRTAL_BANK_EXPORT") == nullptr) setenv("VYRTAL_BANK_EXPORT", "/tmp/vyrtal_editor_test_bank.txt", 1);
}

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    KeepBankExportsInTemp();
    plugin = std::make_unique<APlugin>(FakeHost::Callback);
    auto ownedFonts = std::make_unique<FixedWidthFonts>();
    fonts = ownedFonts.get();
    auto ownedSystem = std::make_unique<OffscreenWindowSystem>(std::move(ownedFonts));
    system = ownedSystem.get();
    auto ownedBridge = std::make_unique<APluginEditor>(plugin.get(), std::move(ownedSystem));
    bridge = ownedBridge.get();
    plugin->setEditor(std::move(ownedBridge));
  }

  VstIntPtr Dispatch(VstInt32 opcode, void* ptr = nullptr) {
    AEffect* e = plugin->getAeffect();
    return e->dispatcher(e, opcode, 0, 0, ptr, 0.0f);
  }
  void Open() { ASSERT_EQ(Dispatch(effEditOpen, &parent), 1); }
  void Close() { Dispatch(effEditClose); }

  TPluginEditorWindow& Window() { return *bridge->Window(); }
  OffscreenWindow& Native() { return *system->Windows().front(); }
  Picture& Named(const char* name) { return *Window().PictureNamed(name); }

  // Pointer actions at a picture's own coordinates.
  void Press(const char* name, int x, int y, MouseButton b = MouseButton::Left, KeyModifiers m = {}) {
    Picture& p = Named(name);
    Native().Press(p.x + x, p.y + y, b, m);
  }
  void Move(const char* name, int x, int y) {
    Picture& p = Named(name);
    Native().Move(p.x + x, p.y + y);
  }
  void Release(const char* name, int x, int y, MouseButton b = MouseButton::Left) {
    Picture& p = Named(name);
    Native().Release(p.x + x, p.y + y, b);
  }

  // The value the host last heard of for an index, through audioMasterAutomate.
  bool LastAutomation(int index, float& value) const {
    bool found = false;
    for (const auto& [i, v] : host.Automations()) {
      if (i == index) {
        value = v;
        found = true;
      }
    }
    return found;
  }
  int AutomationCount() const { return static_cast<int>(host.Automations().size()); }

  std::string LastText() const { return fonts->rendered.empty() ? std::string() : fonts->rendered.back().text; }
  bool Rendered(const std::string& text) const {
    for (const auto& line : fonts->rendered) {
      if (line.text == text) return true;
    }
    return false;
  }

  FakeHost host;
  std::unique_ptr<APlugin> plugin;
  FixedWidthFonts* fonts = nullptr;
  OffscreenWindowSystem* system = nullptr;
  APluginEditor* bridge = nullptr;
  int parent = 0;
};
