#include <gtest/gtest.h>

#include <cmath>

#include "reference/scalar_formant_bank.h"
#include "engine/lowpass_section.h"
#include "engine_rig.h"

namespace {

using vyrtal_test::MakeRig;

// Phase steps at 44100 Hz once the pitch has settled (no vibrato).
TEST(Voice, PhaseStepsAt44100) {
  struct Row {
    int note;
    int step;
  };
  const Row rows[] = {{57, 163}, {69, 326}, {33, 40}};
  for (const Row& row : rows) {
    auto rig = MakeRig();
    rig->LoadProgram(0);
    rig->Set(Param::kVibAmount, 0.0f);
    rig->Set(Param::kPitchInertia, 0.0f);
    rig->NoteOn(0, row.note, 100);
    rig->RunLeft(16 * 20);
    EXPECT_EQ(rig->engine.voice(0).phaseInc, row.step) << row.note;
    EXPECT_FLOAT_EQ(rig->engine.voice(0).pitch, static_cast<float>(row.note));
  }
}

TEST(Voice, PitchInertiaZeroArrivesInOneTick) {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->Set(Param::kPitchInertia, 0.0f);
  rig->NoteOn(0, 60, 100);
  rig->RunLeft(16);
  EXPECT_NEAR(rig->engine.voice(0).pitch, 60.0f * 256.0f / 257.0f, 1e-3f);
}

// Each tick moves the pitch 1 / (g + 1) of the remaining way, worked out in
// double and rounded once when stored, so a held note settles within what
// single precision forces: (g + 1) half-steps of a float at the note.
TEST(Voice, GlideFollowsItsRecurrenceAndSettlesOnTheNote) {
  for (const float inertia : {0.7f, 1.0f}) {
    auto rig = MakeRig();
    rig->LoadProgram(0);
    rig->Set(Param::kVibAmount, 0.0f);
    rig->Set(Param::kPitchInertia, inertia);
    rig->NoteOn(0, 48, 100);
    const double g = static_cast<float>(std::exp(0.6931472 * ((1.0 - inertia) * -20.0 + 12.0)));
    float expected = 0.0f;
    const int ticks = inertia < 1.0f ? 2000 : 70000;
    for (int tick = 0; tick < ticks; ++tick) {
      rig->RunLeft(16);
      expected = static_cast<float>((static_cast<double>(expected) * g + 48.0) / (g + 1.0));
      ASSERT_EQ(rig->engine.voice(0).pitch, expected) << inertia << " tick " << tick;
    }
    const double halfStep = std::ldexp(1.0, -19);  // half the float spacing in [32, 64)
    EXPECT_LE(std::fabs(expected - 48.0), (g + 1.0) * halfStep) << inertia;
    rig->RunLeft(16);
    EXPECT_EQ(rig->engine.voice(0).pitch, expected) << "settled: " << inertia;
  }
}

TEST(Voice, FirstTickUsesPreviousPitchForFormantsThenUpdates) {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->Set(Param::kVibAmount, 0.0f);
  rig->Set(Param::kPitchInertia, 0.0f);
  rig->NoteOn(0, 69, 100);
  rig->RunLeft(15);
  EXPECT_EQ(rig->engine.voice(0).phaseInc, 0);  // no tick yet
  rig->RunLeft(1);
  EXPECT_GT(rig->engine.voice(0).phaseInc, 300);
}

TEST(FormantBank, ConstantInputGivesNoSteadyOutput) {
  FormantBank bank;
  bank.Init();
  bank.Configure(1.0f, 1.0f, FormantWidth::FromControl(0.0f), 44100.0f);
  float y = 0.0f;
  for (int i = 0; i < 44100; ++i) y = bank.Process(-1.0f, HistorySlots::At(static_cast<std::uint8_t>(i % 3)));
  EXPECT_LT(std::fabs(y), 1e-4f);
}

TEST(FormantBank, UnitGainNearCentre) {
  // A sine at vowel 0's first formant (650 Hz), band width control 0.
  FormantBank bank;
  bank.Init();
  bank.Configure(1.0f, 1.0f, FormantWidth::FromControl(0.0f), 44100.0f);
  double peak = 0.0;
  for (int i = 0; i < 44100; ++i) {
    const float x = static_cast<float>(std::sin(2.0 * 3.141592653589793 * 650.0 * i / 44100.0));
    const float y = bank.Process(x, HistorySlots::At(static_cast<std::uint8_t>(i % 3)));
    if (i > 22050) peak = std::max(peak, static_cast<double>(std::fabs(y)));
  }
  EXPECT_NEAR(peak, 1.0, 0.15);
}

TEST(LowpassSection, UnconfiguredPassesInput) {
  LowpassSection lp;
  lp.Init();
  EXPECT_FALSE(lp.configured());
  EXPECT_FLOAT_EQ(lp.Process(0.3f, HistorySlots::At(1)), 0.3f);
}

TEST(LowpassSection, DcGainJustBelowOne) {
  LowpassSection lp;
  lp.Init();
  lp.Configure(20480.0f, 0.1f, 44100.0f);
  EXPECT_TRUE(lp.configured());
  float y = 0.0f;
  for (int i = 0; i < 10000; ++i) y = lp.Process(1.0f, HistorySlots::At(static_cast<std::uint8_t>(i % 3)));
  EXPECT_LT(y, 1.0f);
  EXPECT_GT(y, 0.99f);
}

TEST(LowpassSection, MaximalResonanceStaysFiniteForMinutes) {
  LowpassSection lp;
  lp.Init();
  lp.Configure(1000.0f, 1.0f, 44100.0f);
  float peak = 0.0f;
  for (int i = 0; i < 44100 * 120; ++i) {
    const float x = (i % 200) < 100 ? 1.0f : -1.0f;
    const float y = lp.Process(x, HistorySlots::At(static_cast<std::uint8_t>(i % 3)));
    ASSERT_TRUE(std::isfinite(y));
    peak = std::max(peak, std::fabs(y));
  }
  EXPECT_LT(peak, 1e4f);
}

// Runs a sine through a section and gives the peak of the second half.
float SinePeak(LowpassSection& lp, double hz) {
  float peak = 0.0f;
  for (int i = 0; i < 44100; ++i) {
    const float x = static_cast<float>(std::sin(2.0 * 3.141592653589793 * hz * i / 44100.0));
    const float y = lp.Process(x, HistorySlots::At(static_cast<std::uint8_t>(i % 3)));
    if (i > 22050) peak = std::max(peak, std::fabs(y));
  }
  return peak;
}

TEST(LowpassSection, CutoffLimits) {
  // Filter Freq 0 requests 20 Hz (21 after the design's +1): 1 kHz is gone.
  LowpassSection low;
  low.Init();
  low.Configure(20.0f, 0.0f, 44100.0f);
  EXPECT_LT(SinePeak(low, 1000.0), 0.01f);
  // Filter Freq 1 requests 20480 Hz, limited to 0.4 x 44100 = 17640 Hz: the
  // same section as a request of 17639 Hz.
  LowpassSection top, limited;
  top.Init();
  limited.Init();
  top.Configure(20480.0f, 0.5f, 44100.0f);
  limited.Configure(17639.0f, 0.5f, 44100.0f);
  EXPECT_EQ(SinePeak(top, 5000.0), SinePeak(limited, 5000.0));
  EXPECT_GT(SinePeak(top, 5000.0), 0.9f);
}

TEST(Voice, SquareSoundsUnlikeSaw) {
  // The square (amp for half a period, the input alone for the other half)
  // sounds, and differently from the saw.
  auto saw = MakeRig();
  auto square = MakeRig();
  for (auto* rig : {saw.get(), square.get()}) {
    rig->LoadProgram(0);
    rig->NoteOn(0, 57, 127);
  }
  square->Set(Param::kOscType, 0.33444816f);
  const auto a = saw->RunLeft(8192);
  const auto b = square->RunLeft(8192);
  EXPECT_NE(a, b);
  EXPECT_GT(vyrtal_test::Rms(b, 4096, 8192), 1e-3);
}

TEST(Voice, OscillatorTypeFromControl) {
  struct Row {
    float value;
    OscType type;
  };
  const Row rows[] = {{0.0f, OscType::kSaw},     {0.33444816f, OscType::kSquare},
                      {0.6688963f, OscType::kNoise}, {1.0f, OscType::kNoise},
                      {0.334f, OscType::kSaw}};
  for (const Row& row : rows) {
    auto rig = MakeRig();
    rig->Set(Param::kOscType, row.value);
    rig->RunLeft(16);
    EXPECT_EQ(rig->engine.oscType(), row.type) << row.value;
  }
}

}  // namespace
