// The engine, on each instruction set it has kernels for, against the
// scalar reference loop: every factory program over a phrase with chords,
// glides, vibrato, wah, bends, the pedal, both effects, tempo, rate,
// parameter and program changes between ticks, at several sample rates and
// block sizes, must give the same samples bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sound_engine.h"
#include "engine_rig.h"
#include "reference/reference_engine.h"

namespace {

using vyrtal_test::FakeTempo;
using vyrtal_test::kFactoryPrograms;
using vyrtal_test::ReferenceEngine;

std::vector<InstructionSet> InstructionSets() {
  std::vector<InstructionSet> sets{InstructionSet::kSse2};
  if (KernelsFor(InstructionSet::kAvx2).set == InstructionSet::kAvx2) sets.push_back(InstructionSet::kAvx2);
  return sets;
}

const char* Name(InstructionSet set) { return set == InstructionSet::kAvx2 ? "AVX2" : "SSE2"; }

// Both engines on one parameter array, each with its own tempo source.
struct Pair {
  ParamArray param{};
  FakeTempo tempo, referenceTempo;
  SoundEngine engine;
  ReferenceEngine reference;

  Pair(InstructionSet set, float rate, std::uint32_t seed) {
    for (auto& p : param) p.store(0.0f);
    engine.Init(&param, &tempo);
    engine.UseInstructionSet(set);
    reference.Init(&param, &referenceTempo);
    engine.SeedNoise(seed);
    reference.SeedNoise(seed);
    SetRate(rate);
  }
  void Set(int index, float value) { param[static_cast<std::size_t>(index)].store(value); }
  void Set(Param index, float value) { Set(static_cast<int>(index), value); }
  float Get(Param index) const { return param[static_cast<std::size_t>(index)].load(); }
  void SetRate(float rate) {
    engine.curSampleRate.store(rate);
    reference.curSampleRate.store(rate);
  }
  void SetTempo(float bpm) { tempo.bpm = referenceTempo.bpm = bpm; }
  // What the instrument does at a program change.
  void LoadProgram(int k) {
    for (int i = 0; i < 50; ++i) Set(i, kFactoryPrograms[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)]);
    Set(33, 0.0f);
    engine.ReleaseAll();
    reference.ReleaseAll();
    engine.ResetRunningSound();
    reference.ResetRunningSound();
  }
  void NoteOn(int key, int velocity) {
    engine.NoteOn(key, velocity);
    reference.NoteOn(key, velocity);
  }
  void NoteOff(int key) {
    engine.NoteOff(key);
    reference.NoteOff(key);
  }
  void ReleaseAll() {
    engine.ReleaseAll();
    reference.ReleaseAll();
  }
  void Bend(float semitones) {
    engine.SetPitchBend(semitones);
    reference.SetPitchBend(semitones);
  }
  void Sustain(bool down) {
    engine.SetSustain(down);
    reference.SetSustain(down);
  }
  void AllNotesOff() {
    engine.AllNotesOff();
    reference.AllNotesOff();
  }
  void AllSoundOff() {
    engine.AllSoundOff();
    reference.AllSoundOff();
  }
};

struct Event {
  int at;  // sample, mostly between two ticks
  std::function<void(Pair&)> act;
};

