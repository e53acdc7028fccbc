#include "engine/modulation.h"

double Modulation::CachedRate(int lfo, float speed, float sampleRate) {
  SpeedCache& cache = speeds_[lfo];
  if (!(speed == cache.speed && sampleRate == cache.sampleRate)) {
    cache.speed = speed;
    cache.sampleRate = sampleRate;
    cache.rate = LfoRate(speed, sampleRate);
  }
  return cache.rate;
}

void Modulation::Angles(const ModulationControls& c, std::int32_t n, float sampleRate, double* angles) {
  const float amounts[kLfos] = {c.vibAmount, c.tremAmount, c.wahAmount};
  const float speeds[kLfos] = {c.vibSpeed, c.tremSpeed, c.wahSpeed};
  for (int lfo = 0; lfo < kLfos; ++lfo) {
    angles[lfo] = amounts[lfo] != 0.0f ? 6.28318 * CachedRate(lfo, speeds[lfo], sampleRate) * n : 0.0;
  }
}

void Modulation::Complete(const ModulationControls& c, const double* angles, const double* sines) {
  enum Lfo { kVibrato, kTremolo, kWah };
  const float amounts[kLfos] = {c.vibAmount, c.tremAmount, c.wahAmount};
  float* const values[kLfos] = {&vibrato_, &tremolo_, &wah_};
  for (int lfo = 0; lfo < kLfos; ++lfo) {
    if (amounts[lfo] == 0.0f) {
      *values[lfo] = lfo == kTremolo ? 1.0f : 0.0f;
      continue;
    }
    auto value = [&](double sine) -> double {
      if (lfo == kVibrato) return sine * amounts[lfo] / 12.0;
      if (lfo == kTremolo) return 1.0 - std::fabs(sine * amounts[lfo]);
      return sine * amounts[lfo];
    };
    // Where the batch sine's error could round the value the other way, the
    // library decides.
    const double v = value(sines[lfo]);
    const double margin = kRoundingBound * (1.0 + std::fabs(v));
    const bool certain = static_cast<float>(v - margin) == static_cast<float>(v + margin);
    *values[lfo] = static_cast<float>(certain ? v : value(std::sin(angles[lfo])));
  }
}
