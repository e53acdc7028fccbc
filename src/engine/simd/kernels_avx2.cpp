// The render loop's kernels for AVX2 (this file alone is compiled for it, without FMA).
// The kernels sit in an unnamed namespace, so that nothing compiled here
// can stand in for code of another instruction set at link time.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "engine/engine_kernels.h"
#include "engine/simd/kernel_tables.h"

namespace {

#include "engine/simd/lanes_avx2.inl"
#include "engine/simd/batch_math.inl"
#include "engine/simd/voice_kernels.inl"
#include "engine/simd/voice_controls.inl"
#include "engine/simd/effect_kernels.inl"

}  // namespace

const EngineKernels& Avx2Kernels() {
  static constexpr EngineKernels kKernels{InstructionSet::kAvx2, &ExciteVoices,       &FilterVoices,
                                          &FilterVoicesCareful, &NoiseDraws,        &SumVoices,         &ConfigureVoices,    &ConfigureLowpasses,
                                          &ExpArray,           &SinCosArray,          &ClipOut,
                                          &ChorusSpan,         &DelaySpan};
  return kKernels;
}
