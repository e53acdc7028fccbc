// VstEvents lists for effProcessEvents, built from the stream the way a
// host lays them out: the header followed by the pointer array, which
// really holds numEvents entries when numEvents is positive. The count may
// also be zero or negative; entries may be null; each event is MIDI, SysEx
// (its dump as long as dumpBytes says) or of another type, with any size
// field, delta frame, flags and data bytes. The records stay in place
// until the next Build.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/vst2.h"
#include "fuzz_stream.h"
#include "fuzz_values.h"

namespace fuzz {

// The SysEx event record hosts send: the common event header, then the
// dump's length and address.
struct SysExEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 dumpBytes;
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};

class FuzzEventList {
 public:
  static constexpr int kMaxEvents = 1024;

  // maxFrames bounds the delta frames meant to fall inside a block.
  VstEvents* Build(FuzzStream& in, VstInt32 maxFrames) {
    const VstInt32 numEvents = Count(in);
    const std::size_t entries = numEvents > 0 ? static_cast<std::size_t>(numEvents) : 0;
    midi.clear();
    sysex.clear();
    other.clear();
    dumps.clear();
    // Reserved up front: the pointers below must not move.
    midi.reserve(entries);
    sysex.reserve(entries);
    other.reserve(entries);
    dumps.reserve(entries);

    std::vector<VstEvent*> pointers(entries, nullptr);
    for (VstEvent*& pointer : pointers) pointer = MakeEvent(in, maxFrames);

    constexpr std::size_t kHeaderWords = offsetof(VstEvents, events) / sizeof(VstIntPtr);
    storage.assign(std::max(sizeof(VstEvents) / sizeof(VstIntPtr), kHeaderWords + entries), 0);
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = numEvents;
    std::copy(pointers.begin(), pointers.end(), reinterpret_cast<VstEvent**>(storage.data() + kHeaderWords));
    return list;
  }

 private:
  static VstInt32 Count(FuzzStream& in) {
    const std::uint8_t selector = in.U8();
    switch (selector) {
      case 0xFF:
        return in.U8() < 0x80 ? -1 - in.U8() : INT_MIN;
      case 0xFE:
        return in.U16() % (kMaxEvents + 1);
      default:
        return selector;
    }
  }

  VstEvent* MakeEvent(FuzzStream& in, VstInt32 maxFrames) {
    const std::uint8_t kind = in.U8();
    switch (kind % 8) {
      case 0:
        return nullptr;
      case 1:
        return MakeSysEx(in, maxFrames);
      case 2:
        return MakeOther(in, maxFrames);
      default:
        return MakeMidi(in, maxFrames);
    }
  }

  static VstInt32 ByteSize(FuzzStream& in, VstInt32 natural) {
    const std::uint8_t selector = in.U8();
    if (selector < 0xE0) return natural;
    if (selector < 0xF0) return selector - 0xE8;
    return in.I32();
  }

  static VstInt32 Flags(FuzzStream& in) {
    const std::uint8_t selector = in.U8();
    return selector < 0xF0 ? selector & 1 : in.I32();
  }

  VstEvent* MakeMidi(FuzzStream& in, VstInt32 maxFrames) {
    VstMidiEvent& e = midi.emplace_back();
    e.type = kVstMidiType;
    e.byteSize = ByteSize(in, sizeof(VstMidiEvent));
    e.deltaFrames = DeltaFrames(in, maxFrames);
    e.flags = Flags(in);
    for (char& b : e.midiData) b = static_cast<char>(in.U8());
    const std::uint8_t extras = in.U8();
    if (extras >= 0xC0) {
      e.noteLength = in.I32();
      e.noteOffset = in.I32();
      e.detune = static_cast<char>(in.U8());
      e.noteOffVelocity = static_cast<char>(in.U8());
      e.reserved1 = static_cast<char>(in.U8());
      e.reserved2 = static_cast<char>(in.U8());
    }
    return reinterpret_cast<VstEvent*>(&e);
  }

  VstEvent* MakeSysEx(FuzzStream& in, VstInt32 maxFrames) {
    std::vector<char>& dump = dumps.emplace_back(in.U8());
    for (char& b : dump) b = static_cast<char>(in.U8());
    SysExEvent& e = sysex.emplace_back();
    e.type = kVstSysExType;
    e.byteSize = ByteSize(in, sizeof(SysExEvent));
    e.deltaFrames = DeltaFrames(in, maxFrames);
    e.flags = Flags(in);
    // The dump is at least as long as the record says.
    e.dumpBytes = static_cast<VstInt32>(dump.size()) - in.U8() % 2;
    if (e.dumpBytes < 0) e.dumpBytes = 0;
    e.sysexDump = dump.empty() ? nullptr : dump.data();
    return reinterpret_cast<VstEvent*>(&e);
  }

  VstEvent* MakeOther(FuzzStream& in, VstInt32 maxFrames) {
    VstEvent& e = other.emplace_back();
    // Any type but SysEx, whose record is laid out differently; a MIDI type
    // here is a whole MIDI record, as the two records have the same size.
    e.type = in.I32();
    if (e.type == kVstSysExType) e.type = 0;
    e.byteSize = ByteSize(in, sizeof(VstEvent));
    e.deltaFrames = DeltaFrames(in, maxFrames);
    e.flags = Flags(in);
    for (char& b : e.data) b = static_cast<char>(in.U8());
    return &e;
  }

  std::vector<VstMidiEvent> midi;
  std::vector<SysExEvent> sysex;
  std::vector<VstEvent> other;
  std::vector<std::vector<char>> dumps;
  std::vector<VstIntPtr> storage;
};

static_assert(sizeof(VstMidiEvent) == sizeof(VstEvent));
static_assert(sizeof(SysExEvent) >= sizeof(VstEvent));

}  // namespace fuzz
