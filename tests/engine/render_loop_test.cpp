#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine_rig.h"

namespace {

using vyrtal_test::MakeRig;
using vyrtal_test::Rig;

// A rig playing two notes of the default program with both effects on.
std::unique_ptr<Rig> PlayingRig() {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->Set(Param::kDelaySwitch, 0.75376886f);
  rig->Set(Param::kChorusSwitch, 0.75376886f);
  rig->Set(Param::kStereo, 0.3f);
  rig->NoteOn(1, 57, 100);
  rig->NoteOn(2, 64, 90);
  return rig;
}

TEST(RenderLoop, SplitBlocksEqualOneBlock) {
  auto a = PlayingRig();
  std::vector<float> la, ra;
  a->Run(la, ra, 128 * 40, 128);
  // The same as alternating blocks of 100 and 28.
  auto c = PlayingRig();
  std::vector<float> lc(128 * 40), rc(128 * 40);
  for (std::size_t pos = 0; pos < lc.size(); pos += 128) {
    c->engine.Render(nullptr, lc.data() + pos, rc.data() + pos, 100, true);
    c->engine.Render(nullptr, lc.data() + pos + 100, rc.data() + pos + 100, 28, true);
  }
  double energy = 0.0;
  for (std::size_t i = 0; i < la.size(); ++i) {
    ASSERT_EQ(la[i], lc[i]) << i;
    ASSERT_EQ(ra[i], rc[i]) << i;
    energy += la[i] * la[i];
  }
  EXPECT_GT(energy, 0.0);
}

TEST(RenderLoop, ProcessAddsAndReplacingOverwrites) {
  auto a = PlayingRig();
  auto b = PlayingRig();
  constexpr int kN = 4096;
  std::vector<float> ref(kN), refR(kN);
  a->engine.Render(nullptr, ref.data(), refR.data(), kN, true);
  std::vector<float> acc(kN, 0.25f), accR(kN, -0.5f);
  b->engine.Render(nullptr, acc.data(), accR.data(), kN, false);
  for (int i = 0; i < kN; ++i) {
    ASSERT_EQ(acc[static_cast<std::size_t>(i)], 0.25f + ref[static_cast<std::size_t>(i)]);
    ASSERT_EQ(accR[static_cast<std::size_t>(i)], -0.5f + refR[static_cast<std::size_t>(i)]);
  }
  auto c = PlayingRig();
  std::vector<float> rep(kN, 0.25f), repR(kN, -0.5f);
  c->engine.Render(nullptr, rep.data(), repR.data(), kN, true);
  EXPECT_EQ(rep, ref);
  EXPECT_EQ(repR, refR);
}

TEST(RenderLoop, NonPositiveCountTouchesNothing) {
  auto rig = PlayingRig();
  float l = 7.0f, r = 8.0f;
  rig->engine.Render(nullptr, &l, &r, 0, true);
  rig->engine.Render(nullptr, &l, &r, -5, true);
  EXPECT_EQ(l, 7.0f);
  EXPECT_EQ(r, 8.0f);
  EXPECT_EQ(rig->engine.sampleCounter(), 0u);
}

TEST(RenderLoop, SilentWithoutVoicesAndEffects) {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  std::vector<float> input(8192);
  for (std::size_t i = 0; i < input.size(); ++i) input[i] = std::sin(0.01f * static_cast<float>(i));
  std::vector<float> l, r;
  rig->Run(l, r, input.size(), 512, input.data());
  for (std::size_t i = 0; i < l.size(); ++i) {
    ASSERT_EQ(l[i], 0.0f);
    ASSERT_EQ(r[i], 0.0f);
  }
}

TEST(RenderLoop, FirstFifteenSamplesSilent) {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->NoteOn(0, 57, 127);
  rig->engine.notes.ampEnv[0] = 1.0f;  // would sound at once if gains were set
  auto l = rig->RunLeft(15);
  for (float v : l) EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(rig->engine.outputGain(), 0.0f);
  rig->RunLeft(1);
  EXPECT_FLOAT_EQ(rig->engine.outputGain(), DbToGain(0.8f, 40.0f, 40.0f));
}

TEST(RenderLoop, OutputGainFromVolume) {
  struct Row {
    float volume, gain;
  };
  const Row rows[] = {{0.0f, 0.0f}, {0.5f, 0.1f}, {1.0f, 1.0f}};
  for (const Row& row : rows) {
    auto rig = MakeRig();
    rig->Set(Param::kVolume, row.volume);
    rig->RunLeft(16);
    EXPECT_NEAR(rig->engine.outputGain(), row.gain, 1e-7f) << row.volume;
  }
}

TEST(RenderLoop, VolumeZeroIsExactSilence) {
  auto rig = PlayingRig();
  rig->Set(Param::kVolume, 0.0f);
  std::vector<float> l, r;
  rig->Run(l, r, 8192);
  for (std::size_t i = 0; i < l.size(); ++i) {
    ASSERT_EQ(l[i], 0.0f);
    ASSERT_EQ(r[i], 0.0f);
  }
}

// The right channel is the left one delayed by 2..513 samples.
TEST(RenderLoop, RightChannelOffset) {
  struct Row {
    float amount;
    int delay;
  };
  const Row rows[] = {{0.0f, 2}, {1.0f, 513}, {0.5f, 23}};
  for (const Row& row : rows) {
    auto rig = PlayingRig();
    rig->Set(Param::kStereo, row.amount);
    std::vector<float> l, r;
    rig->Run(l, r, 6000);
    EXPECT_EQ(rig->engine.stereoDelay(), row.delay);
    const auto d = static_cast<std::size_t>(row.delay);
    double energy = 0.0;
    for (std::size_t i = 600; i < l.size(); ++i) {
      ASSERT_EQ(r[i], l[i - d]) << i;
      energy += l[i] * l[i];
    }
    EXPECT_GT(energy, 0.0);
  }
}

TEST(RenderLoop, ParameterChangeHeardFromNextTick) {
  auto a = PlayingRig();
  auto b = PlayingRig();
  constexpr int kPre = 16 * 50 + 5;  // between two ticks
  std::vector<float> la(kPre), ra(kPre), lb(kPre), rb(kPre);
  a->engine.Render(nullptr, la.data(), ra.data(), kPre, true);
  b->engine.Render(nullptr, lb.data(), rb.data(), kPre, true);
  b->Set(Param::kVolume, 0.3f);
  std::vector<float> la2(64), ra2(64), lb2(64), rb2(64);
  a->engine.Render(nullptr, la2.data(), ra2.data(), 64, true);
  b->engine.Render(nullptr, lb2.data(), rb2.data(), 64, true);
  // Samples up to the one before the next tick (11 samples) are unchanged.
  for (int i = 0; i < 10; ++i) EXPECT_EQ(la2[static_cast<std::size_t>(i)], lb2[static_cast<std::size_t>(i)]) << i;
  bool differs = false;
  for (int i = 10; i < 64; ++i) differs |= la2[static_cast<std::size_t>(i)] != lb2[static_cast<std::size_t>(i)];
  EXPECT_TRUE(differs);
  EXPECT_NE(la2[10], lb2[10]);
}

TEST(RenderLoop, ResetRunningSoundSilencesTails) {
  auto rig = PlayingRig();
  rig->Set(Param::kDelayFeed, 0.9f);
  rig->RunLeft(20000);
  rig->NoteOff(1);
  rig->NoteOff(2);
  rig->engine.notes.ampEnv[1] = 0.0f;
  rig->engine.notes.ampEnv[2] = 0.0f;
  // Without the reset the delay tail goes on.
  auto tail = rig->RunLeft(4096);
  EXPECT_GT(vyrtal_test::Rms(tail, 0, tail.size()), 1e-4);
  rig->engine.ResetRunningSound();
  std::vector<float> l, r;
  rig->Run(l, r, 4096);
  // What is left is the denormal guard passing through the effects.
  for (std::size_t i = 0; i < l.size(); ++i) {
    ASSERT_LT(std::fabs(l[i]), 1e-9f) << i;
    ASSERT_LT(std::fabs(r[i]), 1e-9f) << i;
  }
}

TEST(RenderLoop, NonFiniteInputTakenAsZero) {
  auto a = PlayingRig();
  auto b = PlayingRig();
  std::vector<float> in(2048, 0.0f);
  for (std::size_t i = 0; i < in.size(); i += 7) in[i] = std::nanf("");
  in[5] = INFINITY;
  std::vector<float> la, ra, lb, rb;
  a->Run(la, ra, in.size(), 256, in.data());
  b->Run(lb, rb, in.size(), 256, nullptr);
  EXPECT_EQ(la, lb);
  EXPECT_EQ(ra, rb);
}

TEST(RenderLoop, InputReachesRunningVoices) {
  auto a = PlayingRig();
  auto b = PlayingRig();
  std::vector<float> in(4096);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = 0.5f * std::sin(0.1f * static_cast<float>(i));
  std::vector<float> la, ra, lb, rb;
  a->Run(la, ra, in.size(), 256, in.data());
  b->Run(lb, rb, in.size(), 256, nullptr);
  EXPECT_NE(la, lb);
}

}  // namespace

