// MIDI input: notes take voices round-robin, controllers 83..92 move their
// parameters; the pitch bend wheel, the sustain pedal and the channel-mode
// messages play as on any keyboard. Events with a delta frame inside the
// coming block wait in a queue and act just before the sample at their
// offset. The channel is ignored: every channel plays the instrument.
#include "instrument/aplugin.h"
#include "instrument/controller_map.h"

namespace {

constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kNoteOn = 0x90;
constexpr unsigned char kControlChange = 0xB0;
constexpr unsigned char kPitchBend = 0xE0;

constexpr int kSustainPedal = 64;        // down at 64 or more
constexpr int kAllSoundOff = 120;
constexpr int kResetControllers = 121;
constexpr int kAllNotesOff = 123;        // 124 to 127 (omni, mono, poly) as well
constexpr int kPolyModeOn = 127;
constexpr int kMonoModeOn = 126;         // releases keys, but refreshes nothing

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
    if (byte1 == kSustainPedal) {
      engine.SetSustain(byte2 >= 64);
    } else if (byte1 == kAllSoundOff) {
      engine.AllSoundOff();
    } else if (byte1 == kResetControllers) {
      pitchBend.Reset();
      engine.SetPitchBend(pitchBend.Semitones());
      engine.SetSustain(false);
    } else if (byte1 >= kAllNotesOff && byte1 <= kPolyModeOn) {
      engine.AllNotesOff();
    } else if (pitchBend.Controller(byte1, byte2 & 0x7F)) {
      engine.SetPitchBend(pitchBend.Semitones());
    }
    if (byte1 == kMonoModeOn) return;
    // A mapped controller's setParameter already refreshes the editor;
    // any other controller refreshes it here.
    const float value = static_cast<float>(byte2) / 127.0f;
    for (const ControllerMapping& mapping : kControllerMap) {
      if (mapping.controller == byte1) {
        setParameter(ParamIndex(mapping.parameter), value);
        return;
      }
    }
    UpdateEditor();
  } else if (kind == kPitchBend) {
    pitchBend.SetWheel(byte1 | (byte2 & 0x7F) << 7);
    engine.SetPitchBend(pitchBend.Semitones());
    UpdateEditor();
  }
}
