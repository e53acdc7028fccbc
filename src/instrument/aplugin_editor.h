// The editor bridge: answers the host's editor requests by creating,
// showing, hiding and destroying the editor window inside the host's
// window, keeps the window's copy of the parameter values in step, and is
// the plug-in the window edits, passing its changes on to the instrument.
//
// The value copy lives here, not in the window: `update` may run on the
// audio thread while the user-interface thread destroys the window, so it
// touches only this object's atomics, which live as long as the bridge.
#pragma once

#include <atomic>
#include <memory>

#include "editor/edited_plugin.h"
#include "editor/param_mirror.h"
#include "frame/aeff_editor.h"

class APlugin;
class TPluginEditorWindow;
class WindowSystem;

class APluginEditor : public AEffEditor, public EditedPlugin {
 public:
  static constexpr short kDefaultWidth = 665;
  static constexpr short kDefaultHeight = 518;

  // With the build's own window system, made when the editor first opens.
  explicit APluginEditor(APlugin* plugin);
  // With a given window system (tests, offscreen rendering).
  APluginEditor(APlugin* plugin, std::unique_ptr<WindowSystem> system);
  ~APluginEditor() override;

  VstInt32 getRect(ERect** rect) override;
  VstInt32 open(void* ptr) override;
  void close() override;
  void idle() override;
  void update() override;

  // EditedPlugin: a change made in the window.
  void setParameterAutomated(int index, float value) override;

  // State, for the window's owner and tests.
  TPluginEditorWindow* Window() const { return window.get(); }
  int OpenCount() const { return openCount; }
  void* ParentWindow() const { return parentWindow; }
  const ParamMirror& Mirror() const { return fvar; }

 private:
  void CopyValues();

  APlugin* plugin;
  ERect rect{};
  int openCount = 0;
  ParamMirror fvar{};
  std::atomic<bool> windowLive{false};  // whether `update` should copy
  std::unique_ptr<WindowSystem> system;
  std::unique_ptr<TPluginEditorWindow> window;
  void* parentWindow = nullptr;
};
