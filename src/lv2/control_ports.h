// The plug-in's ports: the event input (MIDI and the host's transport), two
// audio inputs, two audio outputs, then one control input for each
// parameter that shapes the sound, as the parameter table names them.
// Parameters that drive nothing and the bank export's trigger have no port.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "engine/parameter_choices.h"
#include "engine/parameter_table.h"

namespace vyrtal::lv2 {

enum class PortIndex : std::uint32_t { kEvents = 0, kInput1, kInput2, kOutput1, kOutput2, kFirstControl };

// How a host is to offer a control.
enum class ControlRange { kContinuous, kEnumeration, kToggle };

struct ControlPort {
  int parameter;
  std::string_view symbol;  // the port's lasting identity in sessions and presets
  ControlRange range;
};

// How a host is to offer a parameter of that kind.
constexpr ControlRange RangeOf(ParamKind kind) {
  if (kind == ParamKind::kExcitationType) return ControlRange::kEnumeration;
  return kind == ParamKind::kSwitch ? ControlRange::kToggle : ControlRange::kContinuous;
}

// A port for each parameter with a port symbol, in parameter order.
constexpr std::size_t kNumControlPorts = static_cast<std::size_t>(
    std::count_if(kParameters.begin(), kParameters.end(), [](const ParameterInfo& p) { return !p.portSymbol.empty(); }));

constexpr std::array<ControlPort, kNumControlPorts> kControlPorts = [] {
  std::array<ControlPort, kNumControlPorts> ports{};
  std::size_t next = 0;
  for (int i = 0; i < kNumParams; ++i) {
    const ParameterInfo& p = kParameters[static_cast<std::size_t>(i)];
    if (!p.portSymbol.empty()) ports[next++] = {i, p.portSymbol, RangeOf(p.kind)};
  }
  return ports;
}();

constexpr std::uint32_t kFirstControlPort = static_cast<std::uint32_t>(PortIndex::kFirstControl);
constexpr std::uint32_t kNumPorts = kFirstControlPort + static_cast<std::uint32_t>(kControlPorts.size());

// Where a parameter's port sits among the control ports; -1 when it has none.
constexpr int ControlPortOf(int parameter) {
  for (std::size_t i = 0; i < kControlPorts.size(); ++i) {
    if (kControlPorts[i].parameter == parameter) return static_cast<int>(i);
  }
  return -1;
}

// A control port's value as the instrument's parameter takes it: an LV2
// toggle is on above 0.
constexpr float ParameterValue(ControlRange range, float portValue) {
  if (range != ControlRange::kToggle) return portValue;
  return portValue > 0.0f ? 1.0f : 0.0f;
}

// A parameter's value as its control port shows it.
constexpr float PortValue(ControlRange range, float parameterValue) {
  if (range != ControlRange::kToggle) return parameterValue;
  return SwitchIsOn(parameterValue) ? 1.0f : 0.0f;
}

}  // namespace vyrtal::lv2
