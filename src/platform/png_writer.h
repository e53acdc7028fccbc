// Writes a picture as an 8-bit RGB PNG file.
#pragma once

#include <string>

#include "platform/pixel_image.h"

bool WritePng(const PixelImage& image, const std::string& path);
