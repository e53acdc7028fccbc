// A scriptable host for tests: answers the host callback, records what the
// plug-in asks. One host is active at a time (the callback carries no user
// pointer the plug-in would let us choose).
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "frame/vst2.h"

class FakeHost {
 public:
  FakeHost() { active() = this; }
  ~FakeHost() {
    if (active() == this) active() = nullptr;
  }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                        void* ptr, float opt) {
    FakeHost* host = active();
    return host != nullptr ? host->Answer(effect, opcode, index, value, ptr, opt) : 0;
  }

  // Answers.
  VstIntPtr version = 2400;
  VstIntPtr tempoAtAnswer = 0;       // beats per minute times 10000; 0 = no tempo
  bool timeInfoAvailable = false;    // answer audioMasterGetTime
  VstTimeInfo timeInfo{};

  // What the plug-in asked.
  int Calls(VstInt32 opcode) const {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = calls.find(opcode);
    return it == calls.end() ? 0 : it->second;
  }
  std::vector<std::pair<VstInt32, float>> Automations() const {
    std::lock_guard<std::mutex> lock(mutex);
    return automations;
  }
  void ClearRecords() {
    std::lock_guard<std::mutex> lock(mutex);
    calls.clear();
    automations.clear();
  }

 private:
  static FakeHost*& active() {
    static FakeHost* host = nullptr;
    return host;
  }

  VstIntPtr Answer(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++calls[opcode];
      if (opcode == audioMasterAutomate) automations.emplace_back(index, opt);
    }
    switch (opcode) {
      case audioMasterVersion:
        return version;
      case audioMasterTempoAt:
        return tempoAtAnswer;
      case audioMasterGetTime:
        return timeInfoAvailable ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
      default:
        return 0;
    }
  }

  mutable std::mutex mutex;
  std::map<VstInt32, int> calls;
  std::vector<std::pair<VstInt32, float>> automations;
};
