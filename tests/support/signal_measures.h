// Measures of rendered sound that tests compare against.
#pragma once

#include <cmath>
#include <vector>

inline double Rms(const std::vector<float>& samples) {
  if (samples.empty()) return 0.0;
  double sum = 0.0;
  for (float s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

inline bool AllFinite(const std::vector<float>& samples) {
  for (float s : samples) {
    if (!std::isfinite(s)) return false;
  }
  return true;
}

// Period in samples of the strongest repetition with a lag between minLag
// and maxLag, from sample `from` on: the peak of the normalised
// autocorrelation, refined by a parabola through it and its neighbours.
inline double MeasuredPeriod(const std::vector<float>& x, std::size_t from, int minLag, int maxLag) {
  auto correlation = [&](int lag) {
    double xy = 0.0, xx = 0.0, yy = 0.0;
    for (std::size_t i = from; i + static_cast<std::size_t>(maxLag) + 1 < x.size(); ++i) {
      const double a = x[i], b = x[i + static_cast<std::size_t>(lag)];
      xy += a * b;
      xx += a * a;
      yy += b * b;
    }
    return xx > 0.0 && yy > 0.0 ? xy / std::sqrt(xx * yy) : 0.0;
  };
  int best = minLag;
  double bestValue = -2.0;
  for (int lag = minLag; lag <= maxLag; ++lag) {
    const double r = correlation(lag);
    if (r > bestValue) {
      bestValue = r;
      best = lag;
    }
  }
  const double before = correlation(best - 1), after = correlation(best + 1);
  const double bend = before - 2.0 * bestValue + after;
  return bend < 0.0 ? best + 0.5 * (before - after) / bend : best;
}
