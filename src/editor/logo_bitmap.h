// The logo: the product's name in red script over the maker's tag, on
// white, kept as a 206 × 41 picture with 8 bits per pixel and a palette.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/pixel_image.h"

constexpr int kLogoWidth = 206;
constexpr int kLogoHeight = 41;

struct IndexedBitmap {
  int width = 0;
  int height = 0;
  std::array<Pixel, 256> palette{};
  std::vector<std::uint8_t> indices;  // width * height, row by row
};

// The logo as drawn: palette indices 0..127 run from white to the script's
// red, 128..255 from white to the tag's dark grey.
IndexedBitmap MakeLogoBitmap();
// The same, expanded to colours.
PixelImage MakeLogo();