// A voice that starts between two ticks takes the tremolo of the last tick,
// even when no voice ran at that tick.
TEST(RenderLoop, TremoloFollowsEveryTickEvenWithoutVoices) {
  auto rig = MakeRig();
  rig->Set(Param::kTremAmount, 1.0f);
  rig->Set(Param::kTremSpeed, 0.7f);
  std::vector<float> l(40), r(40);
  rig->engine.Render(nullptr, l.data(), r.data(), 40, true);  // ticks at 16 and 32, no voice
  const double ft = std::exp(0.6931472 * 7.0) * 0.02685546875 / 44100.0;
  const double expected = 1.0 - std::fabs(std::sin(6.28318 * ft * 32.0) * 1.0);
  EXPECT_NEAR(rig->engine.modulation().tremolo(), expected, 1e-6);
}

// The render loop worked out the plain way: every control value at its tick,
// nothing deferred or cached. The engine defers some of them (chorus
// settings, the delay's filter design, the voices' shared controls) and
// caches others by value; its output must not differ by a single bit, also
// when voices start and effects switch on between ticks.
namespace eager {

struct Loop {
  const ParamArray* param;
  float rate = 44100.0f, tempo = 0.0f;
  std::uint32_t counter = 0;
  std::uint8_t position = 0;
  EnvelopeRates rates;
  Modulation modulation;
  OscType type = OscType::kSaw;
  std::int32_t stereo = 0;
  float gain = 0.0f;
  FormantControls formants;
  FilterControls filter;
  float pitchGlide = 0.0f, vowelGlide = 0.0f, vowel = 0.0f;
  std::array<Voice, 6> voices;
  NoteState* notes;
  NoiseSource noise;
  Chorus chorus;
  std::int32_t delayLength = 0;
  float feedback = 0.0f, dry = 0.0f, wet = 0.0f;
  LowpassSection delayFilter;
  std::vector<float> delayLine = std::vector<float>(65536, 0.0f);
  std::array<float, 1024> stereoLine{};

