// MIDI input: notes take voices round-robin, controllers 83..92 move their
// parameters. Events with a delta frame inside the coming block wait in a
// queue and act just before the sample at their offset.
#include "instrument/aplugin.h"

namespace {

constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kNoteOn = 0x90;
constexpr unsigned char kControlChange = 0xB0;
constexpr unsigned char kPitchBend = 0xE0;
constexpr int kIgnoredController = 126;  // mono mode on: no effect at all

}  // namespace

VstInt32 APlugin::processEvents(VstEvents* events) {
  ApplyResetRequests();
  if (events == nullptr) return 1;
  // The list holds numEvents pointers, more than the two its declaration
  // names: they are read through a pointer, not by indexing that array.
  VstEvent* const* list = events->events;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = list[i];
    if (event == nullptr || event->type != kVstMidiType) continue;
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    const auto* bytes = reinterpret_cast<const unsigned char*>(midi->midiData);
    QueuedMidiEvent queued{midi->deltaFrames, {bytes[0], bytes[1], bytes[2]}};
    if (queued.deltaFrames <= 0 || !pending.Push(queued)) HandleMidi(queued.data.data());
  }
  return 1;
}

void APlugin::HandleMidi(const unsigned char* data) {
  const unsigned char kind = data[0] & 0xF0;
  const int byte1 = data[1] & 0x7F;
  const int byte2 = data[2];
  if (kind == kNoteOn && byte2 != 0) {
    engine.NoteOn(byte1, byte2);
  } else if (kind == kNoteOff || kind == kNoteOn) {
    engine.NoteOff(byte1);
  } else if (kind == kControlChange) {
    if (byte1 == kIgnoredController) return;
    // A mapped controller's setParameter already refreshes the editor;
    // any other controller refreshes it here.
    const float value = static_cast<float>(byte2) / 127.0f;
    for (const ControllerMapping& mapping : kControllerMap) {
      if (mapping.controller == byte1) {
        setParameter(mapping.parameter, value);
        return;
      }
    }
    UpdateEditor();
  } else if (kind == kPitchBend) {
    UpdateEditor();
  }
}
