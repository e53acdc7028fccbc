// Four-character codes as the plug-in interface packs them into 32-bit integers.
#pragma once

#include <cstdint>

// Packs four characters, first one most significant.
constexpr std::int32_t FourCharCode(char a, char b, char c, char d) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                               (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                               (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

