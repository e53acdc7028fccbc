// The instrument's host, as the LV2 adapter plays it: the host callback the
// instrument is made with, answering its calls from what the LV2 host gave
// (the sample rate and block sizes at instantiation, the tempo from its
// transport).
#pragma once

#include "frame/vst2.h"

namespace vyrtal::lv2 {

class Lv2Host {
 public:
  Lv2Host(double sampleRate, VstInt32 blockSize);
  Lv2Host(const Lv2Host&) = delete;
  Lv2Host& operator=(const Lv2Host&) = delete;

  // The function handed to the instrument. Before Attach it answers as a
  // host with no transport.
  static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                        void* ptr, float opt);
  // Ties the effect's calls to this host (through the record's host field).
  void Attach(AEffect* effect);

  // The transport's tempo in beats per minute; anything but a positive
  // finite number is ignored. Until a tempo is known the host reports none.
  void SetTempo(double beatsPerMinute);

 private:
  VstIntPtr Answer(VstInt32 opcode);

  double sampleRate;
  VstInt32 blockSize;
  bool tempoKnown = false;
  VstTimeInfo timeInfo{};
};

}  // namespace vyrtal::lv2
