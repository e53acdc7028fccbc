// Hosts that call out of order or answer nonsense: each gets the
// instrument's usual answer, and the instrument keeps sounding as designed.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "support/loaded_plugin.h"
#include "support/signal_measures.h"

namespace {

const bool kOffscreenEditors = setenv("VYRTAL_EDITOR_WINDOWS", "offscreen", 1) == 0;
// The editor's fonts come from fontconfig, whose process-wide caches live as
// long as the library is loaded; keeping the plug-in resident, as hosts do,
// lets the leak checker see them as reachable.
const bool kPluginResident = dlopen(VYRTAL_SO_PATH, RTLD_NOW | RTLD_NODELETE) != nullptr;

constexpr VstInt32 kRelease = 6;
constexpr VstInt32 kDelaySwitch = 19;
constexpr VstInt32 kDelayLength = 20;
constexpr VstInt32 kDelayFeed = 21;
constexpr VstInt32 kDelayMix = 23;
constexpr VstInt32 kExportTrigger = 33;

class HostileHost : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreenEditors && kPluginResident);
    setenv("VYRTAL_NOISE_SEED", "4242", 1);
  }
  void TearDown() override { unsetenv("VYRTAL_NOISE_SEED"); }

  // A short note into a long, loud echo: the delay line still rings well
  // after the voice has gone.
  static void PlayIntoTheEcho(LoadedPlugin& plugin) {
    plugin.Dispatch(effSetProgram, 0, 1);
    plugin.SetParameter(kRelease, 0.0f);
    plugin.SetParameter(kDelaySwitch, 1.0f);
    plugin.SetParameter(kDelayLength, 0.3f);
    plugin.SetParameter(kDelayFeed, 0.9f);
    plugin.SetParameter(kDelayMix, 0.5f);
    plugin.SendMidi({{0x90, 57, 120}});
    plugin.Render(4410);
    plugin.SendMidi({{0x80, 57, 0}});
    plugin.Render(22050);
  }

  ScopedExportFile exportFile;
  FakeHost host;
};

TEST_F(HostileHost, RenderingBeforeResumeSoundsAsAfterIt) {
  LoadedPlugin never(host);
  LoadedPlugin resumed(host);
  resumed.Dispatch(effMainsChanged, 0, 1);
  for (LoadedPlugin* plugin : {&never, &resumed}) {
    plugin->Dispatch(effSetProgram, 0, 2);
    plugin->SendMidi({{0x90, 60, 100}});
  }
  const auto before = never.Render(8192);
  const auto after = resumed.Render(8192);
  EXPECT_TRUE(AllFinite(before[0]));
  EXPECT_GT(Rms(before[0]), 0.01f);
  EXPECT_EQ(before, after);
}

TEST_F(HostileHost, RenderingAfterSuspendGoesOnWithTheLinesCleared) {
  LoadedPlugin suspended(host);
  LoadedPlugin running(host);
  PlayIntoTheEcho(suspended);
  PlayIntoTheEcho(running);
  suspended.Dispatch(effMainsChanged, 0, 0);
  const auto quiet = suspended.Render(22050);
  const auto ringing = running.Render(22050);
  EXPECT_TRUE(AllFinite(quiet[0]) && AllFinite(quiet[1]));
  EXPECT_GT(Rms(ringing[0]), 1e-3f) << "the echo should still ring";
  EXPECT_LT(Rms(quiet[0]), 1e-6f) << "suspend empties the delay line";
  // A suspended instance still plays what it is given.
  suspended.SendMidi({{0x90, 64, 100}});
  EXPECT_GT(Rms(suspended.Render(8192)[0]), 1e-3f);
}

TEST_F(HostileHost, EditorCallsOutOfOrder) {
  LoadedPlugin plugin(host);
  ERect* rect = nullptr;
  // Close and idle with nothing open: nothing to do.
  EXPECT_EQ(plugin.Dispatch(effEditClose), 0);
  EXPECT_EQ(plugin.Dispatch(effEditIdle), 0);
  EXPECT_EQ(plugin.Dispatch(effEditClose), 0);

  // Two opens with different parents: one window, left where it was made,
  // which lives until the second close.
  int first = 0, second = 0;
  EXPECT_EQ(plugin.Dispatch(effEditOpen, 0, 0, &first), 1);
  EXPECT_EQ(plugin.Dispatch(effEditOpen, 0, 0, &second), 1);
  plugin.Dispatch(effEditGetRect, 0, 0, &rect);
  EXPECT_EQ(rect->right, 463);
  plugin.SetParameter(9, 0.25f);
  EXPECT_EQ(plugin.Dispatch(effEditIdle), 0);
  EXPECT_EQ(plugin.Dispatch(effEditClose), 0);
  plugin.Dispatch(effEditGetRect, 0, 0, &rect);
  EXPECT_EQ(rect->right, 463) << "one close of two keeps the window";
  EXPECT_EQ(plugin.Dispatch(effEditClose), 0);
  plugin.Dispatch(effEditGetRect, 0, 0, &rect);
  EXPECT_EQ(rect->right, 665) << "the second close destroys it";

  // A surplus close does not owe an open: the next open makes a window again.
  EXPECT_EQ(plugin.Dispatch(effEditClose), 0);
  EXPECT_EQ(plugin.Dispatch(effEditOpen, 0, 0, &second), 1);
  plugin.Dispatch(effEditGetRect, 0, 0, &rect);
  EXPECT_EQ(rect->right, 463);
  EXPECT_EQ(plugin.Dispatch(effEditClose), 0);
  plugin.Dispatch(effEditGetRect, 0, 0, &rect);
  EXPECT_EQ(rect->right, 665);
}

