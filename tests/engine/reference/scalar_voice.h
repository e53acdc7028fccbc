// The scalar voice the engine's voice lanes must match: an oscillator (saw,
// square or noise) plus the audio input excite a bank of four formant
// resonators, followed by a resonant low-pass.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/formant_width.h"
#include "engine/history_slots.h"
#include "engine/lowpass_section.h"
#include "engine/noise_source.h"
#include "engine/numeric.h"
#include "engine/osc_type.h"
#include "reference/scalar_formant_bank.h"

// Shape of the formants at a tick, common to all voices.
struct FormantControls {
  float vowelPitch = 0.0f;  // 0..1: -2 to +2 octaves
  float wah = 0.0f;         // wah LFO value, added to the vowel position
  FormantWidth width;
};

// Voice low-pass controls at a tick.
struct FilterControls {
  float freq = 0.0f;      // Filter Freq, 0..1: 20 Hz to 20480 Hz
  float q = 0.0f;         // Filter Q, 0..1
  float envDepth = 0.0f;  // Filter Envelope, 0..1
};

class Voice {
 public:
  // 110 Hz x 65536: the phase step of note 57 at a rate of 1 Hz.
  static constexpr double kPhaseStepA2 = 7208960.0;
  // MIDI note that sounds at 110 Hz and leaves the formants unscaled.
  static constexpr float kReferenceNote = 57.0f;

  void Init() {
    pitch_ = 0.0f;
    vowelPos_ = 0.0f;
    pitchOctaves_ = 0.0f;
    phase_ = 0;
    phaseInc_ = 0;
    formants_.Init();
    lowpass_.Init();
  }

  // Control tick, first part: glide towards the note and the Vowel control.
  // Worked out in double and rounded once when stored: in single precision
  // the divisor g + 1 rounds apart from the numerator's g, and the glide
  // would settle off its target.
  void Glide(float pitchWeight, float noteTarget, float vowelWeight, float vowel) {
    pitch_ = GlideStep(pitch_, pitchWeight, noteTarget);
    vowelPos_ = GlideStep(vowelPos_, vowelWeight, vowel);
  }

  // One tick of a glide: 1 / (weight + 1) of the remaining way to target.
  static float GlideStep(float value, float weight, float target) {
    const double g = weight;
    return static_cast<float>((static_cast<double>(value) * g + target) / (g + 1.0));
  }

  // Control tick, second part: formants from the pitch of the previous tick,
  // then the new pitch and oscillator step.
  void ConfigureFormantsAndPitch(const FormantControls& c, float vibrato, float bend, float sampleRate) {
    const float position = static_cast<float>(1.0 + vowelPos_ + c.wah);
    const float scale = Pow2(4.0 * c.vowelPitch + pitchOctaves_ - 2.0);
    formants_.Configure(position, scale, c.width, sampleRate);
    pitchOctaves_ = static_cast<float>((pitch_ - kReferenceNote) / 12.0 + vibrato + bend);
    // Truncated: every pitch runs slightly flat, by up to one step.
    phaseInc_ = FloorInt(static_cast<double>(Pow2(pitchOctaves_)) * kPhaseStepA2 / sampleRate);
  }

  // Control tick, after the envelopes: the low-pass closes with the filter
  // envelope by the Filter Envelope depth.
  void ConfigureLowpass(const FilterControls& c, float filterEnv, float sampleRate) {
    const double amount = (1.0 - (1.0 - filterEnv) * c.envDepth) * c.freq;
    lowpass_.Configure(static_cast<float>(20.0 * Pow2(10.0 * amount)), c.q, sampleRate);
  }

  // One sample from input x at excitation amplitude amp.
  float Render(float x, float amp, OscType type, NoiseSource& noise, const HistorySlots& h) {
    phase_ = static_cast<std::uint16_t>(phase_ + static_cast<std::uint32_t>(phaseInc_));
    float e;
    switch (type) {
      case OscType::kSaw:
        // The -1 offset is DC, which the resonators do not pass.
        e = x + amp * static_cast<float>(phase_) / 32768.0f - 1.0f;
        break;
      case OscType::kSquare:
        // The low half of the period is the input alone.
        e = phase_ < 32768 ? x + amp : x;
        break;
      default:
        e = x + amp * (2.0f * noise.Next() - 1.0f);
        break;
    }
    const float y = lowpass_.Process(formants_.Process(e, h), h);
    if (!std::isfinite(y)) {
      formants_.ClearHistory();
      lowpass_.ClearHistory();
      return 0.0f;
    }
    return y;
  }

  void ClearLowpassHistory() { lowpass_.ClearHistory(); }

  float pitch() const { return pitch_; }
  float vowelPos() const { return vowelPos_; }
  float pitchOctaves() const { return pitchOctaves_; }
  std::int32_t phaseInc() const { return phaseInc_; }
  std::uint16_t phase() const { return phase_; }

 private:
  float pitch_;
  float vowelPos_;
  float pitchOctaves_;
  std::uint16_t phase_;
  std::int32_t phaseInc_;
  FormantBank formants_;
  LowpassSection lowpass_;
};
