// The excitation of every voice, one for all voices at a tick.
#pragma once

#include <cstdint>

enum class OscType : std::uint8_t { kSaw = 0, kSquare = 1, kNoise = 2 };
