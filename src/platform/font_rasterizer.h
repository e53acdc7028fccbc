// Turns a line of text in a named font into coverage values. The drawing
// surface blends them in its font colour; the rasterizer knows nothing of
// colours or pictures.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A line of text as 8-bit coverage, positioned relative to the top-left of
// its text cell. The cell is `advance` wide and `cellHeight` high; the mask
// may reach outside it (descenders, overhangs).
struct TextMask {
  int advance = 0;
  int cellHeight = 0;
  int left = 0;  // mask origin relative to the cell's top-left
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;  // width * height, row by row

  std::uint8_t At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

// Pixel height of a text cell for a size in points on a 96 pixels per inch
// screen: 8 pt gives 11, 7 pt gives 9.
constexpr int PointsToPixels(int points) { return (points * 96 + 36) / 72; }

class FontRasterizer {
 public:
  virtual ~FontRasterizer() = default;
  // Width in pixels of `text` in the font `family` with cells `pixelSize` high.
  virtual int TextWidth(const std::string& family, int pixelSize, std::string_view text) = 0;
  virtual TextMask Render(const std::string& family, int pixelSize, std::string_view text) = 0;
};
