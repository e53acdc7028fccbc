#include "engine/engine_kernels.h"

#include <cstdlib>
#include <cstring>

#include "engine/simd/kernel_tables.h"

namespace {

bool ProcessorRunsAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}

}  // namespace

const EngineKernels& KernelsFor(InstructionSet set) {
  if (set == InstructionSet::kAvx2 && ProcessorRunsAvx2()) return Avx2Kernels();
  return Sse2Kernels();
}

InstructionSet PreferredInstructionSet() {
  if (const char* forced = std::getenv("VYRTAL_SIMD"); forced != nullptr && std::strcmp(forced, "sse2") == 0) {
    return InstructionSet::kSse2;
  }
  return ProcessorRunsAvx2() ? InstructionSet::kAvx2 : InstructionSet::kSse2;
}