TEST_F(HostileHost, ANullHostCallbackGetsNoInstance) {
  LoadedLibrary library;
  for (const char* entry : {"VSTPluginMain", "main"}) {
    PluginMainProc main = library.Entry(entry);
    ASSERT_NE(main, nullptr) << entry;
    EXPECT_EQ(main(nullptr), nullptr) << entry;
  }
}

// Tempo answers no host should give. Those that name no usable tempo leave
// the instrument at its 120 beats per minute; the rest are tempos, however
// wild, and only have to sound finite.
struct TempoAnswer {
  const char* what;
  VstIntPtr tempoAt;        // beats per minute times 10000
  bool timeInfo;            // answer the time request too
  double timeInfoTempo;
  bool meansDefault;        // sounds exactly as 120 beats per minute
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

const TempoAnswer kTempoAnswers[] = {
    {"no answer", 0, false, 0.0, true},
    {"negative request answer", -1200000, false, 0.0, true},
    {"most negative request answer", INT_MIN, false, 0.0, true},
    {"a request answer wider than 32 bits", static_cast<VstIntPtr>(1) << 40, false, 0.0, true},
    {"half a beat per minute", 5000, false, 0.0, true},
    {"NaN time info", 0, true, kNaN, true},
    {"negative time info", 0, true, -120.0, true},
    {"infinite time info", 0, true, kInfinity, true},
    {"absurd time info", 0, true, 1e300, true},
    {"largest request answer", INT_MAX, false, 0.0, false},
    {"huge time info", 0, true, 999999.0, false},
    {"slowest usable time info", 0, true, 1.0, false},
};

TEST_F(HostileHost, NonsenseTempoAnswersKeepTheSoundFinite) {
  auto play = [](LoadedPlugin& plugin) {
    PlayIntoTheEcho(plugin);
    return plugin.Render(44100);
  };
  std::array<std::vector<float>, 2> at120;
  {
    FakeHost h;
    h.tempoAtAnswer = 1200000;
    LoadedPlugin plugin(h);
    at120 = play(plugin);
  }
  for (const TempoAnswer& answer : kTempoAnswers) {
    FakeHost h;
    h.tempoAtAnswer = answer.tempoAt;
    h.timeInfoAvailable = answer.timeInfo;
    h.timeInfo.tempo = answer.timeInfoTempo;
    h.timeInfo.flags = kVstTempoValid;
    LoadedPlugin plugin(h);
    const auto out = play(plugin);
    EXPECT_TRUE(AllFinite(out[0]) && AllFinite(out[1])) << answer.what;
    if (answer.meansDefault) {
      EXPECT_EQ(out, at120) << answer.what;
    }
  }
}

TEST_F(HostileHost, ASampleRateOfZeroFromTheHostChangesNothing) {
  // The host answers 0 to the sample-rate request (this host answers 0 to
  // everything but its version) and sets 0 too.
  LoadedPlugin zero(host);
  LoadedPlugin plain(host);
  zero.Dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
  for (LoadedPlugin* plugin : {&zero, &plain}) {
    plugin->Dispatch(effSetProgram, 0, 5);
    plugin->SendMidi({{0x90, 48, 100}});
  }
  EXPECT_EQ(zero.Render(8192), plain.Render(8192));
}

// Two instances in one process export at the same moment, over and over:
// the file is always one instance's whole export, never a mixture.
TEST_F(HostileHost, TwoInstancesExportingTogetherLeaveOneWholeFile) {
  LoadedPlugin alpha(host);
  LoadedPlugin beta(host);
  auto rename = [](LoadedPlugin& plugin, const std::string& prefix) {
    for (int p = 0; p < 16; ++p) {
      plugin.Dispatch(effSetProgram, 0, p);
      std::string name = prefix + std::to_string(p);
      plugin.Dispatch(effSetProgramName, 0, 0, name.data());
      plugin.SetParameter(2, static_cast<float>(p) / (prefix == "Alpha " ? 16.0f : 32.0f));
    }
  };
  rename(alpha, "Alpha ");
  rename(beta, "Beta ");
  alpha.SetParameter(kExportTrigger, 1.0f);
  const std::string alphaText = ReadFile(exportFile.path);
  beta.SetParameter(kExportTrigger, 1.0f);
  const std::string betaText = ReadFile(exportFile.path);
  ASSERT_NE(alphaText, betaText);
  ASSERT_NE(alphaText.find("Alpha 15"), std::string::npos);

  for (int round = 0; round < 40; ++round) {
    std::atomic<int> ready{0};
    auto exportNow = [&ready](LoadedPlugin& plugin) {
      ready.fetch_add(1);
      while (ready.load() < 2) {
      }
      plugin.SetParameter(kExportTrigger, 1.0f);
    };
    std::thread a(exportNow, std::ref(alpha));
    std::thread b(exportNow, std::ref(beta));
    a.join();
    b.join();
    const std::string text = ReadFile(exportFile.path);
    ASSERT_TRUE(text == alphaText || text == betaText) << "round " << round << ": " << text.size() << " bytes";
  }
}

}  // namespace
