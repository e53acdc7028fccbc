#include "editor/logo_bitmap.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>

namespace {

struct Pt {
  double x, y;
};

// Script strokes, each a run of control points joined by a smooth curve.
// Drawn upright here and slanted when stamped.
constexpr std::array<Pt, 7> kV{{{10, 16}, {17, 11}, {23, 18}, {29, 34}, {37, 20}, {43, 12}, {48, 13}}};
constexpr std::array<Pt, 5> kYCup{{{48, 23}, {50, 31}, {55, 34}, {61, 29}, {63, 23}}};
constexpr std::array<Pt, 7> kYTail{{{63, 23}, {62, 34}, {59, 39}, {54, 39}, {54, 36}, {61, 33}, {67, 30}}};
constexpr std::array<Pt, 4> kRStem{{{67, 30}, {70, 23}, {72, 25}, {71, 34}}};
constexpr std::array<Pt, 3> kRShoulder{{{71, 28}, {76, 22}, {81, 24}}};
constexpr std::array<Pt, 5> kTStem{{{89, 13}, {87, 26}, {87, 32}, {91, 34}, {97, 30}}};
constexpr std::array<Pt, 2> kTBar{{{82, 21}, {96, 20}}};
constexpr std::array<Pt, 7> kABowl{{{109, 24}, {104, 22}, {99, 26}, {98, 32}, {102, 34}, {107, 29}, {109, 23}}};
constexpr std::array<Pt, 4> kAStem{{{109, 23}, {108, 32}, {111, 34}, {116, 30}}};
constexpr std::array<Pt, 9> kL{{{116, 30}, {122, 20}, {125, 12}, {123, 9}, {120, 12}, {118, 24}, {119, 33}, {123, 34}, {128, 31}}};
constexpr std::array<Pt, 5> kSwash{{{4, 38}, {40, 37}, {90, 38}, {130, 37}, {150, 35}}};

constexpr double kScaleX = 1.25;
constexpr double kOffsetX = 6.0;
constexpr double kSlant = 0.32;  // rightwards lean per pixel of height
constexpr double kBaseline = 34.0;
constexpr double kPenRadius = 1.7;

// The maker's tag in a 5 × 7 pixel alphabet of its own.
struct TagGlyph {
  char c;
  std::array<std::uint8_t, 7> rows;  // bit 4 is the leftmost column
};
constexpr std::array<TagGlyph, 9> kTagGlyphs{{
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'o', {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E}},
    {'l', {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'a', {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F}},
    {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}},
    {'i', {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E}},
    {'n', {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'x', {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}},
}};
constexpr std::string_view kTag = "TollarinFx";
constexpr int kTagX = 62;
constexpr int kTagY = 3;

Pt CatmullRom(const Pt& p0, const Pt& p1, const Pt& p2, const Pt& p3, double t) {
  const double t2 = t * t;
  const double t3 = t2 * t;
  auto f = [&](double a, double b, double c, double d) {
    return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
  };
  return {f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y)};
}

Pt Place(const Pt& p) { return {kOffsetX + p.x * kScaleX + (kBaseline - p.y) * kSlant, p.y}; }

double SegmentDistance(const Pt& a, const Pt& b, double x, double y) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.x + t * dx - x;
  const double ey = a.y + t * dy - y;
  return std::sqrt(ex * ex + ey * ey);
}

void StampStroke(std::span<const Pt> points, std::vector<double>& coverage) {
  std::vector<Pt> path;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const Pt& p0 = points[i == 0 ? 0 : i - 1];
    const Pt& p3 = points[i + 2 < n ? i + 2 : n - 1];
    for (int s = 0; s < 12; ++s) path.push_back(Place(CatmullRom(p0, points[i], points[i + 1], p3, s / 12.0)));
  }
  path.push_back(Place(points[n - 1]));
  double minX = path[0].x, maxX = path[0].x, minY = path[0].y, maxY = path[0].y;
  for (const Pt& p : path) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const int reach = static_cast<int>(kPenRadius) + 2;
  const int x0 = std::max(0, static_cast<int>(minX) - reach);
  const int x1 = std::min(kLogoWidth, static_cast<int>(maxX) + reach + 1);
  const int y0 = std::max(0, static_cast<int>(minY) - reach);
  const int y1 = std::min(kLogoHeight, static_cast<int>(maxY) + reach + 1);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      double d = 1e9;
      for (std::size_t i = 0; i + 1 < path.size(); ++i) d = std::min(d, SegmentDistance(path[i], path[i + 1], x + 0.5, y + 0.5));
      const double c = std::clamp(kPenRadius + 0.5 - d, 0.0, 1.0);
      double& cell = coverage[static_cast<std::size_t>(y) * kLogoWidth + static_cast<std::size_t>(x)];
      cell = std::max(cell, c);
    }
  }
}

constexpr Pixel Mix(Pixel to, double share) {
  auto ch = [share](int target) { return static_cast<int>(255 + (target - 255) * share + 0.5); };
  return PackRgb(ch(RedOf(to)), ch(GreenOf(to)), ch(BlueOf(to)));
}

}  // namespace

IndexedBitmap MakeLogoBitmap() {
  IndexedBitmap bmp;
  bmp.width = kLogoWidth;
  bmp.height = kLogoHeight;
  constexpr Pixel kScriptRed = PackRgb(214, 16, 24);
  constexpr Pixel kTagGrey = PackRgb(64, 64, 64);
  for (int i = 0; i < 128; ++i) {
    bmp.palette[static_cast<std::size_t>(i)] = Mix(kScriptRed, i / 127.0);
    bmp.palette[static_cast<std::size_t>(128 + i)] = Mix(kTagGrey, i / 127.0);
  }
  std::vector<double> coverage(static_cast<std::size_t>(kLogoWidth) * kLogoHeight, 0.0);
  StampStroke(kV, coverage);
  StampStroke(kYCup, coverage);
  StampStroke(kYTail, coverage);
  StampStroke(kRStem, coverage);
  StampStroke(kRShoulder, coverage);
  StampStroke(kTStem, coverage);
  StampStroke(kTBar, coverage);
  StampStroke(kABowl, coverage);
  StampStroke(kAStem, coverage);
  StampStroke(kL, coverage);
  StampStroke(kSwash, coverage);
  bmp.indices.resize(coverage.size());
  for (std::size_t i = 0; i < coverage.size(); ++i) {
    bmp.indices[i] = static_cast<std::uint8_t>(std::lround(coverage[i] * 127.0));
  }
  int x0 = kTagX;
  for (char c : kTag) {
    for (const TagGlyph& g : kTagGlyphs) {
      if (g.c != c) continue;
      for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 5; ++col) {
          if ((g.rows[static_cast<std::size_t>(row)] >> (4 - col) & 1) == 0) continue;
          const int x = x0 + col;
          const int y = kTagY + row;
          if (x < kLogoWidth && y < kLogoHeight) bmp.indices[static_cast<std::size_t>(y) * kLogoWidth + static_cast<std::size_t>(x)] = 255;
        }
      }
    }
    x0 += 6;
  }
  return bmp;
}

PixelImage MakeLogo() {
  const IndexedBitmap bmp = MakeLogoBitmap();
  PixelImage image(bmp.width, bmp.height);
  for (int y = 0; y < bmp.height; ++y) {
    for (int x = 0; x < bmp.width; ++x) {
      image.Set(x, y, bmp.palette[bmp.indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(bmp.width) + static_cast<std::size_t>(x)]]);
    }
  }
  return image;
}
