// Values for the plug-in's arguments, drawn from the stream. Each begins
// with one selector byte: most selectors give a value in the range the
// plug-in acts on (so the fuzzer reaches its work quickly), the rest give
// edge cases or the raw bits of the full type.
#pragma once

#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>

#include "frame/vst2.h"
#include "fuzz_stream.h"

namespace fuzz {

// Indices: parameters 0..50, programs 0..15, pins, a few out of range.
constexpr int kSmallRange = 72;
constexpr int kSmallLowest = -4;

inline VstInt32 Index(FuzzStream& in) {
  const std::uint8_t selector = in.U8();
  if (selector < 0xF0) return selector % kSmallRange + kSmallLowest;
  return in.I32();
}

inline VstIntPtr Value(FuzzStream& in) {
  const std::uint8_t selector = in.U8();
  if (selector < 0xF0) return selector % kSmallRange + kSmallLowest;
  return static_cast<VstIntPtr>(in.I64());
}

constexpr std::array<float, 16> kSpecialFloats = {
    NAN,     INFINITY, -INFINITY, 0.0f,     -1.0f,    2.0f,     1e30f,   -1e30f,
    44100.f, 48000.f,  96000.f,   22050.f,  1000.0f,  999.0f,   1e6f,    FLT_MIN,
};

// Parameter values and the dispatcher's float: 0..1 in 128 steps, the
// special values above, or any bit pattern.
inline float Float(FuzzStream& in) {
  const std::uint8_t selector = in.U8();
  if (selector < 0x80) return static_cast<float>(selector) / 127.0f;
  if (selector < 0x90) return kSpecialFloats[selector - 0x80];
  return in.F32();
}

constexpr std::array<double, 16> kSpecialDoubles = {
    NAN,    INFINITY, -INFINITY, 0.0,     -1.0,     1e300,  -1e300, 120.0,
    44100., 1e6,      0.5,       1.0,     999999.9, 1e-300, DBL_MAX, -120.0,
};

// Doubles of the host's time info.
inline double Double(FuzzStream& in) {
  const std::uint8_t selector = in.U8();
  if (selector < 0x80) return kSpecialDoubles[selector % kSpecialDoubles.size()];
  return in.F64();
}

// Block lengths: 0..maxFrames mostly, sometimes zero or negative.
inline VstInt32 Frames(FuzzStream& in, VstInt32 maxFrames) {
  const std::uint16_t selector = in.U16();
  if (selector < 0xFFF0) return static_cast<VstInt32>(selector % (maxFrames + 1));
  switch (selector & 3) {
    case 0:
      return 0;
    case 1:
      return -1;
    case 2:
      return INT_MIN;
    default:
      return static_cast<VstInt32>(in.U32() | 0x80000000u);
  }
}

// Delta frames of an event: at the block's start, inside a block, beyond
// the longest block, negative or far out.
inline VstInt32 DeltaFrames(FuzzStream& in, VstInt32 maxFrames) {
  const std::uint8_t selector = in.U8();
  switch (selector % 8) {
    case 0:
      return 0;
    case 5:
      return maxFrames + in.U16();
    case 6:
      return -1 - static_cast<VstInt32>(in.U16());
    case 7:
      return selector < 0x80 ? INT_MAX : (selector < 0xC0 ? INT_MIN : in.I32());
    default:
      return static_cast<VstInt32>(in.U16() % maxFrames);
  }
}

}  // namespace fuzz
