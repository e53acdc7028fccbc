// Values change on one thread (as host automation and MIDI controllers do
// on the audio thread) while another opens, drives and closes the editor.
// Run under ThreadSanitizer, this shows that `update` never meets a window
// being destroyed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "editor_fixture.h"
#include "support/midi_event_list.h"

namespace {

class UpdateCloseRace : public EditorFixture {};

void SendController(APlugin& plugin, int controller, int value) {
  MidiEventList events;
  events.Add(0xB0, static_cast<unsigned char>(controller), static_cast<unsigned char>(value), 0);
  plugin.processEvents(events.List());
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
