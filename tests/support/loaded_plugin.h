// The built plug-in loaded as a host loads it: dlopen, the exported entry
// point, and from then on only the effect record.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame/vst2.h"
#include "support/fake_host.h"

#ifndef VYRTAL_SO_PATH
#error "VYRTAL_SO_PATH must name the built plug-in"
#endif

using PluginMainProc = AEffect* (*)(audioMasterCallback);

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const char* path = VYRTAL_SO_PATH) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedLibrary() {
    if (handle != nullptr) dlclose(handle);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool Loaded() const { return handle != nullptr; }
  PluginMainProc Entry(const char* name) const {
    return handle != nullptr ? reinterpret_cast<PluginMainProc>(dlsym(handle, name)) : nullptr;
  }

 private:
  void* handle;
};

class LoadedPlugin {
 public:
  explicit LoadedPlugin(FakeHost& host, const char* entry = "VSTPluginMain") {
    if (PluginMainProc main = library.Entry(entry)) effect = main(FakeHost::Callback);
    (void)host;
  }
  ~LoadedPlugin() { Close(); }
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  AEffect* operator->() const { return effect; }
  AEffect* Effect() const { return effect; }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }
  // Closes the instance (which destroys it); answers what effClose answered.
  VstIntPtr Close() {
    const VstIntPtr answer = effect != nullptr ? Dispatch(effClose) : 0;
    effect = nullptr;
    return answer;
  }

  void SetParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
  float GetParameter(VstInt32 index) { return effect->getParameter(effect, index); }

  std::string Text(VstInt32 opcode, VstInt32 index = 0) {
    std::array<char, 256> buffer{};
    Dispatch(opcode, index, 0, buffer.data());
    return buffer.data();
  }
  std::string ProgramNameIndexed(VstInt32 index) {
    std::array<char, 256> buffer{};
    Dispatch(effGetProgramNameIndexed, index, 0, buffer.data());
    return buffer.data();
  }

  // Sends raw MIDI messages, each at its delta frame.
  struct Midi {
    unsigned char status, data1, data2;
    VstInt32 deltaFrames = 0;
  };
  VstIntPtr SendMidi(const std::vector<Midi>& messages) {
    std::vector<VstMidiEvent> events(messages.size());
    std::vector<char> storage(sizeof(VstEvents) + messages.size() * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(messages.size());
    // The record declares two entries; the list holds as many as it needs.
    VstEvent** entries = list->events;
    for (std::size_t i = 0; i < messages.size(); ++i) {
      events[i] = VstMidiEvent{};
      events[i].type = kVstMidiType;
      events[i].byteSize = sizeof(VstMidiEvent);
      events[i].deltaFrames = messages[i].deltaFrames;
      events[i].midiData[0] = static_cast<char>(messages[i].status);
      events[i].midiData[1] = static_cast<char>(messages[i].data1);
      events[i].midiData[2] = static_cast<char>(messages[i].data2);
      entries[i] = reinterpret_cast<VstEvent*>(&events[i]);
    }
    return Dispatch(effProcessEvents, 0, 0, list);
  }

  // Renders frames of stereo output (replacing unless told to add) with
  // silent input; returns left and right.
  std::array<std::vector<float>, 2> Render(int frames, bool replacing = true,
                                            std::array<std::vector<float>, 2> start = {}) {
    std::vector<float> inL(static_cast<std::size_t>(frames)), inR(static_cast<std::size_t>(frames));
    if (start[0].empty()) start = {std::vector<float>(inL.size()), std::vector<float>(inL.size())};
    float* inputs[2] = {inL.data(), inR.data()};
    float* outputs[2] = {start[0].data(), start[1].data()};
    (replacing ? effect->processReplacing : effect->process)(effect, inputs, outputs, frames);
    return start;
  }

 private:
  LoadedLibrary library;
  AEffect* effect = nullptr;
};

// Points the bank export at a file of the test's own, so that no test
// writes into a home folder.
class ScopedExportFile {
 public:
  ScopedExportFile() {
    char pattern[] = "/tmp/vyrtal-export-XXXXXX";
    const char* folder = mkdtemp(pattern);
    directory = folder != nullptr ? folder : "/tmp";
    path = directory + "/demo1.txt";
    setenv("VYRTAL_BANK_EXPORT", path.c_str(), 1);
  }
  ~ScopedExportFile() {
    std::remove(path.c_str());
    rmdir(directory.c_str());
  }
  std::string directory;
  std::string path;
};

// The whole of a file, as bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
