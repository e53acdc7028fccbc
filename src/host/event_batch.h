// The MIDI events of one block in the layout effProcessEvents takes: a
// VstEvents header followed by pointers to VstMidiEvent records.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "frame/vst2.h"
#include "host/timeline.h"

namespace vyrtal::host {

class EventBatch {
 public:
  void clear() { midi_.clear(); }
  void add(const TimedMidi& event, VstInt32 deltaFrames);
  bool empty() const { return midi_.empty(); }
  std::size_t size() const { return midi_.size(); }

  // Valid until the next add() or clear().
  VstEvents* events();

 private:
  std::vector<VstMidiEvent> midi_;
  std::vector<VstIntPtr> storage_;  // VstEvents header and pointer array
};

}  // namespace vyrtal::host
