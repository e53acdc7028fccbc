// The live parameter values: written by the host, the editor and MIDI from
// several threads, read by the sound engine at its control tick. Each value
// is one lock-free atomic float; relaxed order is all that is needed since
// every value stands alone.
#pragma once

#include <array>
#include <atomic>

// Slots 0..49 are the host's parameters; slot 50 is carried along and is 0.
constexpr int kNumParamSlots = 51;

using ParamArray = std::array<std::atomic<float>, kNumParamSlots>;

inline float ReadParam(const ParamArray& param, int index) {
  return param[static_cast<std::size_t>(index)].load(std::memory_order_relaxed);
}
