#include "host/effect_instance.h"

#include <array>

#include "host/host_error.h"

namespace vyrtal::host {
namespace {

// Plug-ins often write past the interface's short string limits; give them
// room and always end the text.
constexpr std::size_t kTextRoom = 512;

}  // namespace

EffectInstance::EffectInstance(const PluginLibrary& library, HostContext& host) : host_(host) {
  effect_ = library.entry()(&HostContext::Callback);
  if (effect_ == nullptr) throw HostError("plug-in " + library.path() + ": its entry point returned no effect");
  if (effect_->magic != kEffectMagic)
    throw HostError("plug-in " + library.path() + ": its entry point returned something that is not a VST 2 effect");
  if (effect_->dispatcher == nullptr)
    throw HostError("plug-in " + library.path() + ": its effect has no dispatcher");
  host_.attach(effect_);
  dispatch(effOpen);
}

EffectInstance::~EffectInstance() {
  if (resumed_) suspend();
  dispatch(effClose);
}

VstIntPtr EffectInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void EffectInstance::setSampleRate(double rate) {
  host_.setSampleRate(rate);
  dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
}

void EffectInstance::setBlockSize(VstInt32 size) {
  host_.setBlockSize(size);
  dispatch(effSetBlockSize, 0, size);
}

void EffectInstance::setProgram(VstInt32 program) {
  dispatch(effBeginSetProgram);
  dispatch(effSetProgram, 0, program);
  dispatch(effEndSetProgram);
}

void EffectInstance::resume() {
  dispatch(effMainsChanged, 0, 1);
  resumed_ = true;
}

void EffectInstance::suspend() {
  dispatch(effMainsChanged, 0, 0);
  resumed_ = false;
}

void EffectInstance::sendEvents(VstEvents* events) { dispatch(effProcessEvents, 0, 0, events); }

void EffectInstance::process(float** inputs, float** outputs, VstInt32 frames) {
  host_.setProcessing(true);
  if ((effect_->flags & effFlagsCanReplacing) != 0 && effect_->processReplacing != nullptr) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
  } else if (effect_->process != nullptr) {
    for (VstInt32 c = 0; c < numOutputs(); ++c)
      for (VstInt32 i = 0; i < frames; ++i) outputs[c][i] = 0.0f;
    effect_->process(effect_, inputs, outputs, frames);
  }
  host_.setProcessing(false);
}

std::string EffectInstance::text(VstInt32 opcode, VstInt32 index) const {
  std::array<char, kTextRoom> buffer{};
  dispatch(opcode, index, 0, buffer.data());
  buffer.back() = '\0';
  return buffer.data();
}

std::string EffectInstance::effectName() const { return text(effGetEffectName, 0); }
std::string EffectInstance::vendorString() const { return text(effGetVendorString, 0); }
std::string EffectInstance::productString() const { return text(effGetProductString, 0); }
VstInt32 EffectInstance::vendorVersion() const { return static_cast<VstInt32>(dispatch(effGetVendorVersion)); }
VstInt32 EffectInstance::program() const { return static_cast<VstInt32>(dispatch(effGetProgram)); }

std::string EffectInstance::programName(VstInt32 program) {
  std::array<char, kTextRoom> buffer{};
  if (dispatch(effGetProgramNameIndexed, program, -1, buffer.data()) != 0) {
    buffer.back() = '\0';
    return buffer.data();
  }
  // Older plug-ins only name the current program: visit and come back.
  const VstInt32 current = this->program();
  dispatch(effSetProgram, 0, program);
  std::string name = text(effGetProgramName, 0);
  dispatch(effSetProgram, 0, current);
  return name;
}

std::string EffectInstance::parameterName(VstInt32 index) const { return text(effGetParamName, index); }
std::string EffectInstance::parameterDisplay(VstInt32 index) const { return text(effGetParamDisplay, index); }
std::string EffectInstance::parameterLabel(VstInt32 index) const { return text(effGetParamLabel, index); }

float EffectInstance::parameter(VstInt32 index) const {
  return effect_->getParameter != nullptr ? effect_->getParameter(effect_, index) : 0.0f;
}

void EffectInstance::setParameter(VstInt32 index, float value) {
  if (effect_->setParameter != nullptr) effect_->setParameter(effect_, index, value);
}

}  // namespace vyrtal::host
