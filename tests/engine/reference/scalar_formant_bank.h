// The scalar formant bank the engine's voice lanes must match: four
// band-pass resonators in parallel, tuned to the formants of a vowel. All
// four share one band width (K and A); each has its own centre.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "engine/formant_width.h"
#include "engine/history_slots.h"
#include "engine/numeric.h"
#include "engine/tables.h"

class FormantBank {
 public:
  // A section whose output leaves this range is taken as runaway and cleared.
  static constexpr float kRunawayLevel = 32.0f;

  void Init() {
    for (Section& s : sections_) s = Section{};
  }

  void ClearHistory() {
    for (Section& s : sections_) {
      s.in.fill(0.0f);
      s.out.fill(0.0f);
    }
  }

  // position: 0..3 on the cyclic vowel axis; scale multiplies the table
  // frequencies. A centre above half the rate folds back through the cosine.
  void Configure(float position, float scale, const FormantWidth& width, float sampleRate) {
    // 4.999 rather than 5: a position of exactly 1 lands just before vowel 0.
    const double d = 4.999 * position;
    const std::int32_t e = FloorInt(d);
    const double f = d - e;
    const std::size_t row0 = Wrap(e);
    const std::size_t row1 = Wrap(static_cast<std::int64_t>(e) + 1);
    const float b0 = width.a + kDenormalGuard;
    const float b2 = -width.a + kDenormalGuard;
    const float a2 = static_cast<float>((static_cast<double>(width.k) - 1.0) * width.a + 1e-15);
    for (int i = 0; i < kNumFormants; ++i) {
      const double freq = (1.0 - f) * kFormantTable[row0][static_cast<std::size_t>(i)] +
                          f * kFormantTable[row1][static_cast<std::size_t>(i)];
      const double w = static_cast<double>(scale) * freq / sampleRate;
      const double c = 2.0 * std::cos(6.28318 * w) + 1e-15;
      Section& s = sections_[static_cast<std::size_t>(i)];
      s.b0 = b0;
      s.b1 = kDenormalGuard;
      s.b2 = b2;
      s.a1 = static_cast<float>(-static_cast<double>(width.k) * c * width.a + 1e-15);
      s.a2 = a2;
    }
  }

  // Sum of the four resonators for excitation e.
  float Process(float e, const HistorySlots& h) {
    float sum = 0.0f;
    for (Section& s : sections_) {
      s.in[h.current] = e;
      float y = s.b0 * e + s.b1 * s.in[h.oneBack] + s.b2 * s.in[h.twoBack] -
                s.a1 * s.out[h.oneBack] - s.a2 * s.out[h.twoBack] + kDenormalGuard;
      // A centre folded onto 0 Hz or half the rate can put a pole on the unit
      // circle in single precision; such a section is cleared and restarts.
      if (!(std::fabs(y) <= kRunawayLevel)) {
        s.in.fill(0.0f);
        s.out.fill(0.0f);
        continue;
      }
      s.out[h.current] = y;
      sum = sum + y + kDenormalGuard;
    }
    return sum;
  }

 private:
  struct Section {
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    std::array<float, 3> in{};
    std::array<float, 3> out{};
  };

  static std::size_t Wrap(std::int64_t e) {
    const std::int64_t m = e % kNumVowels;
    return static_cast<std::size_t>(m < 0 ? m + kNumVowels : m);
  }

  std::array<Section, kNumFormants> sections_{};
};
