// A plain 24-bit picture held in memory: what every drawing goes into and
// what a window shows. Pixels are 0x00RRGGBB, rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>

using Pixel = std::uint32_t;

constexpr Pixel PackRgb(int r, int g, int b) {
  return (static_cast<Pixel>(r & 0xFF) << 16) | (static_cast<Pixel>(g & 0xFF) << 8) | static_cast<Pixel>(b & 0xFF);
}
constexpr int RedOf(Pixel p) { return static_cast<int>((p >> 16) & 0xFF); }
constexpr int GreenOf(Pixel p) { return static_cast<int>((p >> 8) & 0xFF); }
constexpr int BlueOf(Pixel p) { return static_cast<int>(p & 0xFF); }

class PixelImage {
 public:
  PixelImage() = default;
  PixelImage(int width, int height, Pixel fill = 0)
      : w(width > 0 ? width : 0),
        h(height > 0 ? height : 0),
        pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

  int Width() const { return w; }
  int Height() const { return h; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }

  // Reading outside the picture gives 0; writing outside is ignored.
  Pixel At(int x, int y) const { return Contains(x, y) ? pixels[Offset(x, y)] : 0; }
  void Set(int x, int y, Pixel p) {
    if (Contains(x, y)) pixels[Offset(x, y)] = p;
  }

  // Copies `source` with its top-left corner at (x, y), clipped to this picture.
  void Blit(const PixelImage& source, int x, int y) {
    for (int sy = 0; sy < source.h; ++sy) {
      for (int sx = 0; sx < source.w; ++sx) Set(x + sx, y + sy, source.pixels[source.Offset(sx, sy)]);
    }
  }

  const std::vector<Pixel>& Data() const { return pixels; }
  bool operator==(const PixelImage&) const = default;

 private:
  std::size_t Offset(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
  }

  int w = 0;
  int h = 0;
  std::vector<Pixel> pixels;
};
