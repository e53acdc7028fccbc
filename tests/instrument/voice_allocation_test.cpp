// Note handling seen from inside the instrument: which voice a note takes
// and what state it leaves.
#include <gtest/gtest.h>

#include <vector>

#include "instrument/aplugin.h"
#include "support/fake_host.h"
#include "support/loaded_plugin.h"

namespace {

class VoiceAllocation : public ::testing::Test {
 protected:
  void Send(std::vector<std::array<unsigned char, 3>> messages, VstInt32 delta = 0) {
    std::vector<VstMidiEvent> events(messages.size());
    std::vector<char> storage(sizeof(VstEvents) + messages.size() * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(messages.size());
    VstEvent** entries = list->events;  // as many entries as the storage holds
    for (std::size_t i = 0; i < messages.size(); ++i) {
      events[i].type = kVstMidiType;
      events[i].deltaFrames = delta;
      for (int b = 0; b < 3; ++b) events[i].midiData[b] = static_cast<char>(messages[i][static_cast<std::size_t>(b)]);
      entries[i] = reinterpret_cast<VstEvent*>(&events[i]);
    }
    plugin.processEvents(list);
  }
  bool Held(int v) const { return plugin.Voice(v).keyDown; }

  ScopedExportFile exportFile;
  FakeHost host;
  APlugin plugin{FakeHost::Callback};
};

TEST_F(VoiceAllocation, SevenHeldNotesGoRoundRobinAndTheSeventhTakesOverVoiceOne) {
  const int expected[] = {1, 2, 3, 4, 5, 0, 1};
  for (int n = 0; n < 7; ++n) {
    Send({{0x90, static_cast<unsigned char>(60 + n), 100}});
    EXPECT_EQ(plugin.LastVoice(), expected[n]) << n;
  }
  EXPECT_EQ(plugin.Voice(1).noteTarget, 66.0f);
}

TEST_F(VoiceAllocation, NoteOnSetsTheVoiceState) {
  Send({{0x99, 0xC5, 127}});  // channel 10, top bit of the note set
  const VoiceView voice = plugin.Voice(1);
  EXPECT_TRUE(Held(1));
  EXPECT_EQ(voice.attacking, 1);
  EXPECT_EQ(voice.noteTarget, 69.0f);
  EXPECT_EQ(voice.velocity, 1.0f);
  EXPECT_EQ(voice.ampEnv, 0.0f);
  EXPECT_EQ(voice.filterEnv, 1.0f);
}

TEST_F(VoiceAllocation, FreeVoicesAreFoundPastHeldOnes) {
  Send({{0x90, 60, 100}, {0x90, 61, 100}, {0x90, 62, 100}});  // voices 1, 2, 3
  Send({{0x80, 61, 0}});                                       // frees voice 2
  Send({{0x90, 63, 100}, {0x90, 64, 100}, {0x90, 65, 100}});  // 4, 5, 0
  Send({{0x90, 66, 100}});                                     // 1 is held: skips to 2
  EXPECT_EQ(plugin.LastVoice(), 2);
}

TEST_F(VoiceAllocation, NoteOffReleasesEveryVoiceOfThatKey) {
  Send({{0x90, 60, 100}, {0x90, 60, 90}, {0x90, 61, 90}});
  EXPECT_TRUE(Held(1) && Held(2) && Held(3));
  Send({{0x80, 60, 64}});
  EXPECT_FALSE(Held(1));
  EXPECT_FALSE(Held(2));
  EXPECT_TRUE(Held(3));
  Send({{0x90, 61, 0}});  // velocity 0 is a note-off
  EXPECT_FALSE(Held(3));
}

TEST_F(VoiceAllocation, ProgramChangeReleasesEveryKeyButKeepsTheCursor) {
  Send({{0x90, 60, 100}, {0x90, 62, 100}});
  plugin.setProgram(3);
  for (int v = 0; v < 8; ++v) EXPECT_FALSE(Held(v)) << v;
  EXPECT_EQ(plugin.LastVoice(), 2);
}

TEST_F(VoiceAllocation, TimedEventsWaitForTheirSample) {
  Send({{0x90, 60, 100}}, 40);
  EXPECT_FALSE(Held(1)) << "a note at frame 40 has not started before the block is rendered";
  float left[64], right[64];
  float* outputs[2] = {left, right};
  plugin.processReplacing(nullptr, outputs, 64);
  EXPECT_TRUE(Held(1));
  // Events timed beyond the block act at its start.
  Send({{0x80, 60, 0}}, 500);
  plugin.processReplacing(nullptr, outputs, 64);
  EXPECT_FALSE(Held(1));
}

}  // namespace
