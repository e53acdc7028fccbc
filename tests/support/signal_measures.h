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
