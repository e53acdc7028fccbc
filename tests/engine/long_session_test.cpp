// Sessions long enough for the 32-bit sample counter to wrap: at 44.1 kHz it
// passes 2^31 after 13.5 hours and 2^32 after 27. The rings, the control
// tick and the tempo cadence all read the counter modulo a power of two, so
// the unsigned wrap is seamless for them. The LFOs and the chorus sweep take
// their phase as rate x n with n the counter read as a signed number, so at
// 2^31 their phase jumps by rate x 2^32; that jump is how they are meant to
// behave, and nothing else may happen there.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine_rig.h"

namespace {

using vyrtal_test::MakeRig;
using vyrtal_test::Rig;

constexpr float kRate = 44100.0f;
// 65536 samples after a start that is a multiple of 65536 the counter is at
// the wrap; every ring and cadence of the engine divides 65536.
constexpr std::uint32_t kBeforeUnsignedWrap = 0xFFFF0000u;
constexpr std::uint32_t kBeforeSignedWrap = 0x7FFF0000u;
constexpr std::size_t kToWrap = 65536;

// Program 7 (noise into narrow formants, chorus and delay in use) with its
// effects switched on, a short delay so its repeats come round several times,
// and every counter-driven sweep off.
void SetUpStill(Rig& rig) {
  rig.engine.SeedNoise(777u);
  rig.LoadProgram(7);
  rig.Set(Param::kChorusSwitch, 1.0f);
  rig.Set(Param::kDelaySwitch, 1.0f);
  rig.Set(Param::kDelayLength, 0.05f);
  rig.Set(Param::kStereo, 0.6f);
  rig.Set(Param::kVibAmount, 0.0f);
  rig.Set(Param::kTremAmount, 0.0f);
  rig.Set(Param::kWahAmount, 0.0f);
  rig.Set(Param::kChorusWidth, 0.0f);
}

// Three notes, one released, all between ticks; then renders n samples in
// blocks of 300 so blocks and ticks never line up.
void PlayPhrase(Rig& rig, std::vector<float>& left, std::vector<float>& right, std::size_t n) {
  left.assign(n, 0.0f);
  right.assign(n, 0.0f);
  std::size_t done = 0;
  while (done < n) {
    if (done == 0) rig.NoteOn(0, 50, 110);
    if (done == 30000) rig.NoteOn(1, 62, 90);
    if (done == 60000) rig.NoteOff(0);
    if (done == 90000) rig.NoteOn(2, 69, 127);
    const std::size_t len = std::min<std::size_t>(300, n - done);
    rig.engine.Render(nullptr, left.data() + done, right.data() + done,
                      static_cast<std::int32_t>(len), true);
    done += len;
  }
}

// With the sweeps off, a session that starts just before a wrap sounds bit
// for bit like one that starts at 0.
TEST(LongSession, WrapIsSeamlessWithoutSweeps) {
  constexpr std::size_t kLength = 2 * kToWrap + 12345;
  auto fresh = MakeRig();
  SetUpStill(*fresh);
  std::vector<float> l0, r0;
  PlayPhrase(*fresh, l0, r0, kLength);
  ASSERT_GT(vyrtal_test::Rms(l0, kToWrap, 2 * kToWrap), 1e-3);

  for (const std::uint32_t start : {kBeforeUnsignedWrap, kBeforeSignedWrap}) {
    auto late = MakeRig();
    SetUpStill(*late);
    late->engine.SetSampleCounter(start);
    std::vector<float> l1, r1;
    PlayPhrase(*late, l1, r1, kLength);
    EXPECT_EQ(late->engine.sampleCounter(), start + static_cast<std::uint32_t>(kLength)) << start;
    EXPECT_EQ(late->tempo.queries, fresh->tempo.queries) << start;
    for (std::size_t i = 0; i < kLength; ++i) {
      ASSERT_EQ(l1[i], l0[i]) << start << " sample " << i;
      ASSERT_EQ(r1[i], r0[i]) << start << " sample " << i;
    }
  }
}

struct Sweeps {
  float vibAmount = 1.0f, vibSpeed = 0.9f;
  float tremAmount = 0.8f, tremSpeed = 0.7f;
  float wahAmount = 0.6f, wahSpeed = 0.7f;
  float chorusLength = 0.7f, chorusWidth = 1.0f, chorusSpeed = 1.0f;
};

// The LFOs and the chorus sweep at counter n, worked out from their
// documented forms: a speed s runs at 0.02685546875 Hz x 2^(10 s) (the
// chorus at 0.00335693359375 Hz x 2^(10 s)), the phase is 6.28318 x cycles
// per sample x n.
struct SweepValues {
  double vibrato, tremolo, wah, chorusDelay;

