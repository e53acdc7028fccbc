// The bank in plain values: every program's parameter values and name, and
// which program is current. What a host keeps of an instance between
// sessions.
#pragma once

#include <array>

#include "engine/parameter_table.h"
#include "instrument/aplugin_program.h"

struct ProgramSnapshot {
  std::array<float, kNumParams> values{};
  std::array<char, APluginProgram::kNameSize> name{};  // terminated
};

struct BankSnapshot {
  std::array<ProgramSnapshot, kNumPrograms> programs{};
  int current = 0;
};
