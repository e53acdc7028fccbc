// The scalar render loop the vector engine must match sample for sample:
// voice after voice, sample after sample, every control value worked out
// at its tick with the library's functions, nothing deferred or cached.
// Notes and the note interface behave as the engine's do.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>

#include "engine/chorus.h"
#include "engine/envelope_rates.h"
#include "engine/history_slots.h"
#include "engine/modulation.h"
#include "engine/noise_source.h"
#include "engine/numeric.h"
#include "engine/param_array.h"
#include "engine/sound_engine.h"
#include "engine/tempo_source.h"
#include "reference/scalar_voice.h"

namespace vyrtal_test {

class ReferenceEngine {
 public:
  static constexpr int kVoices = 6;

  void Init(const ParamArray* param, TempoSource* tempo) {
    param_ = param;
    tempoSource_ = tempo;
    rates_.Init();
    modulation_.Init();
    for (Voice& v : voices_) v.Init();
    noise_.Init();
    chorus_.Init();
    delayFilter_.Init();
  }
  void SeedNoise(std::uint32_t seed) { noise_.Seed(seed); }
  void SetSampleCounter(std::uint32_t counter) { counter_ = counter; }

  void StartVoice(int v, int key, int velocity) {
    const auto s = static_cast<std::size_t>(v);
    keyDown_[s] = 1;
    sustained_[s] = 0;
    attacking_[s] = 1;
    noteTarget_[s] = static_cast<float>(key);
    velocity_[s] = static_cast<float>(velocity) / 127.0f;
    ampEnv_[s] = 0.0f;
    filterEnv_[s] = 1.0f;
  }
  void NoteOn(int key, int velocity) {
    lastVoice_ = (lastVoice_ + 1) % kVoices;
    for (int n = 0; n < kVoices; ++n) {
      if (keyDown_[static_cast<std::size_t>(lastVoice_)] == 1) lastVoice_ = (lastVoice_ + 1) % kVoices;
    }
    StartVoice(lastVoice_, key, velocity);
  }
  void NoteOff(int key) {
    for (std::size_t v = 0; v < kVoices; ++v) {
      if (noteTarget_[v] != static_cast<float>(key)) continue;
      if (pedal_ && keyDown_[v] == 1) {
        sustained_[v] = 1;
      } else {
        keyDown_[v] = 0;
      }
    }
  }
  void ReleaseAll() { keyDown_.fill(0); }
  void SetPitchBend(float semitones) { bend_ = static_cast<float>(semitones / 12.0); }
  void SetSustain(bool down) {
    pedal_ = down;
    if (down) return;
    for (std::size_t v = 0; v < kVoices; ++v) {
      if (sustained_[v] != 0) keyDown_[v] = 0;
      sustained_[v] = 0;
    }
  }
  void AllNotesOff() {
    keyDown_.fill(0);
    sustained_.fill(0);
  }
  void AllSoundOff() {
    AllNotesOff();
    ampEnv_.fill(0.0f);
    delayFilter_.ClearHistory();
    ClearLines();
  }
  void ClearLines() {
    delayLine_.fill(0.0f);
    chorus_.Clear();
    stereoLine_.fill(0.0f);
  }
  void ResetRunningSound() {
    for (Voice& v : voices_) v.ClearLowpassHistory();
    ClearLines();
  }

  void Render(const float* input, float* left, float* right, std::int32_t count, bool replace) {
    if (count <= 0) return;
    rate_ = curSampleRate.load();
    for (std::int32_t i = 0; i < count; ++i) {
      float l, r;
      Sample(input != nullptr ? input[i] : 0.0f, l, r);
      left[i] = replace ? l : left[i] + l;
      right[i] = replace ? r : right[i] + r;
    }
  }

  std::atomic<float> curSampleRate{44100.0f};
  const Voice& voice(int v) const { return voices_[static_cast<std::size_t>(v)]; }

 private:
  float P(Param p) const { return ReadParam(*param_, static_cast<int>(p)); }

