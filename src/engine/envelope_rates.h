// Envelope rates (change of level per sample) from tempo-relative times, and
// the per-sample envelope step of a voice.
#pragma once

#include <cstdint>

#include "engine/numeric.h"
#include "engine/tables.h"

struct EnvelopeControls {
  float attack = 0.0f;
  float decay = 0.0f;
  float release = 0.0f;
  float filterRelease = 0.0f;
};

class EnvelopeRates {
 public:
  // No ramp is shorter than 100 samples.
  static constexpr float kMaxRate = 0.01f;
  // Above this a decay or filter-release control holds its level.
  static constexpr float kHoldThreshold = 0.99f;

  void Init() { attack_ = decay_ = release_ = filterRelease_ = 0.0f; }

  void Configure(const EnvelopeControls& c, float sampleRate, float tempo) {
    release_ = Rate(c.release, sampleRate, tempo);
    decay_ = Rate(c.decay, sampleRate, tempo);
    if (c.decay > kHoldThreshold) decay_ = 0.0f;
    attack_ = Rate(c.attack, sampleRate, tempo);
    filterRelease_ = Rate(c.filterRelease, sampleRate, tempo);
    if (c.filterRelease > kHoldThreshold) filterRelease_ = 0.0f;
  }

  // Rate for a 0..1 control: a ramp over T/32 beat plus one sample, T from
  // the table. T x 7.5 / 4 x rate / tempo is T/32 beat in samples.
  static float Rate(float control, float sampleRate, float tempo) {
    std::int32_t i = FloorInt(49.99 * control);
    if (i < 0) i = 0;
    if (i > kNumEnvelopeTimes - 1) i = kNumEnvelopeTimes - 1;
    const double t = kEnvelopeTimes[static_cast<std::size_t>(i)];
    float rate = static_cast<float>(1.0 / (t * 7.5 / 4.0 * sampleRate / tempo + 1.0));
    if (rate > kMaxRate) rate = kMaxRate;
    return rate;
  }

  // One sample of a running voice's envelopes: attack to 1, then decay
  // towards 0 while held (no sustain level), release from wherever it is;
  // the filter envelope falls only while the key is held.
  void Step(bool keyDown, std::uint8_t& attacking, float& ampEnv, float& filterEnv) const {
    if (keyDown) {
      filterEnv = filterEnv - filterRelease_;
      if (filterEnv < 0.0f) filterEnv = 0.0f;
      if (attacking == 1) {
        ampEnv = ampEnv + attack_;
      } else {
        ampEnv = ampEnv - decay_;
      }
    } else {
      ampEnv = ampEnv - release_;
    }
    if (ampEnv < 0.0f) ampEnv = 0.0f;
    if (ampEnv > 1.0f) {
      ampEnv = 1.0f;
      attacking = 0;
    }
  }

  float attack() const { return attack_; }
  float decay() const { return decay_; }
  float release() const { return release_; }
  float filterRelease() const { return filterRelease_; }

 private:
  float attack_, decay_, release_, filterRelease_;
};
