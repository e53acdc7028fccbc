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

  // The rings unrolled into a shift register, for loops that step the
  // section through changing ring positions with its history in registers:
  // the inputs and outputs one, two and three samples back from ring
  // position `position`, that of the last sample done.
  struct Taps {
    float x1, x2, x3, y1, y2, y3;
  };
  Taps TapsAt(int position) const {
    const auto one = static_cast<std::size_t>(position), two = (one + 2) % 3, three = (one + 1) % 3;
    return {in_[one], in_[two], in_[three], out_[one], out_[two], out_[three]};
  }
  void StoreTaps(const Taps& t, int position) {
    const auto one = static_cast<std::size_t>(position), two = (one + 2) % 3, three = (one + 1) % 3;
    in_[one] = t.x1, in_[two] = t.x2, in_[three] = t.x3;
    out_[one] = t.y1, out_[two] = t.y2, out_[three] = t.y3;
  }
  // One sample of a configured section, as Process computes it.
  float Step(float x, Taps& t) const {
    const float y = b0_ * x + b1_ * t.x1 + b2_ * t.x2 - a1_ * t.y1 - a2_ * t.y2 + kDenormalGuard;
    t = {x, t.x1, t.x2, y, t.y1, t.y2};
    return y;
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

 private:
  float b0_, b1_, b2_, a1_, a2_;
  std::array<float, 3> in_;
  std::array<float, 3> out_;
  bool configured_;
};
