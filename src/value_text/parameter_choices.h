// Parameters that choose rather than measure: the excitation type, the
// whole part of value x 2.99 (0 saw, 1 square, 2 noise), and the delay and
// chorus switches, on above 0.5.
#pragma once

#include <cstdint>

#include "engine/numeric.h"

// The excitation type a value (0..1) selects: 0, 1 or 2.
inline std::int32_t ExcitationType(float v) {
  const std::int32_t type = FloorInt(static_cast<double>(v) * 2.99);
  if (type < 0) return 0;
  return type > 2 ? 2 : type;
}

inline bool SwitchIsOn(float v) { return v > 0.5f; }