// The phrase: a chord, vibrato, the effects, a glide, wah, another
// excitation, pitch bends, a tempo change, the sustain pedal, filter moves,
// the input, a program change, a new rate, long effect tails, releases, all
// notes off and all sound off.
std::vector<Event> Phrase(int program) {
  return {
      {0, [](Pair& p) { p.NoteOn(48, 100), p.NoteOn(55, 90), p.NoteOn(60, 110); }},
      {1003, [](Pair& p) { p.Set(Param::kVibAmount, 0.6f), p.Set(Param::kVibSpeed, 0.7f); }},
      {2501, [](Pair& p) { p.Set(Param::kChorusSwitch, 0.75376886f); }},
      {3007, [](Pair& p) { p.Set(Param::kDelaySwitch, 0.75376886f); }},
      {4005, [](Pair& p) { p.Set(Param::kPitchInertia, 0.6f), p.NoteOn(64, 100); }},
      {5009, [](Pair& p) { p.NoteOff(55), p.Set(Param::kWahAmount, 0.5f), p.Set(Param::kWahSpeed, 0.4f); }},
      {6011,
       [](Pair& p) {
         const float type = p.Get(Param::kOscType) + 0.34f;
         p.Set(Param::kOscType, type > 1.0f ? type - 1.0f : type);
         p.Set(Param::kBandWidth, 0.6f), p.Set(Param::kStereo, 0.8f), p.Set(Param::kVolume, 0.6f);
       }},
      {7013, [](Pair& p) { p.NoteOn(67, 127), p.Set(Param::kVowelInertia, 0.7f), p.Set(Param::kVowel, 0.9f); }},
      {8009, [](Pair& p) { p.Bend(1.5f); }},
      {9001, [](Pair& p) { p.SetTempo(95.0f); }},
      {10007, [](Pair& p) { p.Sustain(true); }},
      {11003,
       [](Pair& p) {
         p.Set(Param::kFilterFreq, 0.4f), p.Set(Param::kFilterQ, 0.8f), p.Set(Param::kFilterEnvelope, 0.7f);
         p.Set(Param::kFilterRelease, 0.5f), p.NoteOn(72, 80);
       }},
      {13007, [](Pair& p) { p.NoteOff(48), p.NoteOff(60); }},
      {14003, [](Pair& p) { p.Sustain(false), p.Bend(-0.7f); }},
      {15005, [program](Pair& p) { p.LoadProgram((program + 5) % 16), p.NoteOn(50, 100), p.NoteOn(57, 60); }},
      {17011, [](Pair& p) { p.SetRate(p.engine.curSampleRate.load() * 1.5f), p.Set(Param::kTremAmount, 0.4f); }},
      {19003,
       [](Pair& p) {
         p.Set(Param::kDelaySwitch, 0.75376886f), p.Set(Param::kChorusSwitch, 0.75376886f);
         p.Set(Param::kDelayLength, 0.9f), p.Set(Param::kDelayFeed, 0.95f), p.Set(Param::kChorusFeed, 1.0f);
       }},
      {21001, [](Pair& p) { p.Sustain(true), p.ReleaseAll(), p.NoteOn(62, 90), p.NoteOff(62); }},
      {22003, [](Pair& p) { p.AllNotesOff(); }},
      {24005, [](Pair& p) { p.AllSoundOff(), p.NoteOn(65, 100); }},
      {26000, [](Pair&) {}},
  };
}

// The first sample where the two renders differ in any bit, or -1.
int FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::bit_cast<std::uint32_t>(a[i]) != std::bit_cast<std::uint32_t>(b[i])) return static_cast<int>(i);
  }
  return -1;
}

struct Scenario {
  float rate;
  int block;
  bool replace;
};

// Renders the events on both, in blocks of `block` that events split, and
// answers where they first differ ("" when nowhere).
std::string Compare(InstructionSet set, const Scenario& scenario, int program, const std::vector<Event>& events) {
  auto pair = std::make_unique<Pair>(set, scenario.rate, 1234u + static_cast<std::uint32_t>(program));
  pair->LoadProgram(program);
  int position = 0;
  bool sounded = false;
  for (const Event& event : events) {
    while (position < event.at) {
      const int length = std::min(scenario.block, event.at - position);
      std::vector<float> input(static_cast<std::size_t>(length));
      for (int i = 0; i < length; ++i) {
        // The input excites the voices from sample 13007 on.
        const int n = position + i;
        input[static_cast<std::size_t>(i)] = n >= 13007 ? 0.3f * std::sin(0.05f * static_cast<float>(n)) : 0.0f;
      }
      // Adding renders start from something to add to.
      const std::vector<float> before(input.size(), scenario.replace ? 0.0f : 0.25f);
      std::vector<float> l = before, r = before, rl = before, rr = before;
      pair->engine.Render(input.data(), l.data(), r.data(), length, scenario.replace);
      pair->reference.Render(input.data(), rl.data(), rr.data(), length, scenario.replace);
      for (const bool left : {true, false}) {
        const std::vector<float>& got = left ? l : r;
        const std::vector<float>& expected = left ? rl : rr;
        const int at = FirstDifference(got, expected);
        if (at >= 0) {
          char text[160];
          std::snprintf(text, sizeof text, "%s differs at sample %d: %.9g instead of %.9g", left ? "left" : "right",
                        position + at, got[static_cast<std::size_t>(at)], expected[static_cast<std::size_t>(at)]);
          return text;
        }
        sounded = sounded || got != before;
      }
      position += length;
    }
    event.act(*pair);
  }
  return sounded ? "" : "silent throughout";
}

TEST(VectorEngine, EveryFactoryProgramMatchesTheScalarLoopBitForBit) {
  const Scenario scenarios[] = {{44100.0f, 512, true}, {48000.0f, 37, false}, {22050.0f, 1, true}, {96000.0f, 4096, true}};
  for (InstructionSet set : InstructionSets()) {
    for (const Scenario& scenario : scenarios) {
      for (int program = 0; program < 16; ++program) {
        EXPECT_EQ(Compare(set, scenario, program, Phrase(program)), "")
            << Name(set) << ", program " << program << ", " << scenario.rate << " Hz, blocks of " << scenario.block;
      }
    }
  }
}

