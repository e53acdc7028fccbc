// The base editor: the editor operations the dispatcher forwards, with
// neutral answers.
#pragma once

#include "frame/vst2.h"

class AudioEffect;

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
  virtual ~AEffEditor() = default;

  AEffEditor(const AEffEditor&) = delete;
  AEffEditor& operator=(const AEffEditor&) = delete;

  virtual VstInt32 getRect(ERect** /*rect*/) { return 0; }
  virtual VstInt32 open(void* ptr) {
    systemWindow = ptr;
    return 0;
  }
  virtual void close() {}
  virtual void idle() {
    if (updateFlag != 0) {
      updateFlag = 0;
      update();
    }
  }
  virtual void update() {}
  virtual void postUpdate() { updateFlag = 1; }
  virtual VstInt32 onKeyDown(VstKeyCode& /*keyCode*/) { return -1; }
  virtual VstInt32 onKeyUp(VstKeyCode& /*keyCode*/) { return -1; }
  virtual VstInt32 setKnobMode(VstInt32 /*mode*/) { return 0; }
  virtual bool onWheel(float /*distance*/) { return false; }

 protected:
  AudioEffect* effect;
  void* systemWindow = nullptr;
  VstInt32 updateFlag = 0;
};
