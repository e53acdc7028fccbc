// The host's side of the VST 2 conversation: the callback a plug-in calls,
// and the state it answers from (sample rate, block size, transport and
// tempo, the plug-in's requests).
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "frame/vst2.h"
#include "host/tempo_map.h"

namespace vyrtal::host {

constexpr VstInt32 kHostVstVersion = 2400;
constexpr const char* kHostVendor = "Vyrtal";
constexpr const char* kHostProduct = "vyrtal command-line host";
constexpr VstInt32 kHostVendorVersion = 1000;

struct AutomationRecord {
  VstInt32 index;
  float value;
};

class HostContext {
 public:
  HostContext(double sampleRate, VstInt32 blockSize);
  HostContext(const HostContext&) = delete;
  HostContext& operator=(const HostContext&) = delete;

  // The function handed to the plug-in's entry point. Before attach() has
  // run for an effect, it answers from the host's defaults.
  static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                        float opt);

  // Ties an effect to this context (through the record's host field).
  void attach(AEffect* effect);

  void setSampleRate(double rate) { sampleRate_ = rate; }
  void setBlockSize(VstInt32 size) { blockSize_ = size; }
  double sampleRate() const { return sampleRate_; }
  VstInt32 blockSize() const { return blockSize_; }

  // Transport: the tempo map to report from (may be null: 120 BPM, 4/4),
  // the frame of the next block, and whether it plays.
  void setTempoMap(const TempoMap* map) { tempoMap_ = map; }
  void setPosition(std::int64_t frame) { frame_ = frame; }
  void setPlaying(bool playing) { playing_ = playing; }
  void setProcessing(bool processing) { processing_ = processing; }

  // Verbose messages go here when set.
  void setLog(std::ostream* log) { log_ = log; }

  const std::vector<AutomationRecord>& automation() const { return automation_; }
  bool midiWanted() const { return midiWanted_; }

  VstIntPtr handle(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

 private:
  MusicalPosition positionAt(std::int64_t frame) const;
  VstTimeInfo* fillTimeInfo();

  double sampleRate_;
  VstInt32 blockSize_;
  const TempoMap* tempoMap_ = nullptr;
  std::int64_t frame_ = 0;
  bool playing_ = false;
  bool processing_ = false;
  bool midiWanted_ = false;
  std::ostream* log_ = nullptr;
  std::vector<AutomationRecord> automation_;
  VstTimeInfo timeInfo_{};
};

// The host's answer to audioMasterCanDo for one capability: 1 yes, -1 no.
VstIntPtr HostCanDo(const char* capability);

}  // namespace vyrtal::host
