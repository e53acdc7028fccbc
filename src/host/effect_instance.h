// One instance of a loaded plug-in, driven in the usual host order: open,
// sample rate, block size, program, resume, events and process per block,
// suspend, close (the destructor suspends and closes).
#pragma once

#include <string>

#include "frame/vst2.h"
#include "host/host_callback.h"
#include "host/plugin_loader.h"

namespace vyrtal::host {

class EffectInstance {
 public:
  // Calls the entry point and opens the effect; throws HostError when it
  // gives no effect or something that is not one.
  EffectInstance(const PluginLibrary& library, HostContext& host);
  ~EffectInstance();
  EffectInstance(const EffectInstance&) = delete;
  EffectInstance& operator=(const EffectInstance&) = delete;

  AEffect& effect() { return *effect_; }
  const AEffect& effect() const { return *effect_; }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) const;

  void setSampleRate(double rate);
  void setBlockSize(VstInt32 size);
  void setProgram(VstInt32 program);
  void resume();
  void suspend();
  bool resumed() const { return resumed_; }

  void sendEvents(VstEvents* events);
  // Replacing when the plug-in can, else accumulating into zeroed outputs.
  void process(float** inputs, float** outputs, VstInt32 frames);

  std::string effectName() const;
  std::string vendorString() const;
  std::string productString() const;
  VstInt32 vendorVersion() const;
  VstInt32 program() const;
  std::string programName(VstInt32 program);
  std::string parameterName(VstInt32 index) const;
  std::string parameterDisplay(VstInt32 index) const;
  std::string parameterLabel(VstInt32 index) const;
  float parameter(VstInt32 index) const;
  void setParameter(VstInt32 index, float value);

  VstInt32 numPrograms() const { return effect_->numPrograms; }
  VstInt32 numParams() const { return effect_->numParams; }
  VstInt32 numInputs() const { return effect_->numInputs; }
  VstInt32 numOutputs() const { return effect_->numOutputs; }

 private:
  std::string text(VstInt32 opcode, VstInt32 index) const;

  AEffect* effect_ = nullptr;
  HostContext& host_;
  bool resumed_ = false;
};

}  // namespace vyrtal::host
