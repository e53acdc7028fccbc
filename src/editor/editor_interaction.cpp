// Pointer handling of the editor window: drags on dials and sliders, hover
// captions, the type strip, the delay and chorus switches and the refresh.
#include <cmath>

#include "editor/plugin_editor_window.h"
#include "engine/numeric.h"
#include "engine/parameter_choices.h"

namespace {

float Clamp01(double x) {
  if (x < 0.0) return 0.0f;
  if (x > 1.0) return 1.0f;
  return static_cast<float>(x);
}

int Clamp(int x, int lo, int hi) { return x < lo ? lo : (x > hi ? hi : x); }

// The refresh looks at indices 0..40.
constexpr int kRefreshedSlots = 41;

}  // namespace

float TPluginEditorWindow::limit(double x) {
  if (x < 0.0 || std::isnan(x)) return 0.0f;
  if (x > 1.0) return 1.0f;
  return static_cast<float>(x);
}

void TPluginEditorWindow::setfvar(int index, float value) {
  Store(fvar, index, value);
  if (plugin != nullptr) plugin->setParameterAutomated(index, Value(index));
}

void TPluginEditorWindow::ChangedByDrag(int index) {
  if (plugin != nullptr) plugin->setParameterAutomated(index, Value(index));
  SetControl(index);
  SetLabel(index);
}

void TPluginEditorWindow::SetControlSelect(Picture& picture, MouseButton button, KeyModifiers shift, int x, int y) {
  if (picture.control == nullptr) return;
  if (picture.control->kind == ControlKind::Slider) {
    SetHSlider(ParamIndex(picture.control->param), x, button, shift);
  } else if (picture.control->kind == ControlKind::Dial) {
    SetDial(ParamIndex(picture.control->param), x, y, button, shift);
  }
}

void TPluginEditorWindow::Mousemove(Picture& picture, KeyModifiers, int x, int y) {
  if (picture.control == nullptr) return;
  if (picture.control->kind == ControlKind::Slider) {
    MoveHSlider(ParamIndex(picture.control->param), x);
  } else if (picture.control->kind == ControlKind::Dial) {
    MoveDial(ParamIndex(picture.control->param), x, y);
  }
}

void TPluginEditorWindow::MouseDown(Picture&, MouseButton, KeyModifiers, int, int) {
  dragmode = -1;
  dragging = 0;
}

void TPluginEditorWindow::SetHSlider(int index, int x, MouseButton button, KeyModifiers shift) {
  x = Clamp(x, 0, 100);
  dragmode = -1;
  dragging = 0;
  if (button == MouseButton::Left) {
    dragmode = 0;
    if (shift.shift) dragmode = 1;
  }
  if (dragmode == 0) {
    dragging = 1;
    Store(fvar, index, limit(x / 100.0));
    dragstart = Value(index);
    ChangedByDrag(index);
  } else if (dragmode == 1) {
    dragging = 1;
    dragstart = Value(index);
  }
}

void TPluginEditorWindow::SetDial(int index, int, int, MouseButton button, KeyModifiers shift) {
  if (button == MouseButton::Left && shift.shift && !shift.ctrl) dragmode = -1;
  if (button == MouseButton::Left && !shift.shift && !shift.ctrl) dragmode = 1;
  if (dragmode == -1) return;
  dragging = 1;
  dragstart = Value(index);
  SetControl(index);
  SetLabel(index);
}

void TPluginEditorWindow::MoveHSlider(int index, int x) {
  if (dragging == 0) {
    SetLabel(index);
    return;
  }
  if (dragmode == 0) {
    x = Clamp(x, 0, 100);
    Store(fvar, index, limit(x / 100.0));
  } else if (dragmode == 1) {
    Store(fvar, index, Clamp01(static_cast<double>(dragstart) + x / 1000.0));
  } else {
    return;
  }
  ChangedByDrag(index);
}

void TPluginEditorWindow::MoveDial(int index, int x, int y) {
  if (dragging == 0) {
    SetLabel(index);
    return;
  }
  if (dragmode == 1) {
    Store(fvar, index, Clamp01(static_cast<double>(dragstart) - (y - 15) / 300.0));
  } else if (dragmode == 0) {
    // The angle around (15, 15). Each step is worked out with the constants
    // as written and its result held as a single, which is what a and v are.
    float a = static_cast<float>(std::atan2(static_cast<double>(y - 15), static_cast<double>(x - 15)) - 1.570795);
    const std::int32_t n = FloorInt(static_cast<double>(a) / 6.28318);
    a = static_cast<float>(static_cast<double>(a) - n * 6.28318);
    const float old = Value(index);
    float v = static_cast<float>(static_cast<double>(a) / 6.28318);
    if (v < 0.0f) v = v + 1.0f;
    v = static_cast<float>(static_cast<double>(v) * 1.25);
    if (v > 1.0f) v = 0.0f;
    if (std::fabs(std::fabs(old) - std::fabs(v)) > 0.5f) v = old;
    Store(fvar, index, v);
  } else {
    return;
  }
  ChangedByDrag(index);
}

// Saw, square, noise, and back to saw.
void TPluginEditorWindow::ITypeMouseDown() {
  const int type = ParamIndex(Param::kOscType);
  const int next = static_cast<int>(ExcitationType(Value(type))) + 1;
  setfvar(type, ExcitationValue(next > 2 ? OscType::kSaw : static_cast<OscType>(next)));
  ShowType();
}

void TPluginEditorWindow::DelayLabelClick() { ToggleSwitch(Param::kDelaySwitch); }

void TPluginEditorWindow::IchorusMouseDown() { ToggleSwitch(Param::kChorusSwitch); }

// A press on a switch's strip reads the state as the whole part of
// value x 1.99 (which agrees with SwitchIsOn but for values from just above
// 0.5 to 0.5025, which it reads as off), flips it and stores 0.2512563 (off)
// or 0.75376886 (on).
void TPluginEditorWindow::ToggleSwitch(Param parameter) {
  const int index = ParamIndex(parameter);
  std::int32_t s = FloorInt(static_cast<double>(Value(index)) * 1.99) + 1;
  if (s > 1) s = 0;
  setfvar(index, static_cast<float>((s + 0.5) / 1.99));
  SetControl(index);
}

void TPluginEditorWindow::SetAll() {
  for (int i = 0; i < kRefreshedSlots; ++i) {
    const float v = Value(i);
    if (v != lastfvar[static_cast<std::size_t>(i)]) SetControl(i);
    lastfvar[static_cast<std::size_t>(i)] = v;
  }
}

void TPluginEditorWindow::Timer2Timer() { SetAll(); }
