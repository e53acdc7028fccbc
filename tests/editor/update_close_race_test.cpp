// Values change on one thread (as host automation and MIDI controllers do
// on the audio thread) while another opens, drives and closes the editor.
// Run under ThreadSanitizer, this shows that `update` never meets a window
// being destroyed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "editor_fixture.h"

namespace {

class UpdateCloseRace : public EditorFixture {};

void SendController(APlugin& plugin, int controller, int value) {
  VstMidiEvent midi{};
  midi.type = kVstMidiType;
  midi.byteSize = sizeof(VstMidiEvent);
  midi.midiData[0] = static_cast<char>(0xB0);
  midi.midiData[1] = static_cast<char>(controller);
  midi.midiData[2] = static_cast<char>(value);
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&midi);
  plugin.processEvents(&events);
}

TEST_F(UpdateCloseRace, ValuesChangeWhileTheEditorOpensAndCloses) {
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    int n = 0;
    while (!stop.load()) {
      plugin->setParameter(n % 50 == 33 ? 0 : n % 50, static_cast<float>(n % 101) / 100.0f);
      SendController(*plugin, 83 + n % 10, n % 128);
      ++n;
    }
  });
  for (int round = 0; round < 60; ++round) {
    ASSERT_EQ(Dispatch(effEditOpen, &parent), 1);
    Dispatch(effEditIdle);
    Native().Tick();
    Native().Move(150, 60);  // over the vowel slider: shows its value
    Native().Tick();
    if (round % 3 == 0) {
      ASSERT_EQ(Dispatch(effEditOpen, &parent), 1);
      Dispatch(effEditClose);
    }
    Dispatch(effEditClose);
    EXPECT_EQ(bridge->Window(), nullptr);
  }
  stop.store(true);
  audio.join();
}

}  // namespace
