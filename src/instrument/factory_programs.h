// The factory bank written into the programs at construction.
#pragma once

#include <array>

#include "engine/parameter_table.h"

constexpr int kNumFactoryPrograms = 16;

struct FactoryProgram {
  const char* name;
  std::array<float, kNumParams> values;
};

extern const std::array<FactoryProgram, kNumFactoryPrograms> kFactoryPrograms;
