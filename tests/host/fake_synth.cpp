// A small VST 2 instrument for the host's tests. It plays 0.5 on both
// outputs while a key is down, starting at the block an event comes with
// (it ignores delta frames, as many plug-ins do), and records every call.
// Built several times with FAKE_* definitions for the loader's error cases.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "fake_synth_state.h"

#define FAKE_EXPORT __attribute__((visibility("default")))

namespace {

constexpr const char* kParameterNames[3] = {"Alpha", "Beta", "Gamma"};
constexpr const char* kProgramNames[2] = {"First", "Second"};

FakeSynthState* State(AEffect* effect) { return static_cast<FakeSynthState*>(effect->object); }

void Copy(void* ptr, const char* text) { std::strcpy(static_cast<char*>(ptr), text); }

void WriteLog(const FakeSynthState& state) {
  const char* path = std::getenv("FAKE_SYNTH_LOG");
  if (path == nullptr) return;
  if (std::FILE* file = std::fopen(path, "w")) {
    for (VstInt32 op : state.opcodes) std::fprintf(file, "%d\n", op);
    std::fclose(file);
  }
}

VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  FakeSynthState* state = State(effect);
  state->opcodes.push_back(opcode);
  switch (opcode) {
    case effClose:
      WriteLog(*state);
      delete state;
      return 1;
    case effSetProgram:
      if (value >= 0 && value < 2) state->program = static_cast<VstInt32>(value);
      return 0;
    case effGetProgram:
      return state->program;
    case effGetProgramName:
      Copy(ptr, kProgramNames[state->program]);
      return 0;
    case effGetProgramNameIndexed:
      if (index < 0 || index >= 2) return 0;
      Copy(ptr, kProgramNames[index]);
      return 1;
    case effGetParamName:
      if (index >= 0 && index < 3) Copy(ptr, kParameterNames[index]);
      return 0;
    case effGetParamDisplay:
      if (index >= 0 && index < 3) std::snprintf(static_cast<char*>(ptr), 8, "%.2f", state->parameters[index]);
      return 0;
    case effGetParamLabel:
      Copy(ptr, "");
      return 0;
    case effSetSampleRate:
      state->sampleRate = opt;
      return 0;
    case effSetBlockSize:
      state->blockSize = value;
      return 0;
    case effMainsChanged:
      if (value != 0) state->host(effect, audioMasterWantMidi, 0, 1, nullptr, 0.0f);
      return 0;
    case effProcessEvents: {
      auto* events = static_cast<VstEvents*>(ptr);
      auto* time = reinterpret_cast<VstTimeInfo*>(state->host(effect, audioMasterGetTime, 0, 0, nullptr, 0.0f));
      VstEvent* const* entries = events->events;  // numEvents of them, past the declared two
      for (VstInt32 i = 0; i < events->numEvents; ++i) {
        auto* midi = reinterpret_cast<VstMidiEvent*>(entries[i]);
        const auto status = static_cast<unsigned char>(midi->midiData[0]);
        state->events.push_back({time != nullptr ? time->samplePos : -1.0, midi->deltaFrames, status,
                                 static_cast<unsigned char>(midi->midiData[1]),
                                 static_cast<unsigned char>(midi->midiData[2])});
        if ((status & 0xF0) == 0x90 && midi->midiData[2] != 0) state->gate = true;
        if ((status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && midi->midiData[2] == 0)) state->gate = false;
      }
      return 1;
    }
    case effGetEffectName:
      Copy(ptr, "FakeSynth");
      return 1;
    case effGetVendorString:
      Copy(ptr, "Test Vendor");
      return 1;
    case effGetProductString:
      Copy(ptr, "Fake Synth");
      return 1;
    case effGetVendorVersion:
      return 7;
    case effGetPlugCategory:
      return kPlugCategSynth;
    case effGetVstVersion:
      return 2400;
    default:
      return 0;
  }
}

void ProcessReplacing(AEffect* effect, float** /*inputs*/, float** outputs, VstInt32 frames) {
  FakeSynthState* state = State(effect);
  auto* time = reinterpret_cast<VstTimeInfo*>(state->host(effect, audioMasterGetTime, 0, 0, nullptr, 0.0f));
  const VstIntPtr tempoAt = state->host(effect, audioMasterTempoAt, 0, 0, nullptr, 0.0f);
  state->blocks.push_back({time->samplePos, time->ppqPos, time->tempo, time->flags, tempoAt, frames});
  const float level = state->gate ? 0.5f : 0.0f;
  for (VstInt32 c = 0; c < 2; ++c)
    for (VstInt32 i = 0; i < frames; ++i) outputs[c][i] = level;
}

void SetParameter(AEffect* effect, VstInt32 index, float value) {
  if (index < 0 || index >= 3) return;
  State(effect)->parameters[index] = value;
  State(effect)->host(effect, audioMasterAutomate, index, 0, nullptr, value);
}

float GetParameter(AEffect* effect, VstInt32 index) {
  return index >= 0 && index < 3 ? State(effect)->parameters[index] : 0.0f;
}

[[maybe_unused]] AEffect* Create(audioMasterCallback host) {
  if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  auto* state = new FakeSynthState{};
  state->host = host;
  AEffect& effect = state->effect;
  effect.magic = kEffectMagic;
  effect.dispatcher = Dispatch;
  effect.setParameter = SetParameter;
  effect.getParameter = GetParameter;
  effect.processReplacing = ProcessReplacing;
  effect.numPrograms = 2;
  effect.numParams = 3;
  effect.numInputs = 2;
  effect.numOutputs = 2;
  effect.flags = effFlagsCanReplacing | effFlagsIsSynth;
  effect.uniqueID = FourCharCode('F', 'a', 'k', 'e');
  effect.version = 1;
  effect.object = state;
  state->parameters[0] = 0.25f;
  state->parameters[1] = 0.5f;
  state->parameters[2] = 0.75f;
  return &effect;
}

}  // namespace

extern "C" {

#if defined(FAKE_NO_ENTRY)
FAKE_EXPORT int fake_synth_nothing_here() { return 0; }
#elif defined(FAKE_RETURNS_NULL)
FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
#elif defined(FAKE_BAD_MAGIC)
// A record the host must refuse (and cannot close): a static one, so that
// nothing leaks.
FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback) {
  static AEffect notAnEffect{};
  return &notAnEffect;
}
#else
#ifndef FAKE_LEGACY_ONLY
FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) { return Create(host); }
#endif
FAKE_EXPORT AEffect* FakeLegacyMain(audioMasterCallback host) __asm__("main");
AEffect* FakeLegacyMain(audioMasterCallback host) { return Create(host); }
#endif

}  // extern "C"
