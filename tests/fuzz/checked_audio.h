// Audio buffers for the fuzz targets and the check after every block: each
// sample the plug-in was asked for is finite and inside [-1, 1] (its output
// stage soft-clips to that range), and no sample past the block's end
// changed. process adds to what is in the outputs, so they start at zero;
// processReplacing must overwrite every sample, so they start outside the
// range and a sample left alone fails the check.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "frame/vst2.h"
#include "fuzz_check.h"
#include "fuzz_stream.h"

namespace fuzz {

enum class RenderCall { kReplacing, kAccumulating };

class CheckedAudio {
 public:
  // Every block the targets render fits in the buffers.
  static constexpr VstInt32 kMaxFrames = 2048;

  // The inputs hold silence or a short fuzzed pattern repeated: values in
  // [-1, 1] with now and then a NaN or an infinity, which the plug-in must
  // take as silence.
  explicit CheckedAudio(FuzzStream& in) {
    const std::uint8_t patternLength = in.U8() % 17;
    std::array<float, 16> pattern{};
    for (std::size_t i = 0; i < patternLength; ++i) pattern[i] = InputSample(in.U8());
    for (std::size_t c = 0; c < kChannels; ++c) {
      inputs[c].assign(kMaxFrames, 0.0f);
      outputs[c].assign(kMaxFrames, 0.0f);
      if (patternLength > 0) {
        for (std::size_t i = 0; i < kMaxFrames; ++i) inputs[c][i] = pattern[(i + c) % patternLength];
      }
      inputPointers[c] = inputs[c].data();
      outputPointers[c] = outputs[c].data();
    }
  }

  void Render(AEffect* effect, VstInt32 frames, RenderCall call) {
    const float before = call == RenderCall::kReplacing ? kUnwritten : 0.0f;
    for (auto& channel : outputs) channel.assign(kMaxFrames, before);
    if (call == RenderCall::kReplacing) {
      effect->processReplacing(effect, inputPointers.data(), outputPointers.data(), frames);
    } else {
      effect->process(effect, inputPointers.data(), outputPointers.data(), frames);
    }
    const std::size_t asked = frames > 0 ? static_cast<std::size_t>(frames) : 0;
    for (std::size_t c = 0; c < kChannels; ++c) {
      for (std::size_t i = 0; i < kMaxFrames; ++i) {
        const float s = outputs[c][i];
        const bool good = i < asked ? std::isfinite(s) && std::fabs(s) <= 1.0f : s == before;
        if (!good) {
          CheckFailed("%s of %d frames: output %zu sample %zu is %g",
                      call == RenderCall::kReplacing ? "processReplacing" : "process", static_cast<int>(frames), c,
                      i, static_cast<double>(s));
        }
      }
    }
  }

 private:
  static constexpr std::size_t kChannels = 2;
  static constexpr float kUnwritten = 4.0f;

  static float InputSample(std::uint8_t byte) {
    if (byte == 0xFF) return NAN;
    if (byte == 0xFE) return INFINITY;
    return static_cast<float>(byte) / 126.5f - 1.0f;
  }

  std::array<std::vector<float>, kChannels> inputs;
  std::array<std::vector<float>, kChannels> outputs;
  std::array<float*, kChannels> inputPointers{};
  std::array<float*, kChannels> outputPointers{};
};

}  // namespace fuzz
