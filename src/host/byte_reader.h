// Reads big-endian numbers and MIDI variable-length numbers from a span of
// bytes, never past its end: every read that would go past it throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vyrtal::host {

class ByteReader {
 public:
  // what names the data in error messages, e.g. "track 2".
  ByteReader(std::span<const std::uint8_t> data, std::string what);

  std::size_t remaining() const { return data_.size() - pos_; }
  std::size_t position() const { return pos_; }
  bool atEnd() const { return pos_ == data_.size(); }

  std::uint8_t u8();
  std::uint8_t peek() const;
  std::uint16_t u16();
  std::uint32_t u32();
  // A variable-length number: at most four bytes of seven bits each.
  std::uint32_t varLen();
  std::span<const std::uint8_t> take(std::size_t count);
  void skip(std::size_t count) { take(count); }

 private:
  [[noreturn]] void truncated() const;

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  std::string what_;
};

}  // namespace vyrtal::host