  static SweepValues At(const Sweeps& s, std::int32_t n, std::int32_t chorusBase) {
    const auto lfo = [n](float speed) {
      return 6.28318 * (Pow2(10.0 * speed) * 0.02685546875 / kRate) * n;
    };
    SweepValues v;
    v.vibrato = std::sin(lfo(s.vibSpeed)) * s.vibAmount / 12.0;
    v.tremolo = 1.0 - std::fabs(std::sin(lfo(s.tremSpeed)) * s.tremAmount);
    v.wah = std::sin(lfo(s.wahSpeed)) * s.wahAmount;
    // The chorus keeps its rate and depth as singles.
    const float rate = static_cast<float>(Pow2(10.0 * s.chorusSpeed) * 0.00335693359375 / kRate);
    const float depth = static_cast<float>(0.99 * s.chorusWidth);
    v.chorusDelay = (depth * std::cos(6.28318 * n * static_cast<double>(rate)) + 1.0) * chorusBase + 1.0;
    return v;
  }
};

void SetUpSweeping(Rig& rig, const Sweeps& s) {
  rig.LoadProgram(0);
  rig.Set(Param::kVolume, 1.0f);
  rig.Set(Param::kChorusSwitch, 1.0f);
  rig.Set(Param::kDelaySwitch, 1.0f);
  rig.Set(Param::kVibAmount, s.vibAmount);
  rig.Set(Param::kVibSpeed, s.vibSpeed);
  rig.Set(Param::kTremAmount, s.tremAmount);
  rig.Set(Param::kTremSpeed, s.tremSpeed);
  rig.Set(Param::kWahAmount, s.wahAmount);
  rig.Set(Param::kWahSpeed, s.wahSpeed);
  rig.Set(Param::kChorusLength, s.chorusLength);
  rig.Set(Param::kChorusWidth, s.chorusWidth);
  rig.Set(Param::kChorusSpeed, s.chorusSpeed);
  for (int v = 0; v < 4; ++v) rig.NoteOn(v, 45 + 7 * v, 120);
}

// Across either wrap, with every sweep on: each tick's LFO values and chorus
// delay are the forms above at the signed counter, so the only discontinuity
// is the phase jump at 2^31, and the sound stays finite and in range.
TEST(LongSession, SweepsFollowTheSignedCounterAcrossWraps) {
  const Sweeps sweeps;
  for (const std::uint32_t start : {kBeforeSignedWrap, kBeforeUnsignedWrap}) {
    auto rig = MakeRig();
    SetUpSweeping(*rig, sweeps);
    rig->engine.SetSampleCounter(start);
    // Blocks of one tick each: every block ends on its tick.
    std::array<float, 16> left{}, right{};
    double maxJump = 0.0;
    float previousWah = 0.0f;
    double energyAfterWrap = 0.0;
    for (std::size_t t = 0; t < 2 * kToWrap / 16; ++t) {
      rig->engine.Render(nullptr, left.data(), right.data(), 16, true);
      const auto n = static_cast<std::int32_t>(rig->engine.sampleCounter());
      ASSERT_EQ(n & 15, 0);
      for (std::size_t i = 0; i < 16; ++i) {
        ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << start << " tick " << t;
        ASSERT_LE(std::fabs(left[i]), 1.0f) << start << " tick " << t;
        ASSERT_LE(std::fabs(right[i]), 1.0f) << start << " tick " << t;
        if (t >= kToWrap / 16) energyAfterWrap += static_cast<double>(left[i]) * left[i];
      }
      const Modulation& mod = rig->engine.modulation();
      const SweepValues want = SweepValues::At(sweeps, n, rig->engine.chorus().baseLength());
      ASSERT_NEAR(mod.vibrato(), want.vibrato, 1e-6) << start << " n " << n;
      ASSERT_NEAR(mod.tremolo(), want.tremolo, 1e-6) << start << " n " << n;
      ASSERT_NEAR(mod.wah(), want.wah, 1e-6) << start << " n " << n;
      ASSERT_NEAR(rig->engine.chorus().delay(), want.chorusDelay, 1e-3) << start << " n " << n;
      for (int v = 0; v < 4; ++v) {
        ASSERT_TRUE(std::isfinite(rig->engine.voice(v).pitchOctaves)) << start << " n " << n;
      }
      if (t > 0) maxJump = std::max(maxJump, static_cast<double>(std::fabs(mod.wah() - previousWah)));
      previousWah = mod.wah();
    }
    EXPECT_EQ(rig->engine.sampleCounter(), start + 2 * static_cast<std::uint32_t>(kToWrap));
    EXPECT_GT(energyAfterWrap, 0.0) << start;
    // The wah moves by at most 0.6 x 6.28318 x 16 x 3.4375 / 44100 = 0.0047
    // between ticks; at the signed wrap its phase jumps (by about 0.59 here).
    if (start == kBeforeSignedWrap) {
      EXPECT_GT(maxJump, 0.01);
    } else {
      EXPECT_LT(maxJump, 0.01);
    }
  }
}

// Samples that are neither zero nor a normal float. Subnormal numbers are
// slow on many processors; the denormal guard keeps every decaying state, and
// so the output, above them.
std::size_t Subnormals(const std::vector<float>& x) {
  std::size_t count = 0;
  for (float v : x) count += std::fpclassify(v) == FP_SUBNORMAL ? 1 : 0;
  return count;
}

// Notes held past their decay still run their voices with nothing to excite
// them but the saw's DC offset, which the resonators reject; a released
// tail leaves the delay's repeats falling by 0.73 every 0.17 s, below
// 1e-38 after some forty seconds. Neither may reach the subnormal range.
TEST(LongSession, DecayedNotesAndTailsStayAboveSubnormals) {
  {
    auto rig = MakeRig();
    rig->LoadProgram(0);
    rig->Set(Param::kDecay, 0.3f);  // 15/32 beat
    for (int v = 0; v < 6; ++v) rig->NoteOn(v, 48 + 5 * v, 100);
    std::vector<float> l, r;
    rig->Run(l, r, 44100 * 3);
    EXPECT_EQ(rig->engine.voice(0).ampEnv, 0.0f);
    EXPECT_EQ(Subnormals(l), 0u);
    EXPECT_EQ(Subnormals(r), 0u);
  }
  {
    auto rig = MakeRig();
    rig->LoadProgram(14);  // Vyrsh: chorus and delay on
    for (int v = 0; v < 6; ++v) rig->NoteOn(v, 48 + 5 * v, 100);
    rig->RunLeft(22050);
    for (int v = 0; v < 6; ++v) rig->NoteOff(v);
    std::vector<float> l, r;
    for (int second = 0; second < 60; ++second) {
      rig->Run(l, r, 44100);
      ASSERT_EQ(Subnormals(l), 0u) << second;
      ASSERT_EQ(Subnormals(r), 0u) << second;
    }
  }
}

// An hour of held, resonant notes at 44.1 kHz with both effects feeding back
// fully, crossing the signed wrap half way: every sample finite and within
// [-1, 1], the state the engine shows finite at the end, and the level far
// from the clipper. At Delay Feed 1 the loop loses only what its low-pass
// takes (a DC gain of 4 / 4.001), so the repeats build up for half an hour;
// the phase jump of the LFOs at the wrap sets part of that build-up back.
// The volume is low enough that the soft clipper would not hide a runaway.
// Run only in the plain build.
TEST(LongSession, AnHourOfResonantNotesStaysBounded) {
  constexpr std::int64_t kFrames = 44100LL * 3600;  // 158,760,000
  constexpr std::int32_t kBlock = 441;                  // a hundredth of a second
  constexpr std::int64_t kBlocksPerMinute = 44100 * 60 / kBlock;
  auto rig = MakeRig();
  rig->LoadProgram(0);
  rig->Set(Param::kDecay, 1.0f);  // held notes hold their level
  rig->Set(Param::kFilterQ, 1.0f);
  rig->Set(Param::kFilterFreq, 0.6f);
  rig->Set(Param::kBandWidth, 1.0f);
  rig->Set(Param::kDelaySwitch, 1.0f);
  rig->Set(Param::kDelayFeed, 1.0f);
  rig->Set(Param::kChorusSwitch, 1.0f);
  rig->Set(Param::kChorusFeed, 1.0f);
  rig->Set(Param::kVolume, 0.1f);  // -36 dB
  rig->Set(Param::kTremAmount, 0.3f);
  rig->Set(Param::kWahAmount, 0.2f);
  rig->engine.SetSampleCounter(0x80000000u - static_cast<std::uint32_t>(kFrames / 2));
  rig->NoteOn(0, 45, 127);
  rig->NoteOn(1, 52, 110);
  rig->NoteOn(2, 64, 100);

  std::vector<float> left(kBlock), right(kBlock);
  std::vector<double> minuteRms;
  double sum = 0.0;
  for (std::int64_t block = 1; block * kBlock <= kFrames; ++block) {
    rig->engine.Render(nullptr, left.data(), right.data(), kBlock, true);
    bool inRange = true;
    for (std::size_t i = 0; i < left.size(); ++i) {
      // False for a NaN as well.
      inRange &= std::fabs(left[i]) <= 1.0f && std::fabs(right[i]) <= 1.0f;
      sum += static_cast<double>(left[i]) * left[i];
    }
    ASSERT_TRUE(inRange) << "block " << block;
    if (block % kBlocksPerMinute == 0) {
      minuteRms.push_back(std::sqrt(sum / (44100.0 * 60.0)));
      sum = 0.0;
    }
  }
  ASSERT_EQ(minuteRms.size(), 60u);
  EXPECT_EQ(rig->engine.sampleCounter(), 0x80000000u + static_cast<std::uint32_t>(kFrames / 2));
  const double firstHalfPeak = *std::max_element(minuteRms.begin(), minuteRms.begin() + 30);
  const double loudest = *std::max_element(minuteRms.begin(), minuteRms.end());
  std::printf("an hour of resonant notes: rms of minute 2 %.4f, loudest of the first half hour "
              "%.4f, of minute 60 %.4f\n",
              minuteRms[1], firstHalfPeak, minuteRms[59]);
  // A runaway would sit at the clipper, near 1.
  EXPECT_LT(loudest, 0.5);
  EXPECT_GT(minuteRms[59], minuteRms[1]);
  EXPECT_LT(minuteRms[59], 1.2 * firstHalfPeak);

  SoundEngine& engine = rig->engine;
  EXPECT_TRUE(std::isfinite(engine.modulation().vibrato()));
  EXPECT_TRUE(std::isfinite(engine.modulation().tremolo()));
  EXPECT_TRUE(std::isfinite(engine.modulation().wah()));
  EXPECT_TRUE(std::isfinite(rig->engine.chorus().delay()));
  for (int v = 0; v < 3; ++v) {
    EXPECT_TRUE(std::isfinite(engine.voice(v).pitch)) << v;
    EXPECT_TRUE(std::isfinite(engine.voice(v).pitchOctaves)) << v;
    EXPECT_EQ(engine.voice(v).ampEnv, 1.0f) << v;
  }
}

}  // namespace
