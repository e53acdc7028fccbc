// Event lists of every shape through effProcessEvents (see
// fuzz_event_list.h), each followed by a block through process or
// processReplacing with a fuzzed length, every sample checked. A round may
// skip its block, so that lists pile up in the plug-in's queue.
//
// Input: one byte N, N bytes the host answers its callbacks from, the input
// audio pattern (see checked_audio.h), a program byte and a sample-rate
// value, then rounds: an event list, then a selector byte and the block's
// length.
#include <cstddef>
#include <cstdint>

#include "checked_audio.h"
#include "frame/vst2.h"
#include "fuzz_event_list.h"
#include "fuzz_host.h"
#include "fuzz_stream.h"
#include "fuzz_values.h"
#include "plugin_under_fuzz.h"

namespace {

using fuzz::CheckedAudio;
using fuzz::RenderCall;

constexpr int kMaxRounds = 64;
constexpr VstInt32 kFrameBudget = 16 * CheckedAudio::kMaxFrames;
constexpr std::uint8_t kSkipBlock = 0xF0;

void Run(fuzz::FuzzStream& in) {
  fuzz::FuzzHost host(in.Split(in.U8(), true));
  CheckedAudio audio(in);
  fuzz::FuzzEventList events;
  fuzz::PluginUnderFuzz plugin(host);

  plugin.Dispatch(effSetProgram, 0, in.U8() % 16);
  plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, fuzz::Float(in));
  plugin.Dispatch(effSetBlockSize, 0, CheckedAudio::kMaxFrames);
  plugin.Dispatch(effMainsChanged, 0, 1);

  VstInt32 framesLeft = kFrameBudget;
  for (int round = 0; round < kMaxRounds && !in.Empty(); ++round) {
    VstEvents* list = events.Build(in, CheckedAudio::kMaxFrames);
    plugin.Dispatch(effProcessEvents, 0, 0, list);
    const std::uint8_t selector = in.U8();
    if (selector >= kSkipBlock) continue;
    VstInt32 frames = fuzz::Frames(in, CheckedAudio::kMaxFrames);
    if (frames > framesLeft) frames = framesLeft;
    if (frames > 0) framesLeft -= frames;
    audio.Render(plugin.Effect(), frames, (selector & 1) != 0 ? RenderCall::kAccumulating : RenderCall::kReplacing);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SetUpPlugin();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzStream in({data, size});
  Run(in);
  return 0;
}
