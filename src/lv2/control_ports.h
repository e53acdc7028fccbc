// The plug-in's ports: the event input (MIDI and the host's transport), two
// audio inputs, two audio outputs, then one control input for each
// parameter that shapes the sound. Parameters 5 and 13 drive nothing and 33
// triggers the bank export, so they have no port.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vyrtal::lv2 {

enum class PortIndex : std::uint32_t { kEvents = 0, kInput1, kInput2, kOutput1, kOutput2, kFirstControl };

// How a host is to offer a control.
enum class ControlRange { kContinuous, kEnumeration, kToggle };

struct ControlPort {
  int parameter;
  std::string_view symbol;  // the port's lasting identity in sessions and presets
  ControlRange range;
};

constexpr std::array<ControlPort, 31> kControlPorts{{
    {0, "attack", ControlRange::kContinuous},
    {1, "decay", ControlRange::kContinuous},
    {2, "vowel", ControlRange::kContinuous},
    {3, "pitch_inertia", ControlRange::kContinuous},
    {4, "vowel_inertia", ControlRange::kContinuous},
    {6, "release", ControlRange::kContinuous},
    {7, "volume", ControlRange::kContinuous},
    {8, "vib_amount", ControlRange::kContinuous},
    {9, "vib_speed", ControlRange::kContinuous},
    {10, "trem_amount", ControlRange::kContinuous},
    {11, "trem_speed", ControlRange::kContinuous},
    {12, "vowel_pitch", ControlRange::kContinuous},
    {14, "type", ControlRange::kEnumeration},
    {15, "stereo", ControlRange::kContinuous},
    {16, "band_width", ControlRange::kContinuous},
    {17, "wah_amount", ControlRange::kContinuous},
    {18, "wah_speed", ControlRange::kContinuous},
    {19, "delay", ControlRange::kToggle},
    {20, "delay_length", ControlRange::kContinuous},
    {21, "delay_feed", ControlRange::kContinuous},
    {22, "delay_filter", ControlRange::kContinuous},
    {23, "delay_mix", ControlRange::kContinuous},
    {24, "chorus_length", ControlRange::kContinuous},
    {25, "chorus_width", ControlRange::kContinuous},
    {26, "chorus_speed", ControlRange::kContinuous},
    {27, "chorus_feed", ControlRange::kContinuous},
    {28, "chorus", ControlRange::kToggle},
    {29, "filter_freq", ControlRange::kContinuous},
    {30, "filter_q", ControlRange::kContinuous},
    {31, "filter_envelope", ControlRange::kContinuous},
    {32, "filter_release", ControlRange::kContinuous},
}};

constexpr std::uint32_t kFirstControlPort = static_cast<std::uint32_t>(PortIndex::kFirstControl);
constexpr std::uint32_t kNumPorts = kFirstControlPort + static_cast<std::uint32_t>(kControlPorts.size());

// The instrument's switches are on above 0.5; an LV2 toggle is on above 0.
constexpr float kSwitchOnAbove = 0.5f;

// A control port's value as the instrument's parameter takes it.
constexpr float ParameterValue(ControlRange range, float portValue) {
  if (range != ControlRange::kToggle) return portValue;
  return portValue > 0.0f ? 1.0f : 0.0f;
}

// A parameter's value as its control port shows it.
constexpr float PortValue(ControlRange range, float parameterValue) {
  if (range != ControlRange::kToggle) return parameterValue;
  return parameterValue > kSwitchOnAbove ? 1.0f : 0.0f;
}

}  // namespace vyrtal::lv2
