// Tests that listen to rendered sound: where the energy of a vowel sits, and
// that no program runs away anywhere on the keyboard.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "engine_rig.h"

namespace {

using vyrtal_test::MakeRig;
using vyrtal_test::Rig;

constexpr double kPi = 3.141592653589793;

// Power at hz averaged over Hann-windowed segments of 4096 samples.
double SegmentPower(const std::vector<float>& x, std::size_t from, double hz) {
  constexpr std::size_t kSeg = 4096;
  const double c = 2.0 * std::cos(2.0 * kPi * hz / 44100.0);
  double total = 0.0;
  int segments = 0;
  for (std::size_t start = from; start + kSeg <= x.size(); start += kSeg / 2) {
    double s1 = 0.0, s2 = 0.0;
    for (std::size_t i = 0; i < kSeg; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / kSeg);
      const double s0 = w * x[start + i] + c * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    total += s1 * s1 + s2 * s2 - c * s1 * s2;
    ++segments;
  }
  return total / segments;
}

// Frequency of the strongest power between lo and hi, on a 5 Hz grid.
double PeakBetween(const std::vector<float>& x, std::size_t from, double lo, double hi) {
  double best = lo, bestPower = -1.0;
  for (double hz = lo; hz <= hi; hz += 5.0) {
    const double p = SegmentPower(x, from, hz);
    if (p > bestPower) {
      bestPower = p;
      best = hz;
    }
  }
  return best;
}

// A held noise-excited note at 57 with unscaled formants.
std::vector<float> NoiseVowel(float vowel) {
  auto rig = MakeRig();
  rig->engine.SeedNoise(99);
  rig->Set(Param::kVolume, 1.0f);
  rig->Set(Param::kDecay, 1.0f);
  rig->Set(Param::kVowel, vowel);
  rig->Set(Param::kVowelPitch, 0.5f);
  rig->Set(Param::kOscType, 1.0f);
  rig->Set(Param::kFilterFreq, 1.0f);
  rig->NoteOn(0, 57, 64);
  return rig->RunLeft(44100 * 3);
}

struct VowelRow {
  const char* name;
  float vowel;  // position landing on the table row
  double f1, f2;
};

class FormantPeaks : public ::testing::TestWithParam<VowelRow> {};

TEST_P(FormantPeaks, EnergyPeaksAtFormants) {
  const VowelRow& row = GetParam();
  const std::vector<float> x = NoiseVowel(row.vowel);
  const double p1 = PeakBetween(x, 22050, row.f1 - 150.0, row.f1 + 150.0);
  const double p2 = PeakBetween(x, 22050, row.f2 - 200.0, row.f2 + 200.0);
  std::printf("vowel %s: F1 peak %.0f Hz (table %.0f), F2 peak %.0f Hz (table %.0f)\n", row.name,
              p1, row.f1, p2, row.f2);
  EXPECT_NEAR(p1, row.f1, 15.0);
  EXPECT_NEAR(p2, row.f2, 15.0);
  // Between the formants there is little: at least 20 dB below F1.
  const double between = SegmentPower(x, 22050, 0.5 * (row.f1 + row.f2));
  EXPECT_GT(SegmentPower(x, 22050, p1), 100.0 * between);
}

// Vowel v sits at position 1 + vowel with 4.999 x position = 5 + v (mod 5).
INSTANTIATE_TEST_SUITE_P(Vowels, FormantPeaks,
                         ::testing::Values(VowelRow{"A", 0.0f, 650, 1080},
                                           VowelRow{"E", 6.0f / 4.999f - 1.0f, 400, 1700},
                                           VowelRow{"I", 7.0f / 4.999f - 1.0f, 290, 1870},
                                           VowelRow{"O", 8.0f / 4.999f - 1.0f, 400, 800},
                                           VowelRow{"U", 9.0f / 4.999f - 1.0f, 350, 600}));

TEST(Sound, VowelPitchOneOctaveUpDoublesFormants) {
  // Vowel Pitch 0.75 is +1 octave: F1 of A at 1300 Hz.
  auto rig = MakeRig();
  rig->engine.SeedNoise(7);
  rig->Set(Param::kVolume, 1.0f);
  rig->Set(Param::kDecay, 1.0f);
  rig->Set(Param::kVowelPitch, 0.75f);
  rig->Set(Param::kOscType, 1.0f);
  rig->Set(Param::kFilterFreq, 1.0f);
  rig->NoteOn(0, 57, 64);
  const auto x = rig->RunLeft(44100 * 2);
  const double p = PeakBetween(x, 22050, 1100.0, 1500.0);
  std::printf("vowel A one octave up: F1 peak %.0f Hz (expected 1300)\n", p);
  EXPECT_NEAR(p, 1300.0, 20.0);
}

TEST(Sound, ResonantLowpassStaysFiniteForMinutes) {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->Set(Param::kFilterQ, 1.0f);
  rig->Set(Param::kFilterFreq, 0.5f);
  rig->Set(Param::kVolume, 1.0f);
  rig->NoteOn(0, 45, 127);
  rig->NoteOn(1, 52, 127);
  double energy = 0.0;
  for (int second = 0; second < 150; ++second) {
    const auto l = rig->RunLeft(44100);
    for (float v : l) {
      ASSERT_TRUE(std::isfinite(v)) << second;
      energy += static_cast<double>(v) * v;
    }
  }
  EXPECT_GT(energy, 0.0);
}

struct Level {
  double rms;
  double pinned;  // fraction of samples at full scale
  bool finite;
};

Level Measure(const std::vector<float>& x, std::size_t from, std::size_t to) {
  Level level{0.0, 0.0, true};
  std::size_t pinned = 0;
  for (std::size_t i = from; i < to; ++i) {
    if (!std::isfinite(x[i])) level.finite = false;
    if (std::fabs(x[i]) >= 0.999f) ++pinned;
  }
  level.rms = vyrtal_test::Rms(x, from, to);
  level.pinned = static_cast<double>(pinned) / static_cast<double>(to - from);
  return level;
}

// Chirpings, note 110 held at full velocity: the folded formants must not
// run away.
TEST(Sound, ChirpingsHighNoteStaysSane) {
  auto rig = MakeRig();
  rig->engine.SeedNoise(1234);
  rig->LoadProgram(12);
  rig->NoteOn(0, 110, 127);
  std::vector<float> l, r;
  rig->Run(l, r, 44100 * 6);
  const Level left = Measure(l, 44100 * 5, l.size());
  const Level right = Measure(r, 44100 * 5, r.size());
  std::printf("Chirpings note 110, last second: rms %.4f, pinned %.4f\n", left.rms, left.pinned);
  EXPECT_TRUE(left.finite);
  EXPECT_TRUE(right.finite);
  EXPECT_GT(left.rms, 1e-4);
  EXPECT_LT(left.pinned, 0.01);
  EXPECT_LT(right.pinned, 0.01);
}

class FactoryProgram : public ::testing::TestWithParam<int> {};

TEST_P(FactoryProgram, WholeKeyboardStaysFinite) {
  const int program = GetParam();
  for (int note = 0; note < 128; note += 6) {
    auto rig = MakeRig();
    rig->engine.SeedNoise(static_cast<std::uint32_t>(note + 1));
    rig->LoadProgram(program);
    rig->NoteOn(0, note, 127);
    rig->NoteOn(1, note, 64);
    std::vector<float> l, r;
    rig->Run(l, r, 22050);
    rig->NoteOff(0);
    rig->NoteOff(1);
    std::vector<float> l2, r2;
    rig->Run(l2, r2, 11025);
    l.insert(l.end(), l2.begin(), l2.end());
    r.insert(r.end(), r2.begin(), r2.end());
    const Level left = Measure(l, 0, l.size());
    const Level right = Measure(r, 0, r.size());
    ASSERT_TRUE(left.finite) << "program " << program << " note " << note;
    ASSERT_TRUE(right.finite) << "program " << program << " note " << note;
    // Bottom notes through long feedback may sit at full scale; that is the
    // clipper doing its job, not a runaway.
  }
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, FactoryProgram, ::testing::Range(0, 16));

}  // namespace
