#include "engine/sound_engine.h"

void SoundEngine::Init(const ParamArray* p, TempoSource* t) {
  param = p;
  tempoSource = t;
  curSampleRate = 44100.0f;
  numVoices = 6;
}

void SoundEngine::Render(const float*, float* left, float* right, std::int32_t count, bool replace) {
  if (!replace) return;
  for (std::int32_t i = 0; i < count; ++i) {
    left[i] = 0.0f;
    right[i] = 0.0f;
  }
}

void SoundEngine::ClearLines() {}
void SoundEngine::ResetRunningSound() {}
void SoundEngine::SeedNoise(std::uint32_t) {}
