// MIDI events waiting for their sample inside the coming block. A fixed
// ring of plain copies, filled by processEvents and drained by the render
// entry points, both on the audio thread.
#pragma once

#include <array>
#include <cstdint>

struct QueuedMidiEvent {
  std::int32_t deltaFrames;
  std::array<unsigned char, 3> data;
};

class EventQueue {
 public:
  static constexpr int kCapacity = 512;  // far more than a block carries in practice

  void Clear() { count = 0; }
  bool Empty() const { return count == 0; }
  int Size() const { return count; }

  // Keeps the queue ordered by delta frame; equal times stay in arrival order.
  bool Push(const QueuedMidiEvent& e) {
    if (count == kCapacity) return false;
    int i = count++;
    while (i > 0 && events[i - 1].deltaFrames > e.deltaFrames) {
      events[i] = events[i - 1];
      --i;
    }
    events[i] = e;
    return true;
  }

  const QueuedMidiEvent& operator[](int i) const { return events[i]; }

  // Drops the first n events.
  void PopFront(int n) {
    for (int i = n; i < count; ++i) events[i - n] = events[i];
    count -= n;
  }

 private:
  std::array<QueuedMidiEvent, kCapacity> events{};
  int count = 0;
};
