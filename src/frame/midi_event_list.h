// A VstEvents list of up to N MIDI messages in storage of its own, filled
// without touching the heap, so that a host can build it on its audio thread.
#pragma once

#include <array>
#include <cstddef>

#include "frame/vst2.h"

template <std::size_t N>
class FixedMidiEventList {
 public:
  static constexpr std::size_t kCapacity = N;

  void Clear() { count = 0; }
  bool Empty() const { return count == 0; }
  bool Full() const { return count == N; }

  // A message beyond the capacity is dropped (and answers false).
  bool Add(unsigned char status, unsigned char data1, unsigned char data2, VstInt32 delta) {
    if (count == N) return false;
    VstMidiEvent& event = midi[count];
    event = VstMidiEvent{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = delta;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    ++count;
    return true;
  }

  // The list as effProcessEvents takes it; valid until the next Add or Clear.
  VstEvents* List() {
    auto* events = reinterpret_cast<VstEvents*>(storage.data());
    events->numEvents = static_cast<VstInt32>(count);
    VstEvent** entries = events->events;  // as many entries as the storage holds
    for (std::size_t i = 0; i < count; ++i) entries[i] = reinterpret_cast<VstEvent*>(&midi[i]);
    return events;
  }

 private:
  std::array<VstMidiEvent, N> midi{};
  alignas(VstEvents) std::array<char, sizeof(VstEvents) + N * sizeof(VstEvent*)> storage{};
  std::size_t count = 0;
};
