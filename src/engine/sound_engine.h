// The render loop: turns parameter values and notes into stereo samples.
// Every 16 samples a control tick turns the parameters into coefficients,
// rates and modulation values; every sample the running voices are summed,
// passed through chorus and delay, split into left and a delayed right,
// scaled and soft-clipped.
//
// The voices run side by side, one vector lane each (voice_lanes.h), in the
// kernels of the best instruction set the processor has (engine_kernels.h);
// every sample is the one the scalar formulas give, bit for bit. Work whose
// controls did not move since the last tick is not redone, and what nothing
// listens to (LFOs while no voice runs, a switched-off effect) waits until
// something does.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/chorus.h"
#include "engine/delay.h"
#include "engine/engine_kernels.h"
#include "engine/envelope_rates.h"
#include "engine/formant_width.h"
#include "engine/modulation.h"
#include "engine/noise_source.h"
#include "engine/osc_type.h"
#include "engine/param_array.h"
#include "engine/parameter_table.h"
#include "engine/tempo_source.h"
#include "engine/voice_lanes.h"

// One voice's state, as tests and diagnostics read it.
struct VoiceView {
  bool keyDown;
  bool sustained;  // released while the pedal is down, still sounding
  std::uint8_t attacking;
  float noteTarget, velocity, ampEnv, filterEnv;
  float pitch, vowelPos, pitchOctaves;
  std::uint16_t phase;
  std::int32_t phaseInc;
};

class SoundEngine {
 public:
  // Control tick every 16 samples.
  static constexpr std::uint32_t kTickMask = 15;
  // Tempo asked for every 1024 samples.
  static constexpr std::uint32_t kTempoMask = 1023;
  // Tempo when the host gives none.
  static constexpr float kDefaultTempo = 120.0f;
  // Right-channel ring.
  static constexpr std::size_t kStereoLineSize = 1024;
  static constexpr std::uint32_t kStereoMask = 1023;

  // Zeroes every state, sets the rate to 44100 and picks the kernels.
  void Init(const ParamArray* param, TempoSource* tempoSource);
  // The instruction set the kernels use; the engine starts on the best one
  // the processor runs (PreferredInstructionSet). Tests run both.
  void UseInstructionSet(InstructionSet set) { kernels_ = &KernelsFor(set); }
  InstructionSet instructionSet() const { return kernels_->set; }

  // Renders count samples from input (may be null: silence) into left and
  // right, storing (replace) or adding to what they hold.
  void Render(const float* input, float* left, float* right, std::int32_t count, bool replace);

  // Clears the delay, chorus and stereo lines.
  void ClearLines();
  // What a program change resets: the voices' low-pass histories and the
  // three lines.
  void ResetRunningSound();

  void SeedNoise(std::uint32_t seed) {
    noise_.Seed(seed);
    noiseRead_ = noiseHeld_ = 0;
  }

  // Notes. NoteOn takes the next voice round-robin, passing over held ones;
  // NoteOff releases every voice of the key. Both run on the audio thread.
  void NoteOn(int key, int velocity);
  void NoteOff(int key);
  // Starts voice v on a key: its envelopes restart, pitch and vowel glide
  // on from where they are.
  void StartVoice(int v, int key, int velocity);
  // Releases every key; any thread may call it (a program change does).
  void ReleaseAll();
  int lastVoice() const { return lastVoice_; }

  // Played like a keyboard (audio thread). Pitch bend in semitones, heard
  // from the next control tick on, with the vibrato. The sustain pedal:
  // while it is down a released key keeps its voice sounding, until the
  // pedal goes up. All notes off releases every key and every sustained
  // voice; all sound off silences every voice at once and clears the
  // chorus, delay and stereo lines, so nothing sounds from the next sample.
  void SetPitchBend(float semitones) { bendOctaves_ = static_cast<float>(semitones / 12.0); }
  void SetSustain(bool down);
  void AllNotesOff();
  void AllSoundOff();

  // Moves the sample counter. Tests use it to reach the wraps of a long
  // session (2^31 and 2^32 samples: 13.5 and 27 hours at 44.1 kHz) without
  // rendering the hours before them.
  void SetSampleCounter(std::uint32_t counter) { sampleCounter_ = counter; }
  // Sets a voice's envelope levels, for tests of what follows from them.
  void SetEnvelopeLevels(int v, float ampEnv, float filterEnv);

