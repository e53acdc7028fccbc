#include "host/event_batch.h"

#include <algorithm>
#include <cstddef>

namespace vyrtal::host {

void EventBatch::add(const TimedMidi& event, VstInt32 deltaFrames) {
  VstMidiEvent midi{};
  midi.type = kVstMidiType;
  midi.byteSize = sizeof(VstMidiEvent);
  midi.deltaFrames = deltaFrames;
  for (std::size_t i = 0; i < event.size && i < 3; ++i) midi.midiData[i] = static_cast<char>(event.bytes[i]);
  midi_.push_back(midi);
}

VstEvents* EventBatch::events() {
  constexpr std::size_t kHeaderWords = offsetof(VstEvents, events) / sizeof(VstIntPtr);
  const std::size_t words = std::max(sizeof(VstEvents) / sizeof(VstIntPtr), kHeaderWords + midi_.size());
  storage_.assign(words, 0);
  auto* events = reinterpret_cast<VstEvents*>(storage_.data());
  events->numEvents = static_cast<VstInt32>(midi_.size());
  auto** pointers = reinterpret_cast<VstEvent**>(storage_.data() + kHeaderWords);
  for (std::size_t i = 0; i < midi_.size(); ++i) pointers[i] = reinterpret_cast<VstEvent*>(&midi_[i]);
  return events;
}

}  // namespace vyrtal::host
