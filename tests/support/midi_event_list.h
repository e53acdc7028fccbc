// A VstEvents list of up to kCapacity MIDI messages in storage of its own,
// filled without touching the heap, so that it can be built on a thread
// whose allocations are counted or raced against.
#pragma once

#include <array>
#include <cstddef>

#include "frame/vst2.h"

class MidiEventList {
 public:
  static constexpr std::size_t kCapacity = 8;

  void Clear() { count = 0; }
  // Messages beyond the capacity are dropped.
  void Add(unsigned char status, unsigned char data1, unsigned char data2, VstInt32 delta) {
    if (count == midi.size()) return;
    VstMidiEvent& event = midi[count];
    event = VstMidiEvent{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = delta;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    ++count;
  }
  VstEvents* List() {
    auto* events = reinterpret_cast<VstEvents*>(storage.data());
    events->numEvents = static_cast<VstInt32>(count);
    VstEvent** entries = events->events;  // as many entries as the storage holds
    for (std::size_t i = 0; i < count; ++i) entries[i] = reinterpret_cast<VstEvent*>(&midi[i]);
    return events;
  }

 private:
  std::array<VstMidiEvent, kCapacity> midi{};
  alignas(VstEvents) std::array<char, sizeof(VstEvents) + kCapacity * sizeof(VstEvent*)> storage{};
  std::size_t count = 0;
};
