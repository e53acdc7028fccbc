// The state of all voices, one lane per voice slot: every array holds one
// value per voice, so that one vector operation works on every voice at
// once. Plain data; the kernels (simd/) and the render loop share it.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kVoiceSlots = 8;
// The voices that play; the slots beyond them stay silent.
constexpr int kMaxVoices = 6;
// A voice that is neither held nor above this level is silent and costs
// nothing.
constexpr float kSilentLevel = 0.001f;
constexpr int kFormantSections = 4;
// Three-slot sample rings, indexed by the shared history position.
constexpr int kHistorySlots = 3;

// How many voice slots a mask of them names, in a few integer steps: on
// the SSE2 baseline, which has no population-count instruction, the
// compiler's builtin is a call into its runtime library. Internal linkage,
// so that every instruction set keeps its own copy.
static constexpr int CountVoices(int bits) {
  unsigned x = static_cast<unsigned>(bits) & 0xFFu;
  x = x - ((x >> 1) & 0x55u);
  x = (x & 0x33u) + ((x >> 2) & 0x33u);
  return static_cast<int>((x + (x >> 4)) & 0x0Fu);
}
static_assert(CountVoices(0) == 0 && CountVoices(0x3F) == 6 && CountVoices(0xFF) == 8 && CountVoices(0xA5) == 4);

using LaneFloats = float[kVoiceSlots];
using LaneInts = std::int32_t[kVoiceSlots];
using LaneRing = LaneFloats[kHistorySlots];

struct alignas(32) VoiceLanes {
  // Note state.
  LaneFloats ampEnv;
  LaneFloats filterEnv;
  LaneFloats attacking;  // 1 until the envelope first exceeds 1, else 0
  LaneFloats velocity;
  LaneFloats noteTarget;
  LaneFloats held;       // 1 while the key is down, at the start of a block

  // Glides, pitch and oscillator.
  LaneFloats pitch;
  LaneFloats vowelPos;
  LaneFloats pitchOctaves;
  LaneInts phase;     // 0..65535
  LaneInts phaseInc;

  // Formant bank: b0, b1, b2 and a2 are shared by a voice's four sections.
  LaneFloats formantB0, formantB1, formantB2, formantA2;
  LaneFloats formantA1[kFormantSections];
  LaneRing formantIn[kFormantSections];
  LaneRing formantOut[kFormantSections];

  // Low-pass; lowpassConfigured is all ones once the section has been
  // designed, and until then the section passes its input.
  LaneFloats lowpassB0, lowpassB1, lowpassB2, lowpassA1, lowpassA2;
  LaneInts lowpassConfigured;
  LaneRing lowpassIn;
  LaneRing lowpassOut;

  // The inputs the coefficients above were last worked out from; a tick
  // with the same inputs keeps them (NaN: never worked out).
  LaneFloats formantFromPosition, formantFromOctaves, formantFromVowelPitch;
  LaneFloats formantFromWidthK, formantFromWidthA, formantFromRate;
  LaneFloats stepFromOctaves, stepFromRate;
  LaneFloats lowpassFromEnv, lowpassFromDepth, lowpassFromFreq, lowpassFromQ, lowpassFromRate;

  // Bit v set while voice v's four resonators may hold different input
  // rings (after one of them ran away and was cleared). Last, so that every
  // lane array above starts on a vector boundary.
  std::int32_t divergedInputs;
};
static_assert(offsetof(VoiceLanes, divergedInputs) % 32 == 0, "lane arrays fill whole vectors");
