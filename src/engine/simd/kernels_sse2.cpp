// The render loop's kernels for SSE2, the baseline of every x86 processor the plug-in runs on.
// The kernels sit in an unnamed namespace, so that nothing compiled here
// can stand in for code of another instruction set at link time.
#include <emmintrin.h>

#include <cmath>
#include <cstdint>

#include "engine/engine_kernels.h"
#include "engine/simd/kernel_tables.h"

namespace {

#include "engine/simd/lanes_sse2.inl"
#include "engine/simd/batch_math.inl"
#include "engine/simd/voice_kernels.inl"
#include "engine/simd/voice_controls.inl"
#include "engine/simd/effect_kernels.inl"

}  // namespace

const EngineKernels& Sse2Kernels() {
  static constexpr EngineKernels kKernels{InstructionSet::kSse2, &ExciteVoices,       &FilterVoices,
                                          &FilterVoicesCareful, &NoiseDraws,        &SumVoices,         &ConfigureVoices,    &ConfigureLowpasses,
                                          &ExpArray,           &SinCosArray,          &ClipOut,
                                          &ChorusSpan,         &DelaySpan};
  return kKernels;
}
