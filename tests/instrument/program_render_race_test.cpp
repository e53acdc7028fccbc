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
#include "support/midi_event_list.h"

namespace {

void SendNotes(APlugin& plugin, int n) {
  MidiEventList events;
  events.Add(0x90, static_cast<unsigned char>(40 + n % 40), n % 2 == 0 ? 100 : 0, 0);
  events.Add(0xB0, static_cast<unsigned char>(83 + n % 10), n % 2 == 0 ? 100 : 0, 37);
  plugin.processEvents(events.List());
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