// High notes whose formants fold onto 0 Hz or half the rate: a resonator
// runs away, is cleared and left out of the sum, and its input ring differs
// from its neighbours' for three samples.
TEST(VectorEngine, ResonatorsThatRunAwayAreClearedAsInTheScalarLoop) {
  struct Case {
    int program, note, samples;
  };
  for (InstructionSet set : InstructionSets()) {
    for (const Case c : {Case{6, 126, 4000}, Case{12, 108, 20000}, Case{12, 110, 50000}}) {
      const std::vector<Event> events{
          {0, [c](Pair& p) { p.NoteOn(c.note, 127), p.NoteOn(c.note, 64); }},
          {c.samples, [](Pair&) {}},
      };
      EXPECT_EQ(Compare(set, {44100.0f, 256, true}, c.program, events), "")
          << Name(set) << ", program " << c.program << ", note " << c.note;
    }
  }
}

// Silence between notes: blocks with no voice, no effect and a clear stereo
// line skip all but their last control tick; the controls and tempo set
// meanwhile must reach the next note as they do in the scalar loop.
TEST(VectorEngine, SilenceBetweenNotesKeepsTheControlsOfItsLastTick) {
  const std::vector<Event> events{
      // Every voice plays once, so the later note finds its filters set.
      {0, [](Pair& p) { for (const int key : {48, 52, 55, 60, 64, 67}) p.NoteOn(key, 100); }},
      {3000, [](Pair& p) { p.ReleaseAll(), p.Set(Param::kRelease, 0.1f); }},
      {20007, [](Pair& p) { p.Set(Param::kTremAmount, 0.7f), p.Set(Param::kVolume, 0.9f), p.SetTempo(70.0f); }},
      {31013, [](Pair& p) { p.Set(Param::kAttack, 0.1f), p.Set(Param::kOscType, 0.5f), p.NoteOn(64, 90); }},
      {40000, [](Pair&) {}},
  };
  for (InstructionSet set : InstructionSets()) {
    for (const int block : {300, 1000, 4096}) {
      EXPECT_EQ(Compare(set, {44100.0f, block, block != 1000}, 0, events), "") << Name(set) << ", blocks of " << block;
    }
  }
}

// Low-passes that blow up, which no factory program makes: the fast
// resonator kernel must stop before each sample whose output is not
// finite, so that with the careful kernel taking over there, every output
// and every ring is what the careful kernel alone makes.
TEST(VectorEngine, FastFilterHandsOverWhereAnOutputIsNotFinite) {
  for (InstructionSet set : InstructionSets()) {
    const EngineKernels& kernels = KernelsFor(set);
    auto fast = std::make_unique<VoiceLanes>();
    for (int v = 0; v < kVoiceSlots; ++v) {
      fast->formantB0[v] = 0.01f, fast->formantB1[v] = 1e-15f, fast->formantB2[v] = -0.01f;
      fast->formantA2[v] = 0.5f;
      for (int n = 0; n < kFormantSections; ++n) fast->formantA1[n][v] = -0.5f + 0.01f * static_cast<float>(n);
      fast->lowpassB0[v] = 0.5f, fast->lowpassB1[v] = 0.2f, fast->lowpassB2[v] = 0.1f;
      fast->lowpassA1[v] = -2.5f - 0.1f * static_cast<float>(v), fast->lowpassA2[v] = 1.5f + 0.05f * static_cast<float>(v);
      fast->lowpassConfigured[v] = -1;
    }
    auto careful = std::make_unique<VoiceLanes>(*fast);
    alignas(32) LaneRow excitation[kMaxRun], fastOut[kMaxRun], carefulOut[kMaxRun];
    int handovers = 0;
    for (int run = 0, position = 0; run < 2000; ++run, position = (position + kMaxRun) % kHistorySlots) {
      for (int t = 0; t < kMaxRun; ++t) {
        for (int v = 0; v < kVoiceSlots; ++v) {
          excitation[t][v] = 0.3f * std::sin(0.1f * static_cast<float>(run * kMaxRun + t + v));
        }
      }
      for (int done = 0; done < kMaxRun;) {
        done += kernels.filter(*fast, (position + done) % kHistorySlots, excitation + done, fastOut + done,
                               kMaxRun - done, 0x3F);
        if (done == kMaxRun) break;
        ++handovers;
        const int steps = std::min(3, kMaxRun - done);
        kernels.filterCareful(*fast, (position + done) % kHistorySlots, excitation + done, fastOut + done, steps,
                              0x3F);
        done += steps;
      }
      kernels.filterCareful(*careful, position, excitation, carefulOut, kMaxRun, 0x3F);
      ASSERT_EQ(std::memcmp(fastOut, carefulOut, sizeof fastOut), 0) << Name(set) << ", run " << run;
      ASSERT_EQ(std::memcmp(fast.get(), careful.get(), sizeof(VoiceLanes)), 0) << Name(set) << ", run " << run;
    }
    EXPECT_GT(handovers, 100) << Name(set);
  }
}

}  // namespace
