// The audio thread renders and takes MIDI while the host's other thread
// switches programs, renames them and suspends the instrument. Run under
// ThreadSanitizer, this shows the two threads share nothing but atomics.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "instrument/aplugin.h"
#include "support/fake_host.h"
#include "support/loaded_plugin.h"

namespace {

void SendNotes(APlugin& plugin, int n) {
  VstMidiEvent midi[2]{};
  for (int i = 0; i < 2; ++i) {
    midi[i].type = kVstMidiType;
    midi[i].deltaFrames = i * 37;
    midi[i].midiData[0] = static_cast<char>(i == 0 ? 0x90 : 0xB0);
    midi[i].midiData[1] = static_cast<char>(i == 0 ? 40 + n % 40 : 83 + n % 10);
    midi[i].midiData[2] = static_cast<char>(n % 2 == 0 ? 100 : 0);
  }
  char storage[sizeof(VstEvents) + sizeof(VstEvent*)] = {};
  auto* events = reinterpret_cast<VstEvents*>(storage);
  events->numEvents = 2;
  events->events[0] = reinterpret_cast<VstEvent*>(&midi[0]);
  events->events[1] = reinterpret_cast<VstEvent*>(&midi[1]);
  plugin.processEvents(events);
}

TEST(ProgramRenderRace, ProgramChangesWhileTheAudioThreadRenders) {
  ScopedExportFile exportFile;
  FakeHost host;
  APlugin plugin(FakeHost::Callback);
  std::atomic<bool> stop{false};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    float left[256], right[256];
    float* outputs[2] = {left, right};
    for (int n = 0; !stop.load(); ++n) {
      SendNotes(plugin, n);
      plugin.processReplacing(nullptr, outputs, 256);
      for (float s : left) finite = finite && std::isfinite(s);
    }
  });
  char name[] = "Renamed";
  for (int round = 0; round < 200; ++round) {
    plugin.setProgram(1 + round % 15);
    plugin.setProgramName(name);
    plugin.setParameter(round % 33, 0.5f);
    if (round % 20 == 0) plugin.suspend();
    std::this_thread::yield();
  }
  stop = true;
  audio.join();
  EXPECT_TRUE(finite.load());
}

}  // namespace
