// Arbitrary sequences of host calls on one instance: every dispatcher
// opcode 0..80 with fuzzed index, value and float, and the pointer the
// opcode's contract asks for (see opcode_contract.h); parameter writes and
// reads with any index and value; blocks of any length through process and
// processReplacing, each checked sample by sample. effClose ends the
// instance and a new one takes its place.
//
// Input: one byte N, N bytes the host answers its callbacks from, the input
// audio pattern (see checked_audio.h), then steps, each a selector byte and
// its arguments.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "checked_audio.h"
#include "frame/vst2.h"
#include "fuzz_check.h"
#include "fuzz_event_list.h"
#include "fuzz_host.h"
#include "fuzz_stream.h"
#include "fuzz_values.h"
#include "opcode_contract.h"
#include "plugin_under_fuzz.h"

namespace {

using fuzz::CheckedAudio;
using fuzz::PointerArg;
using fuzz::RenderCall;

constexpr int kMaxSteps = 400;
// Frames rendered per input at most, so that no input takes long.
constexpr VstInt32 kFrameBudget = 16 * CheckedAudio::kMaxFrames;
constexpr std::size_t kTextOutSize = 256;
constexpr std::size_t kSpareSize = 256;

// The buffers and slots one dispatcher call hands over, alive until the
// call returns.
struct CallArguments {
  VstIntPtr value = 0;
  void* ptr = nullptr;
  std::vector<char> buffer;
  std::vector<char> second;
  void* slots[2] = {nullptr, nullptr};
};

void FillStruct(fuzz::FuzzStream& in, std::vector<char>& buffer, std::size_t size, std::size_t fuzzedBytes) {
  buffer.assign(size, 0);
  for (std::size_t i = 0; i < fuzzedBytes && i < size; ++i) buffer[i] = static_cast<char>(in.U8());
}

class DispatcherRun {
 public:
  explicit DispatcherRun(fuzz::FuzzStream& in) : in(in), host(in.Split(in.U8(), true)), audio(in), plugin(host) {}

  void Run() {
    for (int step = 0; step < kMaxSteps && !in.Empty(); ++step) {
      switch (in.U8() % 8) {
        case 4: {
          const VstInt32 index = fuzz::Index(in);
          plugin.SetParameter(index, fuzz::Float(in));
          break;
        }
        case 5: {
          const VstInt32 index = fuzz::Index(in);
          CheckParameter(index, plugin.GetParameter(index));
          break;
        }
        case 6:
          Render(RenderCall::kReplacing);
          break;
        case 7:
          Render(RenderCall::kAccumulating);
          break;
        default:
          Dispatch();
          break;
      }
    }
  }

 private:
  // Parameter values are normalized.
  static void CheckParameter(VstInt32 index, float value) {
    if (!(value >= 0.0f && value <= 1.0f)) fuzz::CheckFailed("getParameter(%d) answered %g", index, double{value});
  }

  void Render(RenderCall call) {
    VstInt32 frames = fuzz::Frames(in, CheckedAudio::kMaxFrames);
    if (frames > framesLeft) frames = framesLeft;
    if (frames > 0) framesLeft -= frames;
    audio.Render(plugin.Effect(), frames, call);
  }

  void Dispatch() {
    const VstInt32 opcode = in.U8() % fuzz::kNumOpcodes;
    const VstInt32 index = fuzz::Index(in);
    CallArguments args;
    args.value = fuzz::Value(in);
    const float opt = fuzz::Float(in);
    const PointerArg kind = fuzz::kOpcodeContracts[static_cast<std::size_t>(opcode)].pointer;
    PrepareArguments(opcode, args);
    const VstIntPtr answer = plugin.Dispatch(opcode, index, args.value, args.ptr, opt);
    // What the host then reads.
    if (kind == PointerArg::kRectOut && args.slots[0] != nullptr) {
      const ERect rect = *static_cast<const ERect*>(args.slots[0]);
      sink = sink + static_cast<unsigned>(rect.top + rect.left + rect.bottom + rect.right);
    }
    if (kind == PointerArg::kChunkOut && args.slots[0] != nullptr && answer > 0) {
      const auto* chunk = static_cast<const unsigned char*>(args.slots[0]);
      for (VstIntPtr i = 0; i < answer; ++i) sink = sink + chunk[i];
    }
    if (opcode == effGetProgram && (answer < 0 || answer >= plugin.Effect()->numPrograms)) {
      fuzz::CheckFailed("effGetProgram answered %ld", static_cast<long>(answer));
    }
  }

