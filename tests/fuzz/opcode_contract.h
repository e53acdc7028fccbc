// What a host hands the dispatcher with each opcode 0..80, so the fuzzer
// keeps the promises a real host keeps: text going out gets a buffer of at
// least 256 bytes, text coming in is terminated, a structure pointer points
// at enough room for the structure, and an event list is well formed.
#pragma once

#include <array>
#include <cstddef>

#include "frame/vst2.h"

namespace fuzz {

enum class PointerArg {
  kNone,             // nothing read through ptr (null or a spare buffer)
  kTextOut,          // a buffer the plug-in writes a terminated text into
  kTextIn,           // a terminated text
  kStruct,           // a structure the plug-in may read or fill
  kStructArray,      // value structures in a row (the offline opcodes)
  kEventList,        // a VstEvents list
  kRectOut,          // ERect**: the plug-in stores its rectangle's address
  kChunkOut,         // void**: the plug-in stores its chunk's address
  kChunkIn,          // value bytes of chunk data
  kWindow,           // the host's parent window
  kArrangements,     // value and ptr both point at speaker arrangements
  kArrangementSlots, // value and ptr both point at arrangement pointers
};

struct OpcodeContract {
  PointerArg pointer;
  std::size_t structSize;  // kStruct and kStructArray: the least room the record needs
};

// Room for the records this frame only passes along (parameter properties,
// MIDI program and key names, speaker arrangements, offline tasks, patch
// chunk information): more than any of them takes.
constexpr std::size_t kOpaqueStructSize = 2048;

constexpr int kNumOpcodes = 81;

constexpr std::array<OpcodeContract, kNumOpcodes> MakeOpcodeContracts() {
  std::array<OpcodeContract, kNumOpcodes> c{};
  for (auto& entry : c) entry = {PointerArg::kNone, 0};
  const OpcodeContract textOut{PointerArg::kTextOut, 0};
  const OpcodeContract textIn{PointerArg::kTextIn, 0};
  const OpcodeContract opaque{PointerArg::kStruct, kOpaqueStructSize};
  c[effSetProgramName] = textIn;
  c[effGetProgramName] = textOut;
  c[effGetParamLabel] = textOut;
  c[effGetParamDisplay] = textOut;
  c[effGetParamName] = textOut;
  c[effEditGetRect] = {PointerArg::kRectOut, 0};
  c[effEditOpen] = {PointerArg::kWindow, 0};
  c[effEditDraw] = {PointerArg::kStruct, sizeof(ERect)};
  c[effGetChunk] = {PointerArg::kChunkOut, 0};
  c[effSetChunk] = {PointerArg::kChunkIn, 0};
  c[effProcessEvents] = {PointerArg::kEventList, 0};
  c[effString2Parameter] = textIn;
  c[effGetProgramNameIndexed] = textOut;
  c[effGetInputProperties] = {PointerArg::kStruct, sizeof(VstPinProperties)};
  c[effGetOutputProperties] = {PointerArg::kStruct, sizeof(VstPinProperties)};
  c[effOfflineNotify] = {PointerArg::kStructArray, kOpaqueStructSize};
  c[effOfflinePrepare] = {PointerArg::kStructArray, kOpaqueStructSize};
  c[effOfflineRun] = {PointerArg::kStructArray, kOpaqueStructSize};
  c[effProcessVarIo] = opaque;
  c[effSetSpeakerArrangement] = {PointerArg::kArrangements, kOpaqueStructSize};
  c[effGetEffectName] = textOut;
  c[effGetErrorText] = textOut;
  c[effGetVendorString] = textOut;
  c[effGetProductString] = textOut;
  c[effVendorSpecific] = opaque;
  c[effCanDo] = textIn;
  c[effGetParameterProperties] = opaque;
  c[effGetMidiProgramName] = opaque;
  c[effGetCurrentMidiProgram] = opaque;
  c[effGetMidiProgramCategory] = opaque;
  c[effGetMidiKeyName] = opaque;
  // Opcodes of later interface versions, which this frame does not name:
  // the speaker arrangement query, the shell's next plug-in name, and the
  // bank and program loading notices.
  c[effEndSetProgram + 1] = {PointerArg::kArrangementSlots, 0};
  c[effEndSetProgram + 2] = textOut;
  c[effEndSetProgram + 7] = opaque;
  c[effEndSetProgram + 8] = opaque;
  return c;
}

constexpr std::array<OpcodeContract, kNumOpcodes> kOpcodeContracts = MakeOpcodeContracts();

}  // namespace fuzz
