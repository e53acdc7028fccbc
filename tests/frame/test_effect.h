// A minimal effect on the frame alone, to see the frame's own behaviour.
#pragma once

#include "frame/aeff_editor.h"
#include "frame/audio_effect_x.h"

class TestEffect : public AudioEffectX {
 public:
  TestEffect(audioMasterCallback host, VstInt32 programs = 16, VstInt32 params = 50, bool* destroyed = nullptr)
      : AudioEffectX(host, programs, params), destroyed(destroyed) {}
  ~TestEffect() override {
    if (destroyed != nullptr) *destroyed = true;
  }
  void process(float**, float**, VstInt32) override {}
  void suspend() override { ++suspends; }
  void resume() override { ++resumes; }
  void close() override { ++closes; }
  void setProgram(VstInt32 program) override {
    lastProgram = program;
    AudioEffectX::setProgram(program);
  }
  float getVu() override { return vu; }

  using AudioEffect::blockSize;
  using AudioEffect::sampleRate;

  bool* destroyed;
  int suspends = 0;
  int resumes = 0;
  int closes = 0;
  VstInt32 lastProgram = -100;
  float vu = 0.0f;
};

// An editor that notes what reached it.
class TestEditor : public AEffEditor {
 public:
  TestEditor(AudioEffect* effect, bool* destroyed = nullptr) : AEffEditor(effect), destroyed(destroyed) {}
  ~TestEditor() override {
    if (destroyed != nullptr) *destroyed = true;
  }
  void* System() const { return systemWindow; }
  int Flag() const { return updateFlag; }
  void update() override { ++updates; }
  bool* destroyed;
  int updates = 0;
};
