// The render loop: turns parameter values and note state into stereo samples.
// Every 16 samples a control tick turns the parameters into coefficients,
// rates and modulation values; every sample the running voices are summed,
// passed through chorus and delay, split into left and a delayed right,
// scaled and soft-clipped.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/chorus.h"
#include "engine/delay.h"
#include "engine/envelope_rates.h"
#include "engine/history_slots.h"
#include "engine/modulation.h"
#include "engine/noise_source.h"
#include "engine/note_state.h"
#include "engine/param_array.h"
#include "engine/tempo_source.h"
#include "engine/voice.h"

// Parameter indices the engine reads.
enum class Param : int {
  kAttack = 0,
  kDecay = 1,
  kVowel = 2,
  kPitchInertia = 3,
  kVowelInertia = 4,
  kRelease = 6,
  kVolume = 7,
  kVibAmount = 8,
  kVibSpeed = 9,
  kTremAmount = 10,
  kTremSpeed = 11,
  kVowelPitch = 12,
  kOscType = 14,
  kStereo = 15,
  kBandWidth = 16,
  kWahAmount = 17,
  kWahSpeed = 18,
  kDelaySwitch = 19,
  kDelayLength = 20,
  kDelayFeed = 21,
  kDelayFilter = 22,
  kDelayMix = 23,
  kChorusLength = 24,
  kChorusWidth = 25,
  kChorusSpeed = 26,
  kChorusFeed = 27,
  kChorusSwitch = 28,
  kFilterFreq = 29,
  kFilterQ = 30,
  kFilterEnvelope = 31,
  kFilterRelease = 32,
};

class SoundEngine {
 public:
  static constexpr int kMaxVoices = 6;
  // Control tick every 16 samples.
  static constexpr std::uint32_t kTickMask = 15;
  // Tempo asked for every 1024 samples.
  static constexpr std::uint32_t kTempoMask = 1023;
  // Tempo when the host gives none.
  static constexpr float kDefaultTempo = 120.0f;
  // Right-channel ring.
  static constexpr std::size_t kStereoLineSize = 1024;
  static constexpr std::uint32_t kStereoMask = 1023;
  // A voice that is neither held nor above this level costs nothing.
  static constexpr float kSilentLevel = 0.001f;

  // Zeroes every state, sets the history slots to 0, 1, 2 and the rate to 44100.
  void Init(const ParamArray* param, TempoSource* tempoSource);

  // Renders count samples from input (may be null: silence) into left and
  // right, storing (replace) or adding to what they hold.
  void Render(const float* input, float* left, float* right, std::int32_t count, bool replace);

  // Clears the delay, chorus and stereo lines.
  void ClearLines();
  // What a program change resets: history slots, the voices' low-pass
  // histories and the three lines.
  void ResetRunningSound();

  void SeedNoise(std::uint32_t seed);

  // Moves the sample counter. Tests use it to reach the wraps of a long
  // session (2^31 and 2^32 samples: 13.5 and 27 hours at 44.1 kHz) without
  // rendering the hours before them.
  void SetSampleCounter(std::uint32_t counter) { sampleCounter_ = counter; }

  // Written by program changes on the host's other thread; read once per block.
  std::atomic<float> curSampleRate{44100.0f};
  int numVoices = 6;
  NoteState notes;

  // Read-only views for tests and diagnostics.
  float tempo() const { return tempo_; }
  std::uint32_t sampleCounter() const { return sampleCounter_; }
  float outputGain() const { return outputGain_; }
  std::int32_t stereoDelay() const { return stereoDelay_; }
  const EnvelopeRates& envelopeRates() const { return rates_; }
  const Modulation& modulation() const { return modulation_; }
  const Voice& voice(int v) const { return voices_[static_cast<std::size_t>(v)]; }
  Chorus& chorus() { return chorus_; }
  const Delay& delay() const { return delay_; }
  OscType oscType() const { return oscType_; }

 private:
  float P(Param p) const { return ReadParam(*param_, static_cast<int>(p)); }
  int ActiveVoices() const;
  void ControlTick();
  void UpdateVoiceControls();

  const ParamArray* param_ = nullptr;
  float blockRate_ = 44100.0f;  // curSampleRate as this block renders it
  TempoSource* tempoSource_ = nullptr;

  std::uint32_t sampleCounter_;
  std::uint8_t historyPosition_;
  HistorySlots slots_;
  float tempo_;

  // Control values held from one tick to the next.
  EnvelopeRates rates_;
  Modulation modulation_;
  OscType oscType_;
  std::int32_t stereoDelay_;
  float outputGain_;
  FormantControls formantControls_;
  FilterControls filterControls_;
  float pitchGlide_, vowelGlide_, vowel_;
  bool voiceControlsPending_;
  // Control values behind the cached stereo delay, gain and band width.
  float stereoAmount_, volume_, bandWidth_;

  std::array<Voice, kMaxVoices> voices_;
  NoiseSource noise_;
  Chorus chorus_;
  Delay delay_;
  std::array<float, kStereoLineSize> stereoLine_;
};
