// Resonant second-order low-pass: the last stage of every voice and the
// filter in the delay's feedback path. Its sample rings follow the shared
// history position (history_slots.h).
#pragma once

#include <array>
#include <cmath>

#include "engine/history_slots.h"
#include "engine/numeric.h"

class LowpassSection {
 public:
  void Init() {
    b0_ = b1_ = b2_ = a1_ = a2_ = 0.0f;
    ClearHistory();
    configured_ = false;
  }

  void ClearHistory() {
    in_.fill(0.0f);
    out_.fill(0.0f);
  }

  bool configured() const { return configured_; }

  // Designs the section for a requested cutoff (Hz) and resonance (0..1).
  void Configure(float cutoff, float resonance, float sampleRate) {
    double f = static_cast<double>(cutoff) + 1.0;
    double q = static_cast<double>(resonance) + 0.001;
    if (q > 0.999) q = 0.999;  // keeps the damping above zero: always stable
    // Highest cutoff 0.4 x rate: the bilinear warp is steep beyond that.
    if (f > 0.4 * sampleRate) f = 0.4 * sampleRate;
    if (f < 20.0) f = 20.0;
    const double w = f / sampleRate + 1e-15;
    // 0.005 bounds k at the bottom of the range.
    const double k = std::cos(3.14159 * w) / (std::sin(3.14159 * w) + 0.005);
    // sqrt(8) |1 - q|: damping 2.83 at q = 0, sqrt(2) at 0.5, near 0 at 0.999.
    const double r = std::sqrt(8.0) * std::fabs(1.0 - q);
    const double a = 1.0 / (r * k + 1.001 + k * k);
    b0_ = static_cast<float>(a + 1e-15);
    b1_ = static_cast<float>(2.0 * a + 1e-15);
    b2_ = static_cast<float>(a + 1e-15);
    a1_ = static_cast<float>(2.0 * (1.0 - k * k) * a + 1e-15);
    a2_ = static_cast<float>((1.0 - r * k + k * k) * a + 1e-15);
    configured_ = true;
  }

  // One sample; until its first configuration the section passes its input.
  float Process(float x, const HistorySlots& h) {
    if (!configured_) return x + kDenormalGuard;
    in_[h.current] = x;
    const float y = b0_ * x + b1_ * in_[h.oneBack] + b2_ * in_[h.twoBack] -
                    a1_ * out_[h.oneBack] - a2_ * out_[h.twoBack] + kDenormalGuard;
    out_[h.current] = y;
    return y;
  }

  // The same at ring position kPos, known when compiled, so that a copy of
  // the section held in a loop keeps its rings in registers.
  template <int kPos>
  float ProcessAt(float x) {
    constexpr int kOne = (kPos + 2) % 3, kTwo = (kPos + 1) % 3;
    if (!configured_) return x + kDenormalGuard;
    in_[kPos] = x;
    const float y = b0_ * x + b1_ * in_[kOne] + b2_ * in_[kTwo] - a1_ * out_[kOne] - a2_ * out_[kTwo] + kDenormalGuard;
    out_[kPos] = y;
    return y;
  }

 private:
  float b0_, b1_, b2_, a1_, a2_;
  std::array<float, 3> in_;
  std::array<float, 3> out_;
  bool configured_;
};
