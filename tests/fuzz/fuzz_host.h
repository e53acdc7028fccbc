// The host's side of the callback, answering from the fuzzer's data: the
// interface version it must state truthfully (2400), and for the rest
// whatever the data says, as a careless host might: negative, zero or huge
// tempos and sample rates, a time info with any tempo and flags, or none.
// Requests answered with a pointer get a valid one or null.
//
// The callback carries no context of its own, so each instance's record has
// its user field (the host's to use) pointing back at its FuzzHost; calls
// before that is set (during construction) get zeros.
#pragma once

#include <climits>
#include <cstdint>

#include "frame/vst2.h"
#include "fuzz_stream.h"
#include "fuzz_values.h"

namespace fuzz {

class FuzzHost {
 public:
  static constexpr VstIntPtr kHostVersion = 2400;

  explicit FuzzHost(FuzzStream answers) : answers(answers) {}

  FuzzHost(const FuzzHost&) = delete;
  FuzzHost& operator=(const FuzzHost&) = delete;

  static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                        void* ptr, float opt) {
    if (opcode == audioMasterVersion) return kHostVersion;
    auto* host = effect != nullptr ? static_cast<FuzzHost*>(effect->user) : nullptr;
    return host != nullptr ? host->Answer(opcode, index, value, ptr, opt) : 0;
  }

 private:
  VstIntPtr Answer(VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
      case audioMasterGetTime:
        if ((answers.U8() & 3) == 0) return 0;
        FillTimeInfo();
        return reinterpret_cast<VstIntPtr>(&timeInfo);
      case audioMasterTempoAt:
        return Tempo();
      case audioMasterGetSampleRate:
        return SampleRate();
      // Requests whose answer is a pointer, or that hand the host a buffer
      // to fill: no such thing here.
      case audioMasterGetPreviousPlug:
      case audioMasterGetNextPlug:
      case audioMasterGetSpeakerArrangement:
      case audioMasterGetVendorString:
      case audioMasterGetProductString:
      case audioMasterVendorSpecific:
      case audioMasterOpenWindow:
      case audioMasterGetDirectory:
      case audioMasterOpenFileSelector:
      case audioMasterCloseFileSelector:
      case audioMasterOfflineStart:
      case audioMasterOfflineRead:
      case audioMasterOfflineWrite:
        return 0;
      default:
        return Garbage();
    }
  }

  // Beats per minute times 10000.
  VstIntPtr Tempo() {
    switch (answers.U8() % 8) {
      case 0:
        return 0;
      case 1:
        return -1200000;
      case 2:
        return INT_MAX;
      case 3:
        return INT_MIN;
      case 4:
        return VstIntPtr{1} << 40;
      case 5:
        return static_cast<VstIntPtr>(answers.I64());
      default:
        return 600000 + static_cast<VstIntPtr>(answers.U16()) * 100;
    }
  }

  VstIntPtr SampleRate() {
    switch (answers.U8() % 6) {
      case 0:
        return 0;
      case 1:
        return -44100;
      case 2:
        return 48000;
      case 3:
        return static_cast<VstIntPtr>(answers.I64());
      default:
        return 44100;
    }
  }

  VstIntPtr Garbage() {
    const std::uint8_t selector = answers.U8();
    if (selector < 0x80) return selector % 4 - 1;
    return static_cast<VstIntPtr>(answers.I64());
  }

  void FillTimeInfo() {
    timeInfo.samplePos = Double(answers);
    timeInfo.sampleRate = Double(answers);
    timeInfo.nanoSeconds = Double(answers);
    timeInfo.ppqPos = Double(answers);
    timeInfo.tempo = Double(answers);
    timeInfo.barStartPos = Double(answers);
    timeInfo.cycleStartPos = Double(answers);
    timeInfo.cycleEndPos = Double(answers);
    timeInfo.timeSigNumerator = Index(answers);
    timeInfo.timeSigDenominator = Index(answers);
    timeInfo.smpteOffset = answers.I32();
    timeInfo.smpteFrameRate = Index(answers);
    timeInfo.samplesToNextClock = answers.I32();
    const std::uint8_t selector = answers.U8();
    timeInfo.flags = selector < 0x80 ? kVstTempoValid | kVstTransportPlaying : answers.I32();
  }

  FuzzStream answers;
  VstTimeInfo timeInfo{};
};

}  // namespace fuzz