  // Written by the host's other thread; read once per block.
  std::atomic<float> curSampleRate{44100.0f};
  static constexpr int numVoices = kMaxVoices;

  // Read-only views for tests and diagnostics; those of tick values work
  // them out first if nothing has asked for them yet.
  VoiceView voice(int v) const;
  float tempo() const { return tempo_; }
  std::uint32_t sampleCounter() const { return sampleCounter_; }
  float outputGain() const { return outputGain_; }
  std::int32_t stereoDelay() const { return stereoDelay_; }
  const EnvelopeRates& envelopeRates() const { return rates_; }
  const Modulation& modulation();
  Chorus& chorus();
  const Delay& delay();
  OscType oscType() const { return oscType_; }

 private:
  float P(Param p) const { return ReadParam(*param_, static_cast<int>(p)); }
  int RunningVoices() const;
  void ControlTick();
  void UpdateSweeps(bool withChorus);
  void UpdateDelay();
  void TickVoices(int running);
  void RenderRun(const float* input, int offset, int count, bool tick);
  void RenderSilence(float* left, float* right, std::int32_t count, bool replace);
  bool RenderVoices(int count, bool tick);
  template <bool kChorus, bool kDelay>
  void MixRun(float* scaledLeft, float* scaledRight, int count, std::uint32_t start);
  void DrawNoise(int needed);

  const ParamArray* param_ = nullptr;
  TempoSource* tempoSource_ = nullptr;
  const EngineKernels* kernels_ = nullptr;
  float blockRate_ = 44100.0f;  // curSampleRate as this block renders it

  std::uint32_t sampleCounter_;
  std::uint8_t historyPosition_;
  float tempo_;

  // Control values held from one tick to the next.
  EnvelopeRates rates_;
  Modulation modulation_;
  OscType oscType_;
  std::int32_t stereoDelay_;
  float outputGain_;
  // What the last tick asked of the LFOs and the delay, worked out when
  // something first needs them.
  ModulationControls modulationRequest_;
  std::int32_t modulationCounter_;
  float modulationRate_;
  bool modulationPending_;
  DelayControls delayRequest_;
  float delayRate_, delayTempo_;
  bool delayPending_;
  // Control values behind cached results; NaN matches none.
  float stereoAmount_, volume_, bandWidth_, pitchInertia_, vowelInertia_;
  EnvelopeControls rateControls_;
  float rateSampleRate_, rateTempo_;
  FormantWidth width_;
  float pitchGlide_, vowelGlide_;

  std::array<std::atomic<std::uint8_t>, kVoiceSlots> keyDown_{};
  int lastVoice_;
  // Pedal, sustained voices and bend: the audio thread's alone.
  bool pedal_;
  std::array<std::uint8_t, kVoiceSlots> sustained_;
  float bendOctaves_;
  VoiceLanes lanes_;
  NoiseSource noise_;
  Chorus chorus_;
  Delay delay_;
  std::array<float, kStereoLineSize> stereoLine_;
  // Working buffers of one run.
  alignas(32) std::array<float, kMaxRun> excitationInput_;  // input plus the denormal guard
  alignas(32) std::array<LaneRow, kMaxRun> excitation_;
  alignas(32) std::array<LaneRow, kMaxRun> voiceOutput_;
  alignas(32) std::array<float, kMaxRun> mono_;
  // The chunk's output, scaled by the output gain, before the clipper.
  static constexpr int kChunk = 1024;
  alignas(32) std::array<float, kChunk> scaledLeft_;
  alignas(32) std::array<float, kChunk> scaledRight_;
  // Noise drawn ahead: noiseHeld_ draws from noiseRead_ on wait their turn.
  // Room for a run's worth (6 voices x 16 samples) left over and eight
  // batches of eight stretches of 16 more, so that the waiting draws move
  // to the front once in several batches; and eight floats a kernel may
  // read past the last.
  static constexpr int kNoiseBatch = NoiseSource::kStretch * kVoiceSlots;
  static constexpr int kNoiseRoom = kMaxVoices * kMaxRun + 8 * kNoiseBatch;
  std::array<float, kNoiseRoom + kVoiceSlots> noiseDraws_;
  int noiseRead_, noiseHeld_;
  // How many samples in a row the stereo line was given +0; from 1024 on it
  // holds nothing else.
  std::uint32_t stereoZeros_;
};
