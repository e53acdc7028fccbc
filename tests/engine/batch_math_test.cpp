// The control tick's batch exp, sin and cos on every kernel set: the engine
// relies on them staying within 2^-50 of the library's functions (every
// value it rounds from them is checked against that margin), and on NaN
// outside their domains, which no such check accepts.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/engine_kernels.h"

namespace {

std::vector<InstructionSet> Sets() {
  std::vector<InstructionSet> sets{InstructionSet::kSse2};
  if (KernelsFor(InstructionSet::kAvx2).set == InstructionSet::kAvx2) sets.push_back(InstructionSet::kAvx2);
  return sets;
}

TEST(BatchMath, StaysWithinItsBoundOfTheLibrary) {
  const double bound = std::ldexp(1.0, -51);  // half the error the rounding checks assume
  std::mt19937_64 random(7);
  for (const InstructionSet set : Sets()) {
    const EngineKernels& k = KernelsFor(set);
    double worstSine = 0.0, worstExp = 0.0;
    // Angles as the LFOs, formants and filters make them, up to hours of
    // sample counter; exponents as the powers of two of the controls.
    for (const double range : {1.0, 8.0, 1e3, 1e6, 3.9e8}) {
      std::uniform_real_distribution<double> angle(-range, range), exponent(-range / 8e6 * 700.0, range / 8e6 * 700.0);
      for (int round = 0; round < 20000; ++round) {
        alignas(32) double u[8], s[8], c[8], y[8], e[8];
        for (int i = 0; i < 8; ++i) {
          u[i] = angle(random);
          y[i] = std::fmod(exponent(random), 699.0);
        }
        k.sinCos(u, s, c, 8);
        k.exp(y, e, 8);
        for (int i = 0; i < 8; ++i) {
          worstSine = std::max({worstSine, std::fabs(s[i] - std::sin(u[i])), std::fabs(c[i] - std::cos(u[i]))});
          worstExp = std::max(worstExp, std::fabs(e[i] - std::exp(y[i])) / std::exp(y[i]));
        }
      }
    }
    EXPECT_LE(worstSine, bound) << static_cast<int>(set);
    EXPECT_LE(worstExp, bound) << static_cast<int>(set);

    alignas(32) double outside[4] = {4.1e8, -1e12, NAN, INFINITY}, s[4], c[4], e[4];
    k.sinCos(outside, s, c, 4);
    const double tooBig[4] = {700.0, -750.0, NAN, 1e300};
    alignas(32) double y[4] = {tooBig[0], tooBig[1], tooBig[2], tooBig[3]};
    k.exp(y, e, 4);
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(std::isnan(s[i]) && std::isnan(c[i])) << outside[i];
      EXPECT_TRUE(std::isnan(e[i])) << y[i];
    }
  }
}

}  // namespace
