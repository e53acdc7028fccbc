#include "host/byte_reader.h"

#include <utility>

#include "host/host_error.h"

namespace vyrtal::host {

ByteReader::ByteReader(std::span<const std::uint8_t> data, std::string what)
    : data_(data), what_(std::move(what)) {}

void ByteReader::truncated() const { throw HostError(what_ + " is truncated"); }

std::uint8_t ByteReader::u8() {
  if (remaining() < 1) truncated();
  return data_[pos_++];
}

std::uint8_t ByteReader::peek() const {
  if (remaining() < 1) truncated();
  return data_[pos_];
}

std::uint16_t ByteReader::u16() {
  const std::uint16_t high = u8();
  return static_cast<std::uint16_t>((high << 8) | u8());
}

std::uint32_t ByteReader::u32() {
  const std::uint32_t high = u16();
  return (high << 16) | u16();
}

std::uint32_t ByteReader::varLen() {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (remaining() < 1) throw HostError(what_ + " has a truncated variable-length number");
    const std::uint8_t byte = data_[pos_++];
    value = (value << 7) | (byte & 0x7Fu);
    if ((byte & 0x80u) == 0) return value;
  }
  throw HostError(what_ + " has a variable-length number longer than four bytes");
}

std::span<const std::uint8_t> ByteReader::take(std::size_t count) {
  if (count > remaining()) truncated();
  const auto part = data_.subspan(pos_, count);
  pos_ += count;
  return part;
}

}  // namespace vyrtal::host
