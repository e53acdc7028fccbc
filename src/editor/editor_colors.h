// The seven colours the editor paints with.
#pragma once

#include "platform/pixel_image.h"

constexpr Pixel kWhite = PackRgb(255, 255, 255);
constexpr Pixel kBlack = PackRgb(0, 0, 0);
constexpr Pixel kDarkGrey = PackRgb(136, 136, 136);  // slider track, caption strip
constexpr Pixel kMidGrey = PackRgb(170, 170, 170);   // dial disc, slider bar, type strip
constexpr Pixel kLampGrey = PackRgb(128, 128, 128);  // lamp off
constexpr Pixel kRed = PackRgb(255, 0, 0);           // lamp on
constexpr Pixel kHeaderBlue = PackRgb(68, 136, 170);