  void Tick() {
    const std::int32_t n = static_cast<std::int32_t>(counter_);
    const std::int32_t steps = FloorInt(63.99 * P(Param::kDelayLength));
    const std::int32_t whole = FloorInt(steps * (1.875 * rate_ / tempo_));
    delayLength_ = whole >= 65000 ? 65000 : (whole < 0 ? 1 : whole + 1);
    feedback_ = P(Param::kDelayFeed);
    dry_ = wet_ = 1.0f;
    if (P(Param::kDelayMix) >= 0.5f) {
      dry_ = 2.0f - 2.0f * P(Param::kDelayMix);
    } else {
      wet_ = 2.0f * P(Param::kDelayMix);
    }
    delayFilter_.Configure(20.0f * Pow2(10.0 * P(Param::kDelayFilter)), 0.1f, rate_);
    chorus_.Configure({P(Param::kChorusLength), P(Param::kChorusWidth), P(Param::kChorusSpeed),
                       P(Param::kChorusFeed)},
                      n, rate_);
    chorus_.Update();
    const ModulationControls mod{P(Param::kVibAmount),  P(Param::kVibSpeed),  P(Param::kTremAmount),
                                 P(Param::kTremSpeed), P(Param::kWahAmount), P(Param::kWahSpeed)};
    modulation_.ConfigureVibrato(mod, n, rate_);
    modulation_.ConfigureTremolo(mod, n, rate_);
    type_ = static_cast<OscType>(std::clamp(FloorInt(2.99 * P(Param::kOscType)), 0, 2));
    modulation_.ConfigureWah(mod, n, rate_);
    stereo_ = std::clamp(FloorInt(Pow2(9.0 * P(Param::kStereo)) + 1.0), 0, 1023);
    rates_.Configure({P(Param::kAttack), P(Param::kDecay), P(Param::kRelease), P(Param::kFilterRelease)}, rate_,
                     tempo_);
    gain_ = DbToGain(P(Param::kVolume), 40.0f, 40.0f);
    pitchGlide_ = Modulation::GlideWeight(P(Param::kPitchInertia));
    vowelGlide_ = Modulation::GlideWeight(P(Param::kVowelInertia));
    vowel_ = P(Param::kVowel);
    formants_.vowelPitch = P(Param::kVowelPitch);
    formants_.wah = modulation_.wah();
    formants_.width = FormantWidth::FromControl(P(Param::kBandWidth));
    filter_.freq = P(Param::kFilterFreq);
    filter_.q = P(Param::kFilterQ);
    filter_.envDepth = P(Param::kFilterEnvelope);
  }

  void Sample(float in, float& left, float& right) {
    position_ = static_cast<std::uint8_t>(position_ == 2 ? 0 : position_ + 1);
    const HistorySlots h = HistorySlots::At(position_);
    const float x = (std::isfinite(in) ? in : 0.0f) + kDenormalGuard;
    if ((counter_ & 1023u) == 0) {
      const float t = tempoSource_ != nullptr ? tempoSource_->QueryTempo() : 0.0f;
      tempo_ = t >= 1.0f ? t : 120.0f;
    }
    ++counter_;
    const bool tick = (counter_ & 15u) == 0;
    if (tick) Tick();
    float mono = 0.0f;
    for (std::size_t v = 0; v < kVoices; ++v) {
      const bool held = keyDown_[v] == 1;
      if (!held && ampEnv_[v] <= 0.001f) continue;
      if (tick) {
        voices_[v].Glide(pitchGlide_, noteTarget_[v], vowelGlide_, vowel_);
        voices_[v].ConfigureFormantsAndPitch(formants_, modulation_.vibrato(), bend_, rate_);
      }
      rates_.Step(held, attacking_[v], ampEnv_[v], filterEnv_[v]);
      const float amp = velocity_[v] * ampEnv_[v] * modulation_.tremolo() + kDenormalGuard;
      if (tick) voices_[v].ConfigureLowpass(filter_, filterEnv_[v], rate_);
      mono += voices_[v].Render(x, amp, type_, noise_, h);
    }
    float out = mono;
    if (P(Param::kChorusSwitch) > 0.5f) out = chorus_.Process(out, counter_);
    if (P(Param::kDelaySwitch) > 0.5f) {
      const float y = delayLine_[(counter_ - static_cast<std::uint32_t>(delayLength_)) & 65535u];
      delayLine_[counter_ & 65535u] = delayFilter_.Process(out - feedback_ * y, h) + kDenormalGuard;
      out = wet_ * y + dry_ * out;
    }
    stereoLine_[counter_ & 1023u] = out;
    const float r = stereoLine_[(counter_ - static_cast<std::uint32_t>(stereo_)) & 1023u];
    left = SoftClip(gain_ * out);
    right = SoftClip(gain_ * r);
  }

  const ParamArray* param_ = nullptr;
  TempoSource* tempoSource_ = nullptr;
  float rate_ = 44100.0f, tempo_ = 0.0f;
  std::uint32_t counter_ = 0;
  std::uint8_t position_ = 0;
  EnvelopeRates rates_;
  Modulation modulation_;
  OscType type_ = OscType::kSaw;
  std::int32_t stereo_ = 0;
  float gain_ = 0.0f;
  FormantControls formants_;
  FilterControls filter_;
  float pitchGlide_ = 0.0f, vowelGlide_ = 0.0f, vowel_ = 0.0f;
  std::array<std::uint8_t, kVoices> keyDown_{}, attacking_{}, sustained_{};
  bool pedal_ = false;
  float bend_ = 0.0f;
  std::array<float, kVoices> noteTarget_{}, velocity_{}, ampEnv_{}, filterEnv_{};
  int lastVoice_ = 0;
  std::array<Voice, kVoices> voices_;
  NoiseSource noise_;
  Chorus chorus_;
  std::int32_t delayLength_ = 0;
  float feedback_ = 0.0f, dry_ = 0.0f, wet_ = 0.0f;
  LowpassSection delayFilter_;
  std::array<float, 65536> delayLine_{};
  std::array<float, 1024> stereoLine_{};
};

}  // namespace vyrtal_test
