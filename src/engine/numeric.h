// Numeric helpers shared by the sound engine and the editor. Their exact
// rounding decides table entries, sample counts and pixel positions, so they
// are computed the same way everywhere.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Added to every stored filter state, delay sample and running sum so that
// decaying signals never become denormal numbers.
constexpr float kDenormalGuard = 1e-15f;

// Nearest integer to x - 0.4999999, ties to even, computed in double: the
// largest integer not above x, except within 1e-7 below an integer. Results
// outside the 32-bit range saturate, and a NaN gives 0, so callers can always
// use the result as a number.
inline std::int32_t FloorInt(double x) {
  const double d = x - 0.4999999;
#if defined(__SSE2__)
  // Inside the 32-bit range the conversion rounds as nearbyint does (both
  // follow the current rounding mode, to nearest by default), without the
  // library call.
  if (d > -2147483648.0 && d < 2147483647.0) return _mm_cvtsd_si32(_mm_set_sd(d));
#endif
  const double r = std::nearbyint(d);
  if (!(r == r)) return 0;
  if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (r <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(r);
}

// 2 to the power x, as e^(0.6931472 x) rounded to single precision.
inline float Pow2(double x) { return static_cast<float>(std::exp(0.6931472 * x)); }

// 10 to the power x, as e^(2.302585 x) rounded to single precision.
inline float Pow10(double x) { return static_cast<float>(std::exp(2.302585 * x)); }

// Level in dB mapped from a 0..1 control: rangeDb * value - offsetDb, with
// the bottom of the control (exactly 0) meaning silence rather than -offset dB.
inline float DbToGain(float value, float rangeDb, float offsetDb) {
  if (value == 0.0f) return 0.0f;
  return Pow10((static_cast<double>(rangeDb) * value - offsetDb) / 20.0);
}

// Cubic soft clipper (3|x| - x^2) / 2: slope 1.5 at 0, continuous and flat at
// |x| = 1, and never outside [-1, 1].
inline float SoftClip(float x) {
  const float a = x < 0.0f ? -x : x;
  const float s = x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f);
  if (a > 1.0f) return s;
  return s * ((3.0f * a - a * a) / 2.0f);
}

// Hard clip to [-1, 1] after the denormal guard; keeps the chorus line bounded.
inline float Clip1(float x) {
  x += kDenormalGuard;
  if (x > 1.0f) return 1.0f;
  if (x < -1.0f) return -1.0f;
  return x;
}