  void PrepareArguments(VstInt32 opcode, CallArguments& args) {
    const fuzz::OpcodeContract& contract = fuzz::kOpcodeContracts[static_cast<std::size_t>(opcode)];
    const std::uint8_t selector = in.U8();
    const bool none = selector == 0;
    switch (contract.pointer) {
      case PointerArg::kNone:
        if (selector >= 0xC0) {
          args.buffer.assign(kSpareSize, static_cast<char>(selector));
          args.ptr = args.buffer.data();
        }
        break;
      case PointerArg::kTextOut:
        if (none) break;
        args.buffer.assign(kTextOutSize + selector, static_cast<char>(selector));
        args.ptr = args.buffer.data();
        break;
      case PointerArg::kTextIn:
        if (none) break;
        args.buffer.resize(selector);
        for (std::size_t i = 0; i + 1 < args.buffer.size(); ++i) args.buffer[i] = static_cast<char>(in.U8());
        args.buffer.back() = '\0';
        args.ptr = args.buffer.data();
        break;
      case PointerArg::kStruct:
        if (none) break;
        FillStruct(in, args.buffer, contract.structSize + (selector & 0x3F), selector >> 2);
        args.ptr = args.buffer.data();
        break;
      case PointerArg::kStructArray: {
        const std::size_t count = selector % 3;
        args.value = static_cast<VstIntPtr>(count);
        if (none) break;
        FillStruct(in, args.buffer, contract.structSize * (count > 0 ? count : 1), selector >> 2);
        args.ptr = args.buffer.data();
        break;
      }
      case PointerArg::kEventList:
        if (none) break;
        args.ptr = events.Build(in, CheckedAudio::kMaxFrames);
        break;
      case PointerArg::kRectOut:
      case PointerArg::kChunkOut:
        if (none) break;
        args.ptr = &args.slots[0];
        break;
      case PointerArg::kChunkIn:
        args.value = 0;
        if (none) break;
        FillStruct(in, args.buffer, selector, selector);
        args.value = static_cast<VstIntPtr>(args.buffer.size());
        args.ptr = args.buffer.data();
        break;
      case PointerArg::kWindow:
        if (none) break;
        args.ptr = window.data();
        break;
      case PointerArg::kArrangements:
        args.value = 0;
        if ((selector & 1) != 0) {
          FillStruct(in, args.second, contract.structSize, selector >> 3);
          args.value = reinterpret_cast<VstIntPtr>(args.second.data());
        }
        if ((selector & 2) != 0) {
          FillStruct(in, args.buffer, contract.structSize, selector >> 3);
          args.ptr = args.buffer.data();
        }
        break;
      case PointerArg::kArrangementSlots:
        args.value = (selector & 1) != 0 ? reinterpret_cast<VstIntPtr>(&args.slots[0]) : 0;
        args.ptr = (selector & 2) != 0 ? &args.slots[1] : nullptr;
        break;
    }
  }

  fuzz::FuzzStream& in;
  fuzz::FuzzHost host;
  CheckedAudio audio;
  fuzz::FuzzEventList events;
  // The host's window, as far as the plug-in may know it: an address it
  // passes on to the window system and never reads.
  std::vector<char> window = std::vector<char>(64, 0);
  fuzz::PluginUnderFuzz plugin;
  VstInt32 framesLeft = kFrameBudget;
  volatile unsigned sink = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SetUpPlugin();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzStream in({data, size});
  DispatcherRun run(in);
  run.Run();
  return 0;
}
