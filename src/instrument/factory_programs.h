// The factory bank written into the programs at construction.
#pragma once

#include <array>

constexpr int kNumFactoryPrograms = 16;
constexpr int kNumFactoryValues = 50;

struct FactoryProgram {
  const char* name;
  std::array<float, kNumFactoryValues> values;
};

extern const std::array<FactoryProgram, kNumFactoryPrograms> kFactoryPrograms;
