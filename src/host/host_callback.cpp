#include "host/host_callback.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string_view>

namespace vyrtal::host {
namespace {

constexpr double kDefaultSampleRate = 44100.0;
constexpr VstInt32 kDefaultBlockSize = 512;
constexpr VstIntPtr kProcessLevelUser = 1;
constexpr VstIntPtr kProcessLevelRealtime = 2;
constexpr VstIntPtr kAutomationOff = 1;
constexpr VstIntPtr kLanguageEnglish = 1;

// What this host does for a plug-in; it takes no events back from one.
constexpr std::array<std::string_view, 3> kCapabilities{"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo"};

void CopyText(void* ptr, const char* text, std::size_t capacity) {
  if (ptr == nullptr) return;
  auto* out = static_cast<char*>(ptr);
  std::strncpy(out, text, capacity - 1);
  out[capacity - 1] = '\0';
}

// Answers that need no instance state: what the host says to a plug-in
// whose effect is not attached yet (calls from inside its entry point).
VstIntPtr DefaultAnswer(VstInt32 opcode, void* ptr) {
  switch (opcode) {
    case audioMasterVersion:
      return kHostVstVersion;
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(kDefaultSampleRate);
    case audioMasterGetBlockSize:
      return kDefaultBlockSize;
    case audioMasterGetVendorString:
      CopyText(ptr, kHostVendor, kVstMaxVendorStrLen);
      return 1;
    case audioMasterGetProductString:
      CopyText(ptr, kHostProduct, kVstMaxProductStrLen);
      return 1;
    case audioMasterGetVendorVersion:
      return kHostVendorVersion;
    case audioMasterCanDo:
      return ptr != nullptr ? HostCanDo(static_cast<const char*>(ptr)) : 0;
    case audioMasterGetLanguage:
      return kLanguageEnglish;
    case audioMasterGetCurrentProcessLevel:
      return kProcessLevelUser;
    case audioMasterGetAutomationState:
      return kAutomationOff;
    case audioMasterTempoAt:
      return 120 * 10000;
    default:
      return 0;
  }
}

}  // namespace

VstIntPtr HostCanDo(const char* capability) {
  for (std::string_view known : kCapabilities)
    if (known == capability) return 1;
  return -1;
}

HostContext::HostContext(double sampleRate, VstInt32 blockSize) : sampleRate_(sampleRate), blockSize_(blockSize) {}

VstIntPtr VSTCALLBACK HostContext::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt) {
  if (effect != nullptr && effect->resvd1 != 0)
    return reinterpret_cast<HostContext*>(effect->resvd1)->handle(effect, opcode, index, value, ptr, opt);
  return DefaultAnswer(opcode, ptr);
}

void HostContext::attach(AEffect* effect) { effect->resvd1 = reinterpret_cast<VstIntPtr>(this); }

MusicalPosition HostContext::positionAt(std::int64_t frame) const {
  if (tempoMap_ != nullptr) return tempoMap_->at(frame);
  MusicalPosition position;
  position.ppq = static_cast<double>(frame) / sampleRate_ * position.bpm / 60.0;
  position.barStartPpq = std::floor(position.ppq / 4.0) * 4.0;
  return position;
}

VstTimeInfo* HostContext::fillTimeInfo() {
  const MusicalPosition position = positionAt(frame_);
  timeInfo_ = VstTimeInfo{};
  timeInfo_.samplePos = static_cast<double>(frame_);
  timeInfo_.sampleRate = sampleRate_;
  timeInfo_.nanoSeconds = static_cast<double>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
  timeInfo_.ppqPos = position.ppq;
  timeInfo_.tempo = position.bpm;
  timeInfo_.barStartPos = position.barStartPpq;
  timeInfo_.timeSigNumerator = position.numerator;
  timeInfo_.timeSigDenominator = position.denominator;
  timeInfo_.flags = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
  if (playing_) timeInfo_.flags |= kVstTransportPlaying;
  return &timeInfo_;
}

VstIntPtr HostContext::handle(AEffect* /*effect*/, VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/, void* ptr,
                              float opt) {
  switch (opcode) {
    case audioMasterAutomate:
      automation_.push_back({index, opt});
      if (log_ != nullptr) *log_ << "automate: parameter " << index << " = " << opt << "\n";
      return 0;
    case audioMasterWantMidi:
      midiWanted_ = true;
      return 1;
    case audioMasterGetTime:
      return reinterpret_cast<VstIntPtr>(fillTimeInfo());
    case audioMasterTempoAt:
      // Plug-ins pass 0 or a position of their own; like most hosts, answer
      // with the tempo where the transport is.
      return static_cast<VstIntPtr>(std::lround(positionAt(frame_).bpm * 10000.0));
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(std::lround(sampleRate_));
    case audioMasterGetBlockSize:
      return blockSize_;
    case audioMasterGetCurrentProcessLevel:
      return processing_ ? kProcessLevelRealtime : kProcessLevelUser;
    case audioMasterIdle:
    case audioMasterNeedIdle:
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
      return 1;
    case audioMasterIOChanged:
    case audioMasterSizeWindow:
    case audioMasterProcessEvents:
      if (log_ != nullptr) *log_ << "host: request " << opcode << " not supported\n";
      return 0;
    default:
      return DefaultAnswer(opcode, ptr);
  }
}

}  // namespace vyrtal::host