  float P(Param p) const { return ReadParam(*param, static_cast<int>(p)); }

  void Init(const ParamArray* p, NoteState* n, std::uint32_t seed) {
    param = p;
    notes = n;
    rates.Init();
    modulation.Init();
    for (Voice& v : voices) v.Init();
    noise.Seed(seed);
    chorus.Init();
    delayFilter.Init();
  }

  void Tick() {
    const std::int32_t n = static_cast<std::int32_t>(counter);
    const std::int32_t steps = FloorInt(63.99 * P(Param::kDelayLength));
    const std::int32_t whole = FloorInt(steps * (1.875 * rate / tempo));
    delayLength = whole >= 65000 ? 65000 : whole + 1;
    feedback = P(Param::kDelayFeed);
    dry = wet = 1.0f;
    if (P(Param::kDelayMix) >= 0.5f) {
      dry = 2.0f - 2.0f * P(Param::kDelayMix);
    } else {
      wet = 2.0f * P(Param::kDelayMix);
    }
    delayFilter.Configure(20.0f * Pow2(10.0 * P(Param::kDelayFilter)), 0.1f, rate);
    chorus.Configure({P(Param::kChorusLength), P(Param::kChorusWidth), P(Param::kChorusSpeed),
                      P(Param::kChorusFeed)},
                     n, rate);
    chorus.Update();
    const ModulationControls mod{P(Param::kVibAmount),  P(Param::kVibSpeed),
                                 P(Param::kTremAmount), P(Param::kTremSpeed),
                                 P(Param::kWahAmount),  P(Param::kWahSpeed)};
    modulation.ConfigureVibrato(mod, n, rate);
    modulation.ConfigureTremolo(mod, n, rate);
    type = static_cast<OscType>(FloorInt(2.99 * P(Param::kOscType)));
    modulation.ConfigureWah(mod, n, rate);
    stereo = FloorInt(Pow2(9.0 * P(Param::kStereo)) + 1.0);
    rates.Configure({P(Param::kAttack), P(Param::kDecay), P(Param::kRelease), P(Param::kFilterRelease)},
                    rate, tempo);
    gain = DbToGain(P(Param::kVolume), 40.0f, 40.0f);
    pitchGlide = Modulation::GlideWeight(P(Param::kPitchInertia));
    vowelGlide = Modulation::GlideWeight(P(Param::kVowelInertia));
    vowel = P(Param::kVowel);
    formants.vowelPitch = P(Param::kVowelPitch);
    formants.wah = modulation.wah();
    formants.width = FormantWidth::FromControl(P(Param::kBandWidth));
    filter.freq = P(Param::kFilterFreq);
    filter.q = P(Param::kFilterQ);
    filter.envDepth = P(Param::kFilterEnvelope);
  }

