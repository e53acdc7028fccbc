// A font rasterizer for tests: every character is a solid block 4 pixels
// wide in a 6-pixel advance, so text positions and cells can be checked
// pixel by pixel without depending on installed fonts. Remembers every line
// it rendered.
#pragma once

#include <string>
#include <vector>

#include "platform/font_rasterizer.h"

class FixedWidthFonts : public FontRasterizer {
 public:
  static constexpr int kAdvance = 6;
  static constexpr int kInk = 4;

  struct Line {
    std::string family;
    int pixelSize;
    std::string text;
  };

  int TextWidth(const std::string&, int, std::string_view text) override {
    return static_cast<int>(text.size()) * kAdvance;
  }

  TextMask Render(const std::string& family, int pixelSize, std::string_view text) override {
    rendered.push_back({family, pixelSize, std::string(text)});
    TextMask mask;
    mask.advance = TextWidth(family, pixelSize, text);
    mask.cellHeight = pixelSize;
    mask.width = mask.advance;
    mask.height = pixelSize;
    mask.coverage.assign(static_cast<std::size_t>(mask.width * mask.height), 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      for (int y = 2; y < pixelSize - 1; ++y) {
        for (int x = 0; x < kInk; ++x) {
          mask.coverage[static_cast<std::size_t>(y * mask.width) + i * kAdvance + static_cast<std::size_t>(x)] = 255;
        }
      }
    }
    return mask;
  }

  std::vector<Line> rendered;
};
