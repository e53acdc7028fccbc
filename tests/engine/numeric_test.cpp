#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/history_slots.h"
#include "engine/noise_source.h"
#include "engine/numeric.h"

namespace {

TEST(SoftClip, HalfBecomesFiveEighths) { EXPECT_FLOAT_EQ(SoftClip(0.5f), 0.625f); }

TEST(SoftClip, TableOfValues) {
  struct Row {
    float in, out;
  };
  const Row rows[] = {{0.0f, 0.0f},   {1.0f, 1.0f},    {-1.0f, -1.0f}, {1.5f, 1.0f},
                      {-7.0f, -1.0f}, {-0.5f, -0.625f}, {0.25f, 0.34375f}};
  for (const Row& r : rows) EXPECT_FLOAT_EQ(SoftClip(r.in), r.out) << r.in;
}

TEST(SoftClip, NeverLeavesUnitRange) {
  for (float x = -3.0f; x <= 3.0f; x += 0.01f) {
    EXPECT_LE(std::fabs(SoftClip(x)), 1.0f);
  }
}

TEST(DbToGain, VolumeEnds) {
  EXPECT_EQ(DbToGain(0.0f, 40.0f, 40.0f), 0.0f);
  EXPECT_FLOAT_EQ(DbToGain(1.0f, 40.0f, 40.0f), 1.0f);
  EXPECT_NEAR(DbToGain(0.5f, 40.0f, 40.0f), 0.1f, 1e-7f);
  EXPECT_NEAR(DbToGain(1e-6f, 40.0f, 40.0f), 0.01f, 1e-6f);
}

TEST(Clip1, ClampsToUnitRange) {
  EXPECT_EQ(Clip1(3.0f), 1.0f);
  EXPECT_EQ(Clip1(-3.0f), -1.0f);
  EXPECT_FLOAT_EQ(Clip1(0.25f), 0.25f);
  EXPECT_EQ(Clip1(0.0f), 1e-15f);
}

TEST(FloorInt, RoundsDownAndSaturates) {
  EXPECT_EQ(FloorInt(2.0), 2);
  EXPECT_EQ(FloorInt(2.9999), 2);
  EXPECT_EQ(FloorInt(-0.5), -1);
  EXPECT_EQ(FloorInt(1e300), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(FloorInt(-1e300), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(FloorInt(std::nan("")), 0);
}

TEST(Pow2, PowersOfTwo) {
  EXPECT_FLOAT_EQ(Pow2(0.0), 1.0f);
  EXPECT_FLOAT_EQ(Pow2(1.0), 2.0f);
  EXPECT_FLOAT_EQ(Pow2(-2.0), 0.25f);
  EXPECT_NEAR(Pow2(9.0), 512.0f, 1e-3f);
}

TEST(NoiseSource, UniformInUnitInterval) {
  NoiseSource noise;
  noise.Init();
  noise.Seed(12345);
  double sum = 0.0;
  constexpr int kCount = 100000;
  for (int i = 0; i < kCount; ++i) {
    const float r = noise.Next();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    sum += r;
  }
  EXPECT_NEAR(sum / kCount, 0.5, 0.01);
}

TEST(NoiseSource, ZeroSeedStillRuns) {
  NoiseSource noise;
  noise.Seed(0);
  const float a = noise.Next();
  const float b = noise.Next();
  EXPECT_NE(a, b);
}

TEST(HistorySlots, CurrentAndOlderSlots) {
  const HistorySlots h0 = HistorySlots::At(0);
  EXPECT_EQ(h0.current, 0);
  EXPECT_EQ(h0.oneBack, 2);
  EXPECT_EQ(h0.twoBack, 1);
  const HistorySlots h1 = HistorySlots::At(1);
  EXPECT_EQ(h1.oneBack, 0);
  EXPECT_EQ(h1.twoBack, 2);
  const HistorySlots h2 = HistorySlots::At(2);
  EXPECT_EQ(h2.oneBack, 1);
  EXPECT_EQ(h2.twoBack, 0);
}

}  // namespace
