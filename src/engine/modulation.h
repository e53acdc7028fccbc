// The three free-running LFOs (vibrato, tremolo, wah), all on the engine's
// sample counter, and the two glide factors. Evaluated at the control tick.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/numeric.h"

struct ModulationControls {
  float vibAmount = 0.0f, vibSpeed = 0.0f;
  float tremAmount = 0.0f, tremSpeed = 0.0f;
  float wahAmount = 0.0f, wahSpeed = 0.0f;
};

class Modulation {
 public:
  // 0.02685546875 Hz x 2^(10 x speed): 0.0269 Hz to 27.5 Hz.
  static constexpr double kLfoBaseHz = 0.02685546875;
  // Bound of the difference between an LFO value worked out from the batch
  // sine and from the library's, relative to 1 + |value| (errors near 2^-50).
  static constexpr double kRoundingBound = 0x1p-44;

  void Init() {
    vibrato_ = tremolo_ = wah_ = 0.0f;
    for (SpeedCache& c : speeds_) c = SpeedCache{};
  }

  // LFO cycles per sample for a 0..1 speed control.
  static double LfoRate(float speed, float sampleRate) {
    return static_cast<double>(Pow2(10.0 * speed)) * kLfoBaseHz / sampleRate;
  }

  // n: the sample counter, read as a signed 32-bit number. A speed change
  // jumps the phase, since the phase is rate x n.
  // An amount of 0 gives 0 without the sine.
  void ConfigureVibrato(const ModulationControls& c, std::int32_t n, float sampleRate) {
    if (c.vibAmount == 0.0f) {
      vibrato_ = 0.0f;
      return;
    }
    const double fv = LfoRate(c.vibSpeed, sampleRate);
    // Vib Amount 1 swings the pitch by one semitone (1/12 octave) either way.
    vibrato_ = Vibrato(std::sin(6.28318 * fv * n), c.vibAmount);
  }

  // 1 - |sin|: dips twice per period, down to 1 - Trem Amount.
  void ConfigureTremolo(const ModulationControls& c, std::int32_t n, float sampleRate) {
    if (c.tremAmount == 0.0f) {
      tremolo_ = 1.0f;
      return;
    }
    const double ft = LfoRate(c.tremSpeed, sampleRate);
    tremolo_ = Tremolo(std::sin(6.28318 * ft * n), c.tremAmount);
  }

  // Offset added to the vowel position.
  void ConfigureWah(const ModulationControls& c, std::int32_t n, float sampleRate) {
    if (c.wahAmount == 0.0f) {
      wah_ = 0.0f;
      return;
    }
    const double fw = LfoRate(c.wahSpeed, sampleRate);
    wah_ = Wah(std::sin(6.28318 * fw * n), c.wahAmount);
  }

  // All three at once, with sines worked out elsewhere (a batch of sines
  // within 2^-50 of the library's, simd/batch_math.inl): Angles gives the
  // angles whose sines Complete needs; the values are those of the three
  // calls above, bit for bit. The rates are kept from one tick to the next
  // while their speed and the sample rate stay.
  static constexpr int kLfos = 3;
  void Angles(const ModulationControls& c, std::int32_t n, float sampleRate, double* angles);
  void Complete(const ModulationControls& c, const double* angles, const double* sines);

  // Glide weight for an inertia control: 2^-8 (practically immediate) at 0
  // to 4096 ticks at 1. Each tick moves 1 / (g + 1) of the remaining way.
  static float GlideWeight(float inertia) { return Pow2((1.0 - inertia) * -20.0 + 12.0); }

  float vibrato() const { return vibrato_; }
  float tremolo() const { return tremolo_; }
  float wah() const { return wah_; }

 private:
  static float Vibrato(double sine, float amount) { return static_cast<float>(sine * amount / 12.0); }
  static float Tremolo(double sine, float amount) { return static_cast<float>(1.0 - std::fabs(sine * amount)); }
  static float Wah(double sine, float amount) { return static_cast<float>(sine * amount); }

  struct SpeedCache {
    float speed = -1.0f, sampleRate = 0.0f;
    double rate = 0.0;
  };
  double CachedRate(int lfo, float speed, float sampleRate);

  float vibrato_, tremolo_, wah_;
  SpeedCache speeds_[kLfos];
};
