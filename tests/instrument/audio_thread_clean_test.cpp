// The audio thread's calls into the built plug-in never touch the heap or a
// lock: minutes of audio with notes, controllers, pitch bends, automation,
// program changes, both effects and an editor that comes and goes, with
// every allocation, free and lock operation of the process counted while
// those calls run.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "instrument/audio_thread_audit.h"
#include "support/loaded_plugin.h"
#include "support/midi_event_list.h"

namespace {

const bool kOffscreenEditors = setenv("VYRTAL_EDITOR_WINDOWS", "offscreen", 1) == 0;

constexpr float kSampleRate = 44100.0f;
constexpr int kMaxBlock = 1024;
// Block sizes a host may use, in turn.
constexpr std::array<int, 7> kBlockSizes = {1, 7, 64, 256, 512, 1024, 333};
// Audio rendered per factory program.
constexpr int kSecondsPerProgram = 20;
// Parameters whose export trigger writes a file by design, and is left out.
constexpr VstInt32 kExportTrigger = 33;
constexpr VstInt32 kDelaySwitch = 19;
constexpr VstInt32 kChorusSwitch = 28;

// A host whose answers cost nothing: the plug-in asks for time and tempo on
// the audio thread, and a host that allocated there would be counted too.
VstTimeInfo timeInfo{};

VstIntPtr VSTCALLBACK QuietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
    case audioMasterVersion:
      return 2400;
    case audioMasterGetTime:
      timeInfo.tempo = 128.0;
      timeInfo.sampleRate = kSampleRate;
      timeInfo.flags = kVstTempoValid;
      return reinterpret_cast<VstIntPtr>(&timeInfo);
    case audioMasterTempoAt:
      return 1280000;
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(kSampleRate);
    default:
      return 0;
  }
}

class AudioThreadClean : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreenEditors);
    PluginMainProc entry = library.Entry("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    effect = entry(QuietHost);
    ASSERT_NE(effect, nullptr);
    Dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRate);
    Dispatch(effSetBlockSize, 0, kMaxBlock);
    Dispatch(effMainsChanged, 0, 1);
    ResetAuditedCounts();
  }
  void TearDown() override {
    if (effect != nullptr) Dispatch(effClose);
  }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }

  static std::string Describe(const AuditCounts& counts) {
    return std::to_string(counts.allocations) + " allocations, " + std::to_string(counts.frees) + " frees, " +
           std::to_string(counts.locks) + " lock operations; the first from:" + counts.firstCaller;
  }

  ScopedExportFile exportFile;
  LoadedLibrary library;
  AEffect* effect = nullptr;
};

// The counting itself: work that does allocate and lock, in the plug-in and
// here, is seen.
TEST_F(AudioThreadClean, TheAuditSeesAllocationsAndLocksInThePlugin) {
  {
    AuditScope audit;
    effect->setParameter(effect, kExportTrigger, 1.0f);  // writes the bank export
  }
  const AuditCounts plugin = AuditedCounts();
  EXPECT_GT(plugin.allocations, 0u);
  EXPECT_GT(plugin.frees, 0u);
  EXPECT_NE(plugin.firstCaller.find("Vyrtal.so"), std::string::npos) << plugin.firstCaller;

  ResetAuditedCounts();
  std::mutex mutex;
  {
    AuditScope audit;
    const std::lock_guard<std::mutex> lock(mutex);
  }
  EXPECT_EQ(AuditedCounts().locks, 1u);

  // Another thread's calls are not this thread's.
  std::atomic<int> step{0};
  std::thread other([&] {
    while (step.load() != 1) std::this_thread::yield();
    delete new int(1);
    step.store(2);
  });
  ResetAuditedCounts();
  {
    AuditScope audit;
    step.store(1);
    while (step.load() != 2) std::this_thread::yield();
  }
  other.join();
  EXPECT_EQ(AuditedCounts().allocations, 0u);
}

TEST_F(AudioThreadClean, MinutesOfAudioWithoutAllocationOrLock) {
  std::vector<float> inL(kMaxBlock, 0.0f), inR(kMaxBlock, 0.0f), outL(kMaxBlock), outR(kMaxBlock);
  float* inputs[2] = {inL.data(), inR.data()};
  float* outputs[2] = {outL.data(), outR.data()};
  MidiEventList events;
  int parent = 0;
  bool editorOpen = false;
  unsigned block = 0;
  double seconds = 0.0;

  for (int program = 0; program < 16; ++program) {
    if (program == 0) {
      // "Default" carries the export trigger: selecting it writes the bank
      // export, wherever it is selected.
      Dispatch(effSetProgram, 0, program);
    } else {
      AuditScope audit;
      Dispatch(effSetProgram, 0, program);
    }
    const long long framesPerProgram = static_cast<long long>(kSecondsPerProgram) * static_cast<int>(kSampleRate);
    for (long long done = 0; done < framesPerProgram; ++block) {
      const int frames = kBlockSizes[block % kBlockSizes.size()];
      const auto n = static_cast<unsigned char>(block % 128);

      // The host's UI thread would do this; here it runs between blocks,
      // outside the counting, so that the editor is open for some blocks.
      if (block % 97 == 0) {
        if (editorOpen) {
          Dispatch(effEditClose);
        } else {
          Dispatch(effEditOpen, 0, 0, &parent);
          Dispatch(effEditIdle);
        }
        editorOpen = !editorOpen;
      }

      events.Clear();
      if (block % 40 == 0) {
        for (unsigned char k = 0; k < 3; ++k) {
          events.Add(0x90, static_cast<unsigned char>(45 + (block / 40) % 24 + 4 * k), 100, k * 3 % frames);
        }
      }
      if (block % 40 == 30) {
        for (unsigned char k = 0; k < 3; ++k) {
          events.Add(0x80, static_cast<unsigned char>(45 + (block / 40) % 24 + 4 * k), 0, frames - 1);
        }
      }
      if (block % 5 == 0) events.Add(0xB0, static_cast<unsigned char>(83 + block % 10), n, frames / 2);
      if (block % 7 == 0) events.Add(0xE0, 0, n, 0);
      if (block % 11 == 0) events.Add(0x90, 60, 90, frames + 100);  // beyond the block

      {
        AuditScope audit;
        Dispatch(effProcessEvents, 0, 0, events.List());
        // Automation, both effects on, and the parameters read back.
        effect->setParameter(effect, kDelaySwitch, 1.0f);
        effect->setParameter(effect, kChorusSwitch, 1.0f);
        auto index = static_cast<VstInt32>(block % 50);
        if (index == kExportTrigger || index == kDelaySwitch || index == kChorusSwitch) index = 2;
        effect->setParameter(effect, index, static_cast<float>(block % 101) / 100.0f);
        (void)effect->getParameter(effect, index);
        if (block % 2 == 0) {
          effect->processReplacing(effect, inputs, outputs, frames);
        } else {
          effect->process(effect, inputs, outputs, frames);
        }
      }
      done += frames;
      seconds += frames / static_cast<double>(kSampleRate);
    }
  }
  if (editorOpen) Dispatch(effEditClose);

  const AuditCounts counts = AuditedCounts();
  EXPECT_EQ(counts.allocations, 0u) << Describe(counts);
  EXPECT_EQ(counts.frees, 0u) << Describe(counts);
  EXPECT_EQ(counts.locks, 0u) << Describe(counts);
  EXPECT_GE(seconds, 16.0 * kSecondsPerProgram);
  std::printf("audited %.0f s of audio in %u blocks\n", seconds, block);
}

}  // namespace
