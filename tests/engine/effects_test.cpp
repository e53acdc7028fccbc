#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine_rig.h"

namespace {

using vyrtal_test::MakeRig;

TEST(Delay, LengthsOnTempo) {
  struct Row {
    float length;
    float bpm;
    int samples;
  };
  const Row rows[] = {
      {0.0f, 120.0f, 1},
      {1.0f, 120.0f, 43411},  // FloorInt(63 x 689.0625) + 1
      {0.5f, 120.0f, 21361},  // 31 steps
      {1.0f, 60.0f, 65000},   // would be 86822: capped
      {1.0f, 79.0f, 65000},
  };
  for (const Row& row : rows) {
    auto rig = MakeRig();
    rig->tempo.bpm = row.bpm;
    rig->Set(Param::kDelayLength, row.length);
    rig->RunLeft(16);
    EXPECT_EQ(rig->engine.delay().length(), row.samples) << row.length << " " << row.bpm;
  }
}

// A short note through the delay at full wet: each repeat is the previous
// one inverted, scaled by the feedback and filtered, so the repeats alternate
// in sign and decay.
TEST(Delay, RepeatsAlternateAndDecay) {
  auto rig = MakeRig();
  rig->Set(Param::kVolume, 1.0f);
  rig->Set(Param::kDelaySwitch, 1.0f);
  rig->Set(Param::kDelayLength, 0.1f);  // 6 steps
  rig->Set(Param::kDelayFeed, 0.8f);
  rig->Set(Param::kDelayFilter, 1.0f);
  rig->Set(Param::kDelayMix, 1.0f);  // wet only
  rig->Set(Param::kVowelPitch, 0.5f);
  rig->Set(Param::kFilterFreq, 1.0f);
  rig->NoteOn(0, 57, 127);
  std::vector<float> head = rig->RunLeft(216);
  rig->NoteOff(0);
  const int length = rig->engine.delay().length();
  ASSERT_EQ(length, 6 * 689 + 1);  // FloorInt(6 x 689.0625) + 1
  const auto len = static_cast<std::size_t>(length);
  std::vector<float> rest = rig->RunLeft(len * 6);
  std::vector<float> l = head;
  l.insert(l.end(), rest.begin(), rest.end());
  constexpr std::size_t kWindow = 2000;
  auto window = [&](std::size_t k, std::size_t i) { return static_cast<double>(l[k * len + i]); };
  double e1 = 0.0;
  for (std::size_t i = 0; i < kWindow; ++i) e1 += window(1, i) * window(1, i);
  ASSERT_GT(e1, 1e-3);
  double lastEnergy = e1;
  for (std::size_t k = 2; k <= 5; ++k) {
    double c = 0.0, e = 0.0;
    for (std::size_t i = 0; i < kWindow; ++i) {
      c += window(1, i) * window(k, i);
      e += window(k, i) * window(k, i);
    }
    EXPECT_EQ(c < 0.0, k % 2 == 0) << "repeat " << k;
    EXPECT_LT(e, lastEnergy) << "repeat " << k;
    EXPECT_GT(e, 0.0) << "repeat " << k;
    lastEnergy = e;
  }
}

TEST(Delay, MixZeroIsDry) {
  auto a = MakeRig();
  auto b = MakeRig();
  for (auto* rig : {a.get(), b.get()}) {
    rig->LoadProgram(0);
    rig->NoteOn(0, 60, 100);
  }
  a->Set(Param::kDelaySwitch, 1.0f);
  a->Set(Param::kDelayMix, 0.0f);
  a->Set(Param::kDelayLength, 0.0f);
  std::vector<float> la, ra, lb, rb;
  a->Run(la, ra, 8192);
  b->Run(lb, rb, 8192);
  EXPECT_EQ(la, lb);
}

TEST(Delay, SwitchedOffStageIsFrozenAndComesBack) {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->Set(Param::kDelaySwitch, 1.0f);
  rig->Set(Param::kDelayLength, 0.2f);  // 12 steps: 8269 samples
  rig->Set(Param::kDelayMix, 1.0f);
  rig->Set(Param::kDelayFeed, 0.0f);
  rig->NoteOn(0, 60, 127);
  rig->RunLeft(1000);
  ASSERT_EQ(rig->engine.delay().length(), 8269);
  rig->NoteOff(0);
  rig->engine.SetEnvelopeLevels(0, 0.0f, rig->engine.voice(0).filterEnv);
  rig->Set(Param::kDelaySwitch, 0.0f);
  // One whole ring later the read position is back in step with the line.
  auto off = rig->RunLeft(65536);
  for (float v : off) ASSERT_EQ(v, 0.0f);
  rig->Set(Param::kDelaySwitch, 1.0f);
  auto on = rig->RunLeft(9000);
  EXPECT_LT(vyrtal_test::Rms(on, 0, 7000), 1e-9);
  EXPECT_GT(vyrtal_test::Rms(on, 7269 + 300, 8269), 1e-3);
}

TEST(Chorus, BaseLengthAndDelay) {
  auto rig = MakeRig();
  rig->Set(Param::kChorusLength, 0.5f);
  rig->Set(Param::kChorusWidth, 0.0f);
  rig->RunLeft(16);
  EXPECT_EQ(rig->engine.chorus().baseLength(), 662);  // FloorInt(661.5) + 1
  EXPECT_FLOAT_EQ(rig->engine.chorus().delay(), 663.0f);
  rig->Set(Param::kChorusLength, 0.0f);
  rig->RunLeft(16);
  EXPECT_EQ(rig->engine.chorus().baseLength(), 1);
}

TEST(Chorus, DelaySweepsWithinDepth) {
  auto rig = MakeRig();
  rig->Set(Param::kChorusLength, 1.0f);
  rig->Set(Param::kChorusWidth, 1.0f);
  rig->Set(Param::kChorusSpeed, 1.0f);
  const float base = 1324.0f;  // FloorInt(1323) + 1
  float lo = 1e9f, hi = 0.0f;
  for (int t = 0; t < 2000; ++t) {
    rig->RunLeft(16);
    lo = std::min(lo, rig->engine.chorus().delay());
    hi = std::max(hi, rig->engine.chorus().delay());
  }
  EXPECT_GE(lo, 0.01f * base + 1.0f - 0.01f);
  EXPECT_LE(hi, 1.99f * base + 1.0f + 0.01f);
  EXPECT_LT(lo, 0.05f * base);
  EXPECT_GT(hi, 1.95f * base);
}

TEST(Chorus, FullFeedbackStaysBounded) {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->Set(Param::kChorusSwitch, 1.0f);
  rig->Set(Param::kChorusFeed, 1.0f);
  rig->Set(Param::kVolume, 1.0f);
  for (int v = 0; v < 6; ++v) rig->NoteOn(v, 40 + 7 * v, 127);
  auto l = rig->RunLeft(44100 * 4);
  for (float v : l) {
    ASSERT_TRUE(std::isfinite(v));
    ASSERT_LE(std::fabs(v), 1.0f);
  }
}

}  // namespace
