#include "editor/editor_screenshot.h"

#include <memory>

#include "editor/plugin_editor_window.h"
#include "platform/offscreen_window_system.h"
#include "platform/png_writer.h"

PixelImage ComposeEditorPicture(std::span<const float> values) {
  OffscreenWindowSystem system;
  ParamMirror fvar{};
  for (int i = 0; i < kNumParamSlots; ++i) {
    Store(fvar, i, static_cast<std::size_t>(i) < values.size() ? values[static_cast<std::size_t>(i)] : 0.0f);
  }
  int parent = 0;  // any non-empty parent will do offscreen
  auto window = TPluginEditorWindow::Create(system, &parent, fvar);
  if (!window) return {};
  window->Native().Show();
  window->SetAll();
  window->Native().PaintPending();
  return system.Windows().front()->Screen();
}

bool WriteEditorScreenshot(std::span<const float> values, const std::string& path) {
  const PixelImage picture = ComposeEditorPicture(values);
  return picture.Width() > 0 && WritePng(picture, path);
}
