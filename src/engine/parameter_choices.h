// Parameters that choose rather than measure: the excitation type, the
// whole part of value x 2.99 (0 saw, 1 square, 2 noise), and the delay and
// chorus switches, on above 0.5. The engine, the editor, the value texts and
// the LV2 ports all read these values through the functions here.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/numeric.h"
#include "engine/osc_type.h"

constexpr double kExcitationSteps = 2.99;
constexpr std::array<std::string_view, 3> kExcitationNames{"Saw", "Sqr", "Noise"};

// The excitation type a value (0..1) selects.
inline OscType ExcitationType(float value) {
  const std::int32_t type = FloorInt(static_cast<double>(value) * kExcitationSteps);
  if (type < 0) return OscType::kSaw;
  return type > 2 ? OscType::kNoise : static_cast<OscType>(type);
}

// The value that stands for a type: t / 2.99, so 0, 0.33444816 and 0.6688963.
constexpr float ExcitationValue(OscType type) {
  return static_cast<float>(static_cast<double>(static_cast<int>(type)) / kExcitationSteps);
}

constexpr bool SwitchIsOn(float value) { return value > 0.5f; }
