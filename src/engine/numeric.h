// Numeric helpers shared by the sound engine and the editor. Their exact
// rounding decides table entries, sample counts and pixel positions, so they
// are computed the same way everywhere.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Added to every stored filter state, delay sample and running sum so that
// decaying signals never become denormal numbers.
constexpr float kDenormalGuard = 1e-15f;

// Nearest integer to x - 0.4999999, ties to even, computed in double: the
// largest integer not above x, except within 1e-7 below an integer. Results
// outside the 32-bit range saturate, and a NaN gives 0, so callers can always
// use the result as a number.
inline std::int32_t FloorInt(double x) {
  const double r = std::nearbyint(x - 0.4999999);
  if (!(r == r)) return 0;
  if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (r <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(r);
}

// 2 to the power x, as e^(0.6931472 x) rounded to single precision.
inline float Pow2(double x) { return static_cast<float>(std::exp(0.6931472 * x)); }

// 10 to the power x, as e^(2.302585 x) rounded to single precision.
inline float Pow10(double x) { return static_cast<float>(std::exp(2.302585 * x)); }
