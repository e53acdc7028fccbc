// The LV2 UI entry: the descriptor hosts find through lv2ui_descriptor, and
// the static C functions it names, each a thin trampoline onto the editor.
// Every one of them takes a null handle as nothing to do, and nothing
// thrown inside reaches the host.
#include <lv2/ui/ui.h>

#include <cstring>

#include "lv2/lv2_editor.h"
#include "lv2/plugin_uris.h"
#include "platform/default_window_system.h"
#include "platform/window_system.h"

namespace {

using vyrtal::lv2::Lv2Editor;
using vyrtal::lv2::UiHost;

Lv2Editor* EditorOf(LV2UI_Handle handle) { return static_cast<Lv2Editor*>(handle); }

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
  try {
    auto editor = Lv2Editor::Create(UiHost::From(write, controller, features), MakeDefaultWindowSystem());
    if (!editor) return nullptr;
    if (widget != nullptr) *widget = editor->Widget();
    return editor.release();
  } catch (...) {
    return nullptr;
  }
}

void Cleanup(LV2UI_Handle handle) { delete EditorOf(handle); }

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  Lv2Editor* editor = EditorOf(handle);
  if (editor == nullptr) return;
  try {
    editor->PortEvent(port, size, format, buffer);
  } catch (...) {
  }
}

// Nonzero tells the host that the UI is gone: only a handle that never was.
int Idle(LV2UI_Handle handle) {
  Lv2Editor* editor = EditorOf(handle);
  if (editor == nullptr) return 1;
  try {
    return editor->Idle();
  } catch (...) {
    return 0;
  }
}

constexpr LV2UI_Idle_Interface kIdleInterface{Idle};

const void* ExtensionData(const char* uri) {
  if (uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
  return nullptr;
}

constexpr LV2UI_Descriptor kDescriptor{vyrtal::lv2::kUiUri, Instantiate, Cleanup, PortEvent, ExtensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
