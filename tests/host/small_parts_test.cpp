// Phrases, event batches, parameter settings, progress text and the host's
// answers before an effect is attached.
#include <gtest/gtest.h>

#include <cstring>

#include "host/event_batch.h"
#include "host/host_callback.h"
#include "host/host_error.h"
#include "host/phrases.h"
#include "host/plugin_choice.h"
#include "host/progress_bar.h"

namespace vyrtal::host {
namespace {

TEST(Phrases, EveryPhrasePairsItsNotes) {
  ASSERT_FALSE(PhraseNames().empty());
  for (auto name : PhraseNames()) {
    const auto song = MakePhrase(name);
    ASSERT_TRUE(song.has_value()) << name;
    int held = 0;
    for (const SongEvent& event : song->events) {
      held += (event.bytes[0] & 0xF0) == 0x90 ? 1 : ((event.bytes[0] & 0xF0) == 0x80 ? -1 : 0);
    }
    EXPECT_EQ(held, 0) << name;
    EXPECT_GT(song->endTick, 0u);
  }
  EXPECT_FALSE(MakePhrase("no such phrase").has_value());
}

TEST(Phrases, ChordPlaysSixVoices) {
  const auto song = MakePhrase("chord");
  int onAtStart = 0;
  for (const SongEvent& event : song->events) onAtStart += event.tick == 0 && (event.bytes[0] & 0xF0) == 0x90;
  EXPECT_EQ(onAtStart, 6);
}

TEST(EventBatch, LaysOutVstEvents) {
  EventBatch batch;
  for (int i = 0; i < 5; ++i) batch.add({0, {0x90, static_cast<std::uint8_t>(60 + i), 100}, 3}, i);
  VstEvents* events = batch.events();
  ASSERT_EQ(events->numEvents, 5);
  VstEvent* const* entries = events->events;  // five, past the two the record declares
  for (int i = 0; i < 5; ++i) {
    auto* midi = reinterpret_cast<VstMidiEvent*>(entries[i]);
    EXPECT_EQ(midi->type, kVstMidiType);
    EXPECT_EQ(midi->byteSize, static_cast<VstInt32>(sizeof(VstMidiEvent)));
    EXPECT_EQ(midi->deltaFrames, i);
    EXPECT_EQ(static_cast<unsigned char>(midi->midiData[0]), 0x90);
    EXPECT_EQ(midi->midiData[1], 60 + i);
    EXPECT_EQ(midi->midiData[3], 0);
  }
}

TEST(PluginChoice, ParsesSettings) {
  const ParameterSetting setting = ParseParameterSetting("12=0.25");
  EXPECT_EQ(setting.index, 12);
  EXPECT_FLOAT_EQ(setting.value, 0.25f);
  EXPECT_FLOAT_EQ(ParseParameterSetting("0=1").value, 1.0f);
  for (const char* bad : {"12", "=0.5", "x=0.5", "-1=0.5", "3=", "3=abc", "3=0.5x", "3=1.01", "3=-0.1", "3=nan"})
    EXPECT_THROW(ParseParameterSetting(bad), HostError) << bad;
}

TEST(ProgressBar, DrawsFractions) {
  EXPECT_EQ(ProgressText(0.0, 4), "[    ]   0%");
  EXPECT_EQ(ProgressText(0.5, 4), "[##  ]  50%");
  EXPECT_EQ(ProgressText(2.0, 4), "[####] 100%");
}

TEST(HostCallback, AnswersBeforeAttach) {
  EXPECT_EQ(HostContext::Callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
  char vendor[kVstMaxVendorStrLen] = {};
  EXPECT_EQ(HostContext::Callback(nullptr, audioMasterGetVendorString, 0, 0, vendor, 0.0f), 1);
  EXPECT_STREQ(vendor, kHostVendor);
  char capability[] = "sendVstMidiEvent";
  EXPECT_EQ(HostContext::Callback(nullptr, audioMasterCanDo, 0, 0, capability, 0.0f), 1);
  char unknown[] = "offline";
  EXPECT_EQ(HostContext::Callback(nullptr, audioMasterCanDo, 0, 0, unknown, 0.0f), -1);
  EXPECT_EQ(HostContext::Callback(nullptr, audioMasterIOChanged, 0, 0, nullptr, 0.0f), 0);
}

TEST(HostCallback, AnswersFromItsState) {
  HostContext host(48000.0, 256);
  AEffect effect{};
  host.attach(&effect);
  EXPECT_EQ(HostContext::Callback(&effect, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 48000);
  EXPECT_EQ(HostContext::Callback(&effect, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f), 256);
  EXPECT_EQ(HostContext::Callback(&effect, audioMasterWantMidi, 0, 1, nullptr, 0.0f), 1);
  EXPECT_TRUE(host.midiWanted());
  HostContext::Callback(&effect, audioMasterAutomate, 4, 0, nullptr, 0.75f);
  ASSERT_EQ(host.automation().size(), 1u);
  EXPECT_EQ(host.automation()[0].index, 4);
  EXPECT_FLOAT_EQ(host.automation()[0].value, 0.75f);

  TempoMap map(48000.0, 90.0);
  host.setTempoMap(&map);
  host.setPosition(96000);
  host.setPlaying(true);
  EXPECT_EQ(HostContext::Callback(&effect, audioMasterTempoAt, 0, 0, nullptr, 0.0f), 900000);
  auto* time = reinterpret_cast<VstTimeInfo*>(HostContext::Callback(&effect, audioMasterGetTime, 0, 0, nullptr, 0.0f));
  ASSERT_NE(time, nullptr);
  EXPECT_DOUBLE_EQ(time->samplePos, 96000.0);
  EXPECT_DOUBLE_EQ(time->sampleRate, 48000.0);
  EXPECT_DOUBLE_EQ(time->ppqPos, 3.0);
  EXPECT_DOUBLE_EQ(time->tempo, 90.0);
  EXPECT_EQ(time->timeSigNumerator, 4);
  EXPECT_EQ(time->timeSigDenominator, 4);
  const VstInt32 wanted = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid | kVstBarsValid;
  EXPECT_EQ(time->flags & wanted, wanted);
}

}  // namespace
}  // namespace vyrtal::host
