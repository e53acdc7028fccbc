// The kernel sets each instruction set's translation unit defines.
#pragma once

#include "engine/engine_kernels.h"

const EngineKernels& Sse2Kernels();
const EngineKernels& Avx2Kernels();
