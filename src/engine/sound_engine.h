// The render loop: turns parameter values and note state into stereo samples.
#pragma once

#include <cstdint>

#include "engine/note_state.h"
#include "engine/param_array.h"
#include "engine/tempo_source.h"

class SoundEngine {
 public:
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

  float curSampleRate = 44100.0f;
  int numVoices = 6;
  NoteState notes;

 private:
  const ParamArray* param = nullptr;
  TempoSource* tempoSource = nullptr;
};
