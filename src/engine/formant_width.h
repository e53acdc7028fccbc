// Band-width terms of the formant resonators, shared by every formant of
// every voice at one tick.
#pragma once

#include <cmath>

#include "engine/numeric.h"

struct FormantWidth {
  float k = 0.0f;
  float a = 0.0f;

  // width: Band Width control 0..1. The band is 0.001 of the sample rate at
  // 0, down to 0.001 / 256 at 1; the 0.0001 bounds how narrow it gets.
  static FormantWidth FromControl(float width) {
    const double bw = 0.001 * Pow2(-8.0 * width);
    FormantWidth fw;
    fw.k = static_cast<float>(std::cos(3.14159 * bw) / (std::sin(3.14159 * bw) + 0.0001));
    fw.a = static_cast<float>(1.0 / (fw.k + 1.0000001));
    return fw;
  }
};