  void Sample(float& left, float& right) {
    position = static_cast<std::uint8_t>(position == 2 ? 0 : position + 1);
    const HistorySlots h = HistorySlots::At(position);
    const float x = 0.0f + kDenormalGuard;
    if ((counter & 1023u) == 0) tempo = 120.0f;
    ++counter;
    const bool tick = (counter & 15u) == 0;
    if (tick) Tick();
    float mono = 0.0f;
    for (std::size_t v = 0; v < voices.size(); ++v) {
      const bool held = notes->keyDown[v].load() == 1;
      if (!held && notes->ampEnv[v] <= 0.001f) continue;
      if (tick) {
        voices[v].Glide(pitchGlide, notes->noteTarget[v], vowelGlide, vowel);
        voices[v].ConfigureFormantsAndPitch(formants, modulation.vibrato(), rate);
      }
      rates.Step(held, notes->attacking[v], notes->ampEnv[v], notes->filterEnv[v]);
      const float amp = notes->velocity[v] * notes->ampEnv[v] * modulation.tremolo() + kDenormalGuard;
      if (tick) voices[v].ConfigureLowpass(filter, notes->filterEnv[v], rate);
      mono += voices[v].Render(x, amp, type, noise, h);
    }
    float out = mono;
    if (P(Param::kChorusSwitch) > 0.5f) out = chorus.Process(out, counter);
    if (P(Param::kDelaySwitch) > 0.5f) {
      const float y = delayLine[(counter - static_cast<std::uint32_t>(delayLength)) & 65535u];
      delayLine[counter & 65535u] = delayFilter.Process(out - feedback * y, h) + kDenormalGuard;
      out = wet * y + dry * out;
    }
    stereoLine[counter & 1023u] = out;
    const float r = stereoLine[(counter - static_cast<std::uint32_t>(stereo)) & 1023u];
    left = SoftClip(gain * out);
    right = SoftClip(gain * r);
  }
};

}  // namespace eager

TEST(RenderLoop, MatchesAnEagerReferenceLoop) {
  auto rig = MakeRig();
  rig->engine.SeedNoise(12345u);
  auto ref = std::make_unique<eager::Loop>();
  NoteState refNotes;
  ref->Init(&rig->param, &refNotes, 12345u);
  rig->LoadProgram(7);  // noise excitation, chorus and delay
  rig->Set(Param::kChorusSwitch, 0.2512563f);
  rig->Set(Param::kDelaySwitch, 0.2512563f);

  auto noteOn = [&](int v, int note) {
    rig->NoteOn(v, note, 100);
    const auto s = static_cast<std::size_t>(v);
    refNotes.keyDown[s].store(1);
    refNotes.attacking[s] = 1;
    refNotes.noteTarget[s] = static_cast<float>(note);
    refNotes.velocity[s] = 100.0f / 127.0f;
    refNotes.ampEnv[s] = 0.0f;
    refNotes.filterEnv[s] = 1.0f;
  };
  auto noteOff = [&](int v) {
    rig->NoteOff(v);
    refNotes.keyDown[static_cast<std::size_t>(v)].store(0);
  };

  double energy = 0.0;
  for (int i = 0; i < 40000; ++i) {
    // Everything happens between ticks.
    switch (i) {
      case 1003: noteOn(1, 57); break;
      case 2501: rig->Set(Param::kChorusSwitch, 0.75376886f); break;
      case 3007: rig->Set(Param::kDelaySwitch, 0.75376886f); break;
      case 4005: noteOn(2, 64); break;
      case 5009: rig->Set(Param::kOscType, 0.0f); rig->Set(Param::kBandWidth, 0.6f); break;
      case 6011: rig->Set(Param::kStereo, 0.8f); rig->Set(Param::kVolume, 0.6f); break;
      case 9013: noteOff(1); rig->Set(Param::kDelayFilter, 0.3f); break;
      case 12007: rig->Set(Param::kChorusSwitch, 0.0f); rig->Set(Param::kChorusLength, 0.9f); break;
      case 15003: rig->Set(Param::kStereo, 0.63f); rig->Set(Param::kBandWidth, 0.2f); break;
      case 20005: noteOn(3, 52); rig->Set(Param::kChorusSwitch, 1.0f); break;
      case 26001: noteOff(2); noteOff(3); rig->Set(Param::kFilterFreq, 0.4f); break;
      case 30009: noteOn(4, 69); rig->Set(Param::kDelaySwitch, 0.0f); break;
      default: break;
    }
    float l = 0.0f, r = 0.0f, el = 0.0f, er = 0.0f;
    ref->Sample(el, er);
    rig->engine.Render(nullptr, &l, &r, 1, true);
    ASSERT_EQ(l, el) << i;
    ASSERT_EQ(r, er) << i;
    energy += static_cast<double>(l) * l;
  }
  EXPECT_GT(energy, 0.0);
}
