// The vector kernels of the render loop, one set per instruction set
// (simd/kernels_sse2.cpp, simd/kernels_avx2.cpp), chosen once per engine.
// Everything they exchange with the render loop is plain data.
#pragma once

#include <cstdint>

#include "engine/voice_lanes.h"

enum class InstructionSet : std::uint8_t { kSse2, kAvx2 };

// A run of samples between two control ticks, at most this long.
constexpr int kMaxRun = 16;
// One sample of every voice slot.
using LaneRow = float[kVoiceSlots];

// What the envelope and oscillator pass needs for a run.
struct ExciteArgs {
  const float* input;   // per sample: the input plus the denormal guard
  int oscType;          // 0 saw, 1 square, 2 noise
  float attack, decay, release, filterRelease;  // envelope rates
  float tremolo;
  const float* noise;  // noise draws (2r - 1) in order: per sample one for
                       // each running voice, in voice order, as the scalar
                       // voices draw them (read 8 at a time)
  int running;          // bit v set for each voice that runs at the first sample
};

// Controls every running voice takes at a control tick, before its
// envelopes run: glides, formants, pitch and oscillator step.
struct VoiceTickControls {
  float pitchWeight, vowelWeight;  // glide weights
  float vowel;                     // the Vowel control, the vowel glide's target
  float vowelPitch;                // formant shift control
  float wah, vibrato;              // LFO values of this tick
  float bend;                      // pitch bend in octaves, added after the vibrato
  float widthK, widthA;            // band-width terms of the resonators
  float rate;                      // sample rate
  const float* formantTable;       // five vowels of four formant frequencies
};

// Controls of the voices' low-passes at a control tick, which follow the
// filter envelopes after the tick's first sample.
struct LowpassTickControls {
  float freq, q, envDepth;  // Filter Freq, Filter Q, Filter Envelope
  float rate;
  float filterRelease;      // the filter envelopes' fall per sample while held
};

// Stretches of the effects on contiguous arrays that do not overlap
// (simd/effect_kernels.inl): the chorus over count samples in place, from
// its line's values older[0..count] and into line[0..count - 1]; the
// delay's taps into its filter's input and the samples' mix.
using ChorusSpanFn = void (*)(float* samples, const float* older, float* line, int count, float fraction,
                              float feedback);
using DelaySpanFn = void (*)(float* samples, const float* taps, float* filterIn, int count, float feedback,
                             float wet, float dry);

struct EngineKernels {
  InstructionSet set;

  // Envelopes, then excitation of every running voice, sample after sample,
  // into excitation[s][v]. Stops early, before the first sample at which the
  // set of running voices differs from args.running; returns the number of
  // samples done.
  int (*excite)(VoiceLanes& lanes, const ExciteArgs& args, LaneRow* excitation, int count);

  // Resonators and low-pass of the running voices over count samples from
  // ring position `position` (that of the sample before the first), into
  // output[s][v] (0 for voices that do not run). Stops before the first
  // sample that needs the careful kernel (a section running away, an output
  // that is not finite, or sections whose input rings differ) and returns
  // the samples done.
  int (*filter)(VoiceLanes& lanes, int position, const LaneRow* excitation, LaneRow* output, int count,
                int running);
  // The same for samples of any kind, slowly: sections that run away are
  // cleared and left out of the sum, and a voice whose output is not finite
  // is cleared and gives 0.
  void (*filterCareful)(VoiceLanes& lanes, int position, const LaneRow* excitation, LaneRow* output,
                        int count, int running);

  // Noise draws in eight stretches of 16: stretch c starts from the
  // generator state starts[c], and draws[16c + n] receives 2r - 1 of its
  // n-th step. Returns the state after the last stretch's last step.
  std::uint32_t (*noiseDraws)(const std::uint32_t* starts, float* draws);

  // mono[s] = the sum of output[s][v] over the voices, in voice order.
  void (*sumVoices)(const LaneRow* output, float* mono, int count);

  // Control tick work of the running voices (bit v for voice v): glides,
  // formant coefficients, then the new pitch and oscillator step.
  // Coefficients whose inputs equal those of the last time are not worked
  // out again.
  void (*configureVoices)(VoiceLanes& lanes, const VoiceTickControls& controls, int running);
  // Low-pass design of the running voices, likewise, before their envelopes
  // run: from the filter envelopes after the first sample.
  void (*configureLowpasses)(VoiceLanes& lanes, const LowpassTickControls& controls, int running);

  // exp of count values, within 2^-50 relative of the library's, and sin
  // and cos of count angles (radians), within 2^-50 of the library's:
  // callers check their rounding (simd/batch_math.inl). The arrays hold
  // count values rounded up to whole batches of four.
  void (*exp)(const double* values, double* powers, int count);
  void (*sinCos)(const double* angles, double* sines, double* cosines, int count);

  // left = SoftClip(scaledLeft), right = SoftClip(scaledRight), stored or
  // added.
  void (*clipOut)(const float* scaledLeft, const float* scaledRight, float* left, float* right, int count,
                  bool replace);

  ChorusSpanFn chorusSpan;
  DelaySpanFn delaySpan;
};

// The kernels for a set; kAvx2 only where the processor has it.
const EngineKernels& KernelsFor(InstructionSet set);
// The best set this processor runs, unless VYRTAL_SIMD=sse2 asks for the
// baseline.
InstructionSet PreferredInstructionSet();
