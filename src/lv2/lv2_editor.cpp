#include "lv2/lv2_editor.h"

#include <cstring>

#include "editor/plugin_editor_window.h"
#include "engine/parameter_table.h"
#include "instrument/factory_programs.h"
#include "lv2/control_ports.h"
#include "lv2/features.h"
#include "platform/window_system.h"

namespace vyrtal::lv2 {

namespace {

// Port writes and port events carry a control port's value as one float.
constexpr std::uint32_t kFloatProtocol = 0;

}  // namespace

UiHost UiHost::From(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features) {
  UiHost host;
  host.write = write;
  host.controller = controller;
  host.parent = FeatureData(features, LV2_UI__parent);
  host.resize = static_cast<const LV2UI_Resize*>(FeatureData(features, LV2_UI__resize));
  return host;
}

std::unique_ptr<Lv2Editor> Lv2Editor::Create(const UiHost& host, std::unique_ptr<WindowSystem> system) {
  if (host.parent == nullptr || !system) return nullptr;
  std::unique_ptr<Lv2Editor> editor(new Lv2Editor(host, std::move(system)));
  if (!editor->window) return nullptr;
  return editor;
}

Lv2Editor::Lv2Editor(const UiHost& host, std::unique_ptr<WindowSystem> system) : host(host), system(std::move(system)) {
  // Until the host tells the ports' values the window shows those of a
  // fresh instance, the "Default" program's.
  const FactoryProgram& defaults = kFactoryPrograms[0];
  for (int i = 0; i < kNumParams; ++i) Store(fvar, i, defaults.values[static_cast<std::size_t>(i)]);
  window = TPluginEditorWindow::Create(*this->system, host.parent, fvar);
  if (!window) return;
  NativeWindow& native = window->Native();
  native.SetBounds(0, 0, window->ClientWidth(), window->ClientHeight());
  window->plugin = this;
  native.Show();
  window->SetAll();
  native.PaintPending();
  // The size never changes; hosts that can be told it are told once.
  if (host.resize != nullptr && host.resize->ui_resize != nullptr) {
    host.resize->ui_resize(host.resize->handle, window->ClientWidth(), window->ClientHeight());
  }
}

// The window goes first (members are destroyed in reverse order), so no
// event reaches it while the mirror or the window system it uses go.
Lv2Editor::~Lv2Editor() = default;

LV2UI_Widget Lv2Editor::Widget() const { return window ? window->Native().Handle() : nullptr; }

void Lv2Editor::PortEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer) {
  if (format != kFloatProtocol || size != sizeof(float) || buffer == nullptr) return;
  if (port < kFirstControlPort || port >= kNumPorts) return;
  const ControlPort& control = kControlPorts[port - kFirstControlPort];
  float portValue = 0.0f;
  std::memcpy(&portValue, buffer, sizeof portValue);
  Store(fvar, control.parameter, StoredValue(ParameterValue(control.range, portValue)));
  // The refresh redraws the dials, sliders and lamps; the type strip shows
  // the type it was last drawn with, so a new type is drawn here.
  if (kParameters[static_cast<std::size_t>(control.parameter)].kind == ParamKind::kExcitationType && window) {
    window->ShowType();
  }
}

int Lv2Editor::Idle() {
  if (window) window->Native().Idle();
  return 0;
}

void Lv2Editor::setParameterAutomated(int index, float value) {
  const int position = ControlPortOf(index);
  if (position < 0 || host.write == nullptr) return;
  const ControlPort& control = kControlPorts[static_cast<std::size_t>(position)];
  const float portValue = PortValue(control.range, value);
  host.write(host.controller, kFirstControlPort + static_cast<std::uint32_t>(position), sizeof portValue, kFloatProtocol,
             &portValue);
}

}  // namespace vyrtal::lv2
