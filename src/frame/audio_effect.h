// The base effect: owns the effect record the host holds, routes the host's
// calls through it to virtual operations, and wraps the calls back to the host.
#pragma once

#include <atomic>
#include <memory>

#include "frame/vst2.h"

class AEffEditor;

class AudioEffect {
 public:
  AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
  virtual ~AudioEffect();

  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  virtual void setSampleRate(float rate);
  virtual void setBlockSize(VstInt32 size);
  virtual void setParameter(VstInt32 index, float value);
  virtual float getParameter(VstInt32 index);
  virtual void setParameterAutomated(VstInt32 index, float value);
  virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
  virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
  virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  virtual void open();
  virtual void close();
  virtual VstInt32 getProgram();
  virtual void setProgram(VstInt32 program);
  virtual void setProgramName(char* name);
  virtual void getProgramName(char* name);
  virtual void getParameterLabel(VstInt32 index, char* label);
  virtual void getParameterDisplay(VstInt32 index, char* text);
  virtual void getParameterName(VstInt32 index, char* text);
  virtual float getVu();
  virtual VstInt32 getChunk(void** data, bool isPreset);
  virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);
  virtual void suspend();
  virtual void resume();
  virtual void setUniqueID(VstInt32 id);
  virtual void setNumInputs(VstInt32 inputs);
  virtual void setNumOutputs(VstInt32 outputs);
  virtual void hasVu(bool state);
  virtual void hasClip(bool state);
  virtual void canMono(bool state);
  virtual void canProcessReplacing(bool state);
  virtual void programsAreChunks(bool state);
  virtual void setRealtimeQualities(VstInt32 qualities);
  virtual void setOfflineQualities(VstInt32 qualities);
  virtual void setInitialDelay(VstInt32 delay);
  virtual VstInt32 getMasterVersion();
  virtual VstInt32 getCurrentUniqueId();
  virtual void masterIdle();
  virtual bool isInputConnected(VstInt32 input);
  virtual bool isOutputConnected(VstInt32 output);

  AEffect* getAeffect() { return &cEffect; }
  void setEditor(std::unique_ptr<AEffEditor> newEditor);
  AEffEditor* getEditor() const { return editor.get(); }

  // The sample rates a host may set; anything else (zero, negative, not a
  // number, absurd) is ignored so that nothing downstream divides by zero.
  static bool IsUsableSampleRate(float rate);

 protected:
  void setFlag(VstInt32 flag, bool state);
  VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);

  AEffect cEffect{};
  // Set on the host's UI thread, read wherever a program change runs.
  std::atomic<float> sampleRate{44100.0f};
  std::unique_ptr<AEffEditor> editor;
  VstInt32 numPrograms = 0;
  VstInt32 numParams = 0;
  std::atomic<VstInt32> curProgram{0};  // read by the audio thread when it stores a parameter
  std::atomic<VstInt32> blockSize{1024};
  audioMasterCallback audioMaster = nullptr;

 private:
  static VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                   void* ptr, float opt);
  static void VSTCALLBACK processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
  static void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                                VstInt32 sampleFrames);
  static void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value);
  static float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index);
};

// Every instrument built on the frame provides this; the entry points call it.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
