// The fuzzer's input read front to back as little-endian numbers. Reads past
// the end answer zero, so every input, however short, is a complete run. A
// wrapping stream starts over at its first byte instead (the host's answers:
// a short stretch of garbage keeps coming back for as long as it is asked).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace fuzz {

class FuzzStream {
 public:
  FuzzStream() = default;
  explicit FuzzStream(std::span<const std::uint8_t> bytes, bool wrap = false) : bytes(bytes), wrap(wrap) {}

  bool Empty() const { return pos >= bytes.size(); }
  std::size_t Remaining() const { return Empty() ? 0 : bytes.size() - pos; }

  std::uint8_t U8() {
    if (Empty()) {
      if (!wrap || bytes.empty()) return 0;
      pos = 0;
    }
    return bytes[pos++];
  }
  // Low half first; each read is its own statement, as the operands of one
  // expression may be evaluated in either order.
  std::uint16_t U16() {
    const std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | (U8() << 8));
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
  }
  std::uint64_t U64() {
    const std::uint64_t low = U32();
    return low | (static_cast<std::uint64_t>(U32()) << 32);
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::int64_t I64() { return static_cast<std::int64_t>(U64()); }
  float F32() {
    const std::uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  double F64() {
    const std::uint64_t bits = U64();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // The next count bytes as a stream of their own (fewer at the end).
  FuzzStream Split(std::size_t count, bool wrapSplit = false) {
    const std::size_t n = count < Remaining() ? count : Remaining();
    FuzzStream piece(bytes.subspan(pos, n), wrapSplit);
    pos += n;
    return piece;
  }

  // Fills out with the next bytes; zeros once the stream ends.
  void Fill(std::span<std::uint8_t> out) {
    for (std::uint8_t& b : out) b = U8();
  }

 private:
  std::span<const std::uint8_t> bytes;
  std::size_t pos = 0;
  bool wrap = false;
};

}  // namespace fuzz
