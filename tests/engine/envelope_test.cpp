#include <gtest/gtest.h>

#include <cmath>

#include "engine/envelope_rates.h"
#include "engine_rig.h"

namespace {

using vyrtal_test::MakeRig;

TEST(EnvelopeRates, AttackZeroAt120Bpm) {
  EXPECT_FLOAT_EQ(EnvelopeRates::Rate(0.0f, 44100.0f, 120.0f),
                  static_cast<float>(1.0 / 690.0625));
}

TEST(EnvelopeRates, TableDrivenTimes) {
  // Rate = 1 / (T x 689.0625 + 1) at 120 bpm, 44100 Hz.
  struct Row {
    float control;
    double t;
  };
  const Row rows[] = {{0.0f, 1}, {0.5f, 34}, {0.47f, 32}, {0.99f, 1536}, {1.0f, 1536}};
  for (const Row& row : rows) {
    EXPECT_FLOAT_EQ(EnvelopeRates::Rate(row.control, 44100.0f, 120.0f),
                    static_cast<float>(1.0 / (row.t * 689.0625 + 1.0)))
        << row.control;
  }
}

TEST(EnvelopeRates, FastTempoCapsAtHundredSamples) {
  EXPECT_EQ(EnvelopeRates::Rate(0.0f, 44100.0f, 100000.0f), 0.01f);
}

TEST(EnvelopeRates, DecayAndFilterReleaseHoldAboveThreshold) {
  EnvelopeRates rates;
  rates.Init();
  rates.Configure({0.0f, 1.0f, 0.5f, 1.0f}, 44100.0f, 120.0f);
  EXPECT_EQ(rates.decay(), 0.0f);
  EXPECT_EQ(rates.filterRelease(), 0.0f);
  rates.Configure({0.0f, 0.99f, 0.5f, 0.99f}, 44100.0f, 120.0f);
  EXPECT_FLOAT_EQ(rates.decay(), static_cast<float>(1.0 / (1536 * 689.0625 + 1.0)));
  EXPECT_GT(rates.filterRelease(), 0.0f);
}

TEST(EnvelopeRates, StepRisesDecaysReleases) {
  EnvelopeRates rates;
  rates.Init();
  rates.Configure({0.0f, 0.0f, 0.0f, 0.0f}, 44100.0f, 120.0f);
  std::uint8_t attacking = 1;
  float amp = 0.0f, filt = 1.0f;
  int n = 0;
  while (attacking == 1 && n < 10000) {
    rates.Step(true, attacking, amp, filt);
    ++n;
  }
  EXPECT_EQ(n, 691);  // 1/32 beat plus one sample
  EXPECT_EQ(amp, 1.0f);
  rates.Step(true, attacking, amp, filt);
  EXPECT_LT(amp, 1.0f);
  const float before = amp;
  rates.Step(false, attacking, amp, filt);
  EXPECT_FLOAT_EQ(amp, before - rates.release());
  const float filterBefore = filt;
  rates.Step(false, attacking, amp, filt);
  EXPECT_EQ(filt, filterBefore);  // frozen after note-off
}

TEST(Envelope, EngineRunsAttackOnTempo) {
  auto rig = MakeRig();
  rig->LoadProgram(0);  // attack 0, decay held
  rig->NoteOn(0, 57, 127);
  rig->RunLeft(16);  // first tick at the 16th sample
  EXPECT_EQ(rig->engine.voice(0).attacking, 1);
  rig->RunLeft(700);
  EXPECT_EQ(rig->engine.voice(0).attacking, 0);
  EXPECT_EQ(rig->engine.voice(0).ampEnv, 1.0f);
  rig->RunLeft(5000);
  EXPECT_EQ(rig->engine.voice(0).ampEnv, 1.0f);  // decay 1 holds
}

TEST(Envelope, TempoQueriedAtFirstSampleAndEvery1024) {
  auto rig = MakeRig();
  rig->tempo.bpm = 0.0f;  // host without tempo
  rig->RunLeft(1);
  EXPECT_EQ(rig->tempo.queries, 1);
  EXPECT_EQ(rig->engine.tempo(), 120.0f);
  rig->RunLeft(1023);
  EXPECT_EQ(rig->tempo.queries, 1);
  rig->tempo.bpm = 140.0f;
  rig->RunLeft(1);
  EXPECT_EQ(rig->tempo.queries, 2);
  EXPECT_EQ(rig->engine.tempo(), 140.0f);
  rig->tempo.bpm = 0.5f;
  rig->RunLeft(1024);
  EXPECT_EQ(rig->engine.tempo(), 120.0f);
}

TEST(Envelope, SkippedVoiceIsFrozen) {
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->engine.SetEnvelopeLevels(2, 0.0005f, 0.7f);
  rig->RunLeft(256);
  EXPECT_EQ(rig->engine.voice(2).ampEnv, 0.0005f);
  EXPECT_EQ(rig->engine.voice(2).filterEnv, 0.7f);
  EXPECT_EQ(rig->engine.voice(2).phaseInc, 0);
}

TEST(Modulation, LfoValuesAtTicks) {
  auto rig = MakeRig();
  rig->Set(Param::kVibAmount, 1.0f);
  rig->Set(Param::kVibSpeed, 1.0f);
  rig->Set(Param::kTremAmount, 1.0f);
  rig->Set(Param::kTremSpeed, 0.5f);
  rig->Set(Param::kWahAmount, 0.5f);
  rig->Set(Param::kWahSpeed, 0.25f);
  rig->NoteOn(0, 60, 100);  // the LFOs are worked out for running voices
  rig->RunLeft(16 * 37);
  const double n = 16 * 37;
  const double fv = Pow2(10.0) * 0.02685546875 / 44100.0;
  const double ft = Pow2(5.0) * 0.02685546875 / 44100.0;
  const double fw = Pow2(2.5) * 0.02685546875 / 44100.0;
  EXPECT_NEAR(rig->engine.modulation().vibrato(), std::sin(6.28318 * fv * n) / 12.0, 1e-6);
  EXPECT_NEAR(rig->engine.modulation().tremolo(), 1.0 - std::fabs(std::sin(6.28318 * ft * n)), 1e-6);
  EXPECT_NEAR(rig->engine.modulation().wah(), std::sin(6.28318 * fw * n) * 0.5, 1e-6);
  EXPECT_LE(std::fabs(rig->engine.modulation().vibrato()), 1.0f / 12.0f);
}

}  // namespace
