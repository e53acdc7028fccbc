// The editor's copy of the instrument's parameter values. It is written by
// whichever thread changes a value and read by the window's thread, so each
// slot is a lock-free atomic float.
#pragma once

#include <array>
#include <atomic>

#include "engine/param_array.h"

using ParamMirror = std::array<std::atomic<float>, kNumParamSlots>;

inline float Load(const ParamMirror& mirror, int index) {
  return mirror[static_cast<std::size_t>(index)].load(std::memory_order_relaxed);
}
inline void Store(ParamMirror& mirror, int index, float value) {
  mirror[static_cast<std::size_t>(index)].store(value, std::memory_order_relaxed);
}
