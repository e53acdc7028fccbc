// A whole host's worth of threads on the built plug-in at once, for seconds:
// the audio thread renders with MIDI in every block, the UI thread switches
// and renames programs, suspends and resumes, and opens, idles and closes the
// editor, and an automation thread moves every parameter (the bank export
// among them). Run under ThreadSanitizer, this shows the threads share nothing
// but atomics; in any build, that nothing breaks.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/fake_host.h"
#include "support/loaded_plugin.h"
#include "support/midi_event_list.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seconds each stress runs for.
constexpr auto kStressTime = std::chrono::seconds(5);
constexpr int kBlock = 256;

const bool kOffscreenEditors = setenv("VYRTAL_EDITOR_WINDOWS", "offscreen", 1) == 0;
// The editor's fonts come from fontconfig, whose process-wide caches live as
// long as the library is loaded; keeping the plug-in resident, as hosts do,
// lets the leak checker see them as reachable.
const bool kPluginResident = dlopen(VYRTAL_SO_PATH, RTLD_NOW | RTLD_NODELETE) != nullptr;

// One block's MIDI: a note on or off, a mapped controller, a pitch bend.
VstEvents* BlockMidi(MidiEventList& events, unsigned n) {
  events.Clear();
  events.Add(static_cast<unsigned char>(n % 3 == 2 ? 0x80 : 0x90), static_cast<unsigned char>(36 + n % 48), 100,
             static_cast<VstInt32>(n % kBlock));
  events.Add(0xB0, static_cast<unsigned char>(83 + n % 10), static_cast<unsigned char>(n % 128),
             static_cast<VstInt32>((97 + n) % kBlock));
  events.Add(0xE0, 0, static_cast<unsigned char>(n % 128), static_cast<VstInt32>((194 + n) % kBlock));
  return events.List();
}

int LineCount(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  int lines = 0;
  for (std::string line; std::getline(file, line);) ++lines;
  return lines;
}

class HostStress : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreenEditors && kPluginResident);
    ASSERT_NE(plugin.Effect(), nullptr);
    host.timeInfoAvailable = true;
    host.timeInfo.tempo = 133.0;
    host.timeInfo.flags = kVstTempoValid;
    host.timeInfo.sampleRate = 44100.0;
  }

  ScopedExportFile exportFile;
  FakeHost host;
  LoadedPlugin plugin{host};
};

TEST_F(HostStress, AudioUiAndAutomationThreadsTogether) {
  AEffect* effect = plugin.Effect();
  std::atomic<bool> stop{false};
  std::atomic<bool> finite{true};
  std::atomic<unsigned> blocks{0}, uiRounds{0}, automations{0};

  std::thread audio([&] {
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    MidiEventList midi;
    for (unsigned n = 0; !stop.load(std::memory_order_relaxed); ++n) {
      effect->dispatcher(effect, effProcessEvents, 0, 0, BlockMidi(midi, n), 0.0f);
      if (n % 4 == 3) {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        effect->process(effect, nullptr, outputs, kBlock);
      } else {
        effect->processReplacing(effect, nullptr, outputs, kBlock);
      }
      for (std::size_t i = 0; i < left.size(); ++i) {
        if (!std::isfinite(left[i]) || !std::isfinite(right[i])) finite.store(false);
      }
      blocks.fetch_add(1);
    }
  });

  std::thread automation([&] {
    for (unsigned n = 0; !stop.load(std::memory_order_relaxed); ++n) {
      const auto index = static_cast<VstInt32>(n % 50);
      // The export trigger only now and then: each one writes a file.
      const float value = index == 33 ? (n % 2000 == 33 ? 1.0f : 0.0f) : static_cast<float>(n % 101) / 100.0f;
      effect->setParameter(effect, index, value);
      (void)effect->getParameter(effect, static_cast<VstInt32>((n * 7) % 50));
      // Some hosts automate program changes too, from their own thread.
      if (n % 5000 == 4999) effect->dispatcher(effect, effSetProgram, 0, static_cast<VstIntPtr>(1 + n % 15), nullptr, 0.0f);
      automations.fetch_add(1);
    }
  });

  int parent = 0;
  std::array<char, 256> text{};
  const auto end = Clock::now() + kStressTime;
  for (unsigned round = 0; Clock::now() < end; ++round) {
    effect->dispatcher(effect, effSetProgram, 0, static_cast<VstIntPtr>(round % 16), nullptr, 0.0f);
    std::string name = "Take " + std::to_string(round);
    effect->dispatcher(effect, effSetProgramName, 0, 0, name.data(), 0.0f);
    effect->dispatcher(effect, effGetProgramName, 0, 0, text.data(), 0.0f);
    effect->dispatcher(effect, effGetProgramNameIndexed, static_cast<VstInt32>(round % 16), 0, text.data(), 0.0f);
    // Drawing the editor is the slow part: open it every fourth round.
    const bool withEditor = round % 4 == 0;
    if (withEditor) {
      EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, &parent, 0.0f), 1);
      effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
      effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
    }
    if (round % 5 == 0) {
      effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
      effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, round % 10 == 0 ? 48000.0f : 44100.0f);
      effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    if (withEditor) effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
    uiRounds.fetch_add(1);
  }
  stop.store(true);
  audio.join();
  automation.join();

  EXPECT_TRUE(finite.load());
  EXPECT_GT(blocks.load(), 10u);
  EXPECT_GT(uiRounds.load(), 10u);
  EXPECT_GT(automations.load(), 2000u);
  // Whatever export came last left a whole file.
  EXPECT_EQ(LineCount(exportFile.path), 16 * 52);
  std::printf("stress: %u audio blocks, %u UI rounds, %u automations in %lld s\n", blocks.load(),
              uiRounds.load(), automations.load(),
              static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(kStressTime).count()));
}

TEST_F(HostStress, ThreeThreadsSetParametersAtOnce) {
  AEffect* effect = plugin.Effect();
  // Thread t writes values that end in its own digit, so every stored value
  // can be traced to a thread that wrote it.
  constexpr int kThreads = 3;
  auto written = [](int thread, unsigned n) { return static_cast<float>((n % 30) * kThreads + thread) / 100.0f; };
  std::vector<std::thread> threads;
  const auto end = Clock::now() + kStressTime / 2;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (unsigned n = 0; Clock::now() < end; ++n) {
        for (VstInt32 index = 0; index < 50; ++index) {
          if (index != 33) effect->setParameter(effect, index, written(t, n + static_cast<unsigned>(index)));
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (VstInt32 index = 0; index < 50; ++index) {
    if (index == 33) continue;
    const float value = plugin.GetParameter(index);
    bool traced = false;
    for (int t = 0; t < kThreads; ++t) {
      for (unsigned n = 0; n < 30; ++n) traced = traced || value == written(t, n);
    }
    EXPECT_TRUE(traced) << "parameter " << index << " holds " << value;
  }
}

}  // namespace
