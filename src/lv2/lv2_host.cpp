#include "lv2/lv2_host.h"

#include <cmath>

namespace vyrtal::lv2 {

namespace {

// The interface version the instrument is told it talks to.
constexpr VstIntPtr kHostVstVersion = 2400;

// Tempo requests answer in beats per minute times this, from a tempo no
// larger than the most the answer holds on every platform.
constexpr double kTempoAtScale = 10000.0;
constexpr double kLargestTempoAt = 200000.0;

}  // namespace

Lv2Host::Lv2Host(double sampleRate, VstInt32 blockSize) : sampleRate(sampleRate), blockSize(blockSize) {
  timeInfo.sampleRate = sampleRate;
}

VstIntPtr VSTCALLBACK Lv2Host::Callback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (effect != nullptr && effect->resvd1 != 0) return reinterpret_cast<Lv2Host*>(effect->resvd1)->Answer(opcode);
  return opcode == audioMasterVersion ? kHostVstVersion : 0;
}

void Lv2Host::Attach(AEffect* effect) {
  if (effect != nullptr) effect->resvd1 = reinterpret_cast<VstIntPtr>(this);
}

void Lv2Host::SetTempo(double beatsPerMinute) {
  if (!std::isfinite(beatsPerMinute) || beatsPerMinute <= 0.0) return;
  tempoKnown = true;
  timeInfo.tempo = beatsPerMinute;
  timeInfo.flags = kVstTempoValid;
}

// The host owns the control ports, so automation from the instrument is
// taken note of and goes nowhere.
VstIntPtr Lv2Host::Answer(VstInt32 opcode) {
  switch (opcode) {
    case audioMasterVersion:
      return kHostVstVersion;
    case audioMasterWantMidi:
      return 1;
    case audioMasterGetTime:
      return tempoKnown ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
    case audioMasterTempoAt:
      return tempoKnown ? static_cast<VstIntPtr>(std::llround(std::fmin(timeInfo.tempo, kLargestTempoAt) * kTempoAtScale)) : 0;
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(std::llround(sampleRate));
    case audioMasterGetBlockSize:
      return blockSize;
    default:
      return 0;
  }
}

}  // namespace vyrtal::lv2
