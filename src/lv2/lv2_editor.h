// The editor as an LV2 UI: the same editor window the VST 2 bridge opens,
// made as a child of the host's X11 window and pumped by the host's idle
// calls. It is the plug-in the window edits: each change made in it goes to
// the host as a write of the float value to the parameter's control port,
// which hosts record as automation; the host's port values (automation,
// presets, the values after instantiation) fill the window's mirror.
//
// It reaches the plug-in only through the host's port protocol, so it works
// the same in hosts that keep the plug-in in another process.
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

#include "editor/edited_plugin.h"
#include "editor/param_mirror.h"

class TPluginEditorWindow;
class WindowSystem;

namespace vyrtal::lv2 {

// What instantiate is given, the host's features picked out.
struct UiHost {
  LV2UI_Write_Function write = nullptr;
  LV2UI_Controller controller = nullptr;
  void* parent = nullptr;                  // ui:parent, the host's X11 window
  const LV2UI_Resize* resize = nullptr;    // ui:resize, when offered
  static UiHost From(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features);
};

class Lv2Editor : public EditedPlugin {
 public:
  // Null without a parent window, or when the window cannot be made (no
  // display, a parent that is not a window).
  static std::unique_ptr<Lv2Editor> Create(const UiHost& host, std::unique_ptr<WindowSystem> system);
  ~Lv2Editor() override;

  Lv2Editor(const Lv2Editor&) = delete;
  Lv2Editor& operator=(const Lv2Editor&) = delete;

  // The editor's own window, for the host to embed.
  LV2UI_Widget Widget() const;
  // A port's new value; anything but a float written to a control port is
  // passed over.
  void PortEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
  // The editor's work (X events, the refresh, painting); 0, the window stays.
  int Idle();

  // EditedPlugin: a change made in the window.
  void setParameterAutomated(int index, float value) override;

 private:
  Lv2Editor(const UiHost& host, std::unique_ptr<WindowSystem> system);

  UiHost host;
  ParamMirror fvar{};
  std::unique_ptr<WindowSystem> system;
  std::unique_ptr<TPluginEditorWindow> window;
};

}  // namespace vyrtal::lv2
