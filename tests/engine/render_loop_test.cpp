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
  rig->engine.SetEnvelopeLevels(0, 1.0f, 1.0f);  // would sound at once if gains were set
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
  rig->engine.SetEnvelopeLevels(1, 0.0f, 0.0f);
  rig->engine.SetEnvelopeLevels(2, 0.0f, 0.0f);
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
