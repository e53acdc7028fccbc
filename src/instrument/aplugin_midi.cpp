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
  NoteState& notes = engine.notes;
  const int numVoices = engine.numVoices;

  if (kind == kNoteOn && byte2 != 0) {
    lastVoice = (lastVoice + 1) % numVoices;
    for (int n = 0; n < numVoices; ++n) {
      if (notes.keyDown[static_cast<std::size_t>(lastVoice)].load(std::memory_order_relaxed) == 1) {
        lastVoice = (lastVoice + 1) % numVoices;
      }
    }
    const auto v = static_cast<std::size_t>(lastVoice);
    notes.keyDown[v].store(1, std::memory_order_relaxed);
    notes.attacking[v] = 1;
    notes.noteTarget[v] = static_cast<float>(byte1);
    notes.velocity[v] = static_cast<float>(byte2) / 127.0f;
    notes.ampEnv[v] = 0.0f;
    notes.filterEnv[v] = 1.0f;
  } else if (kind == kNoteOff || kind == kNoteOn) {
    for (int v = 0; v < numVoices; ++v) {
      if (notes.noteTarget[static_cast<std::size_t>(v)] == static_cast<float>(byte1)) {
        notes.keyDown[static_cast<std::size_t>(v)].store(0, std::memory_order_relaxed);
      }
    }
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
