#include "instrument/aplugin_editor.h"

#include <cstdint>

#include "editor/plugin_editor_window.h"
#include "instrument/aplugin.h"
#include "platform/default_window_system.h"

APluginEditor::APluginEditor(APlugin* plugin) : APluginEditor(plugin, nullptr) {}

APluginEditor::APluginEditor(APlugin* plugin, std::unique_ptr<WindowSystem> system)
    : AEffEditor(plugin), plugin(plugin), system(std::move(system)) {
  for (auto& v : fvar) v.store(0.0f, std::memory_order_relaxed);
}

APluginEditor::~APluginEditor() {
  if (window) {
    windowLive.store(false);
    plugin->editorClosed.store(1);
    window.reset();
    parentWindow = nullptr;
  }
}

VstInt32 APluginEditor::getRect(ERect** out) {
  rect.top = 0;
  rect.left = 0;
  if (window) {
    rect.bottom = static_cast<std::int16_t>(window->ClientHeight());
    rect.right = static_cast<std::int16_t>(window->ClientWidth());
  } else {
    rect.bottom = kDefaultHeight;
    rect.right = kDefaultWidth;
  }
  if (out != nullptr) *out = &rect;
  return 1;
}

void APluginEditor::CopyValues() {
  const ParamArray& param = plugin->Params();
  for (int i = 0; i < kNumParamSlots; ++i) Store(fvar, i, ReadParam(param, i));
}

VstInt32 APluginEditor::open(void* ptr) {
  parentWindow = ptr;
  ++openCount;
  if (openCount == 1 || !window) {
    if (!system) system = MakeDefaultWindowSystem();
    // From here on changes reach the copy; it is filled before the window
    // exists so that the window's first picture shows the current values.
    windowLive.store(true);
    CopyValues();
    window = TPluginEditorWindow::Create(*system, parentWindow, fvar);
    if (!window) {
      // No window could be made: undo this open entirely.
      windowLive.store(false);
      --openCount;
      if (openCount < 0) openCount = 0;
      parentWindow = nullptr;
      return 0;
    }
    window->Native().SetBounds(0, 0, window->ClientWidth(), window->ClientHeight());
    window->plugin = this;
  }
  plugin->editorClosed.store(0);
  window->Native().PaintPending();
  window->Native().Show();
  window->SetAll();
  return 1;
}

void APluginEditor::close() {
  if (window) window->Native().Hide();
  --openCount;
  if (openCount < 0) openCount = 0;
  if (openCount == 0) {
    plugin->editorClosed.store(1);
    windowLive.store(false);
    window.reset();
    parentWindow = nullptr;
  }
}

// Refreshing the controls is the window's own timer's work.
void APluginEditor::idle() {
  if (window) window->Native().Idle();
}

void APluginEditor::update() {
  if (plugin->editorClosed.load() == 0 && windowLive.load()) CopyValues();
}

void APluginEditor::setParameterAutomated(int index, float value) { plugin->setParameterAutomated(index, value); }
