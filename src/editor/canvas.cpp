#include "editor/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

Canvas::Canvas(int width, int height, FontRasterizer& fonts) : image(width, height, PackRgb(255, 255, 255)), fonts(fonts) {}

void Canvas::SetBrushColor(Pixel color) {
  brush = color;
  brushStyle = BrushStyle::Solid;
}

void Canvas::FillRect(int l, int t, int r, int b) {
  for (int y = t; y < b; ++y) {
    for (int x = l; x < r; ++x) image.Set(x, y, brush);
  }
}

void Canvas::FrameRect(int l, int t, int r, int b) {
  if (r <= l || b <= t) return;
  for (int x = l; x < r; ++x) {
    image.Set(x, t, brush);
    image.Set(x, b - 1, brush);
  }
  for (int y = t; y < b; ++y) {
    image.Set(l, y, brush);
    image.Set(r - 1, y, brush);
  }
}

void Canvas::Rectangle(int l, int t, int r, int b) {
  if (r <= l || b <= t) return;
  if (brushStyle == BrushStyle::Solid) FillRect(l + 1, t + 1, r - 1, b - 1);
  for (int x = l; x < r; ++x) {
    image.Set(x, t, pen);
    image.Set(x, b - 1, pen);
  }
  for (int y = t; y < b; ++y) {
    image.Set(l, y, pen);
    image.Set(r - 1, y, pen);
  }
}

void Canvas::Ellipse(int l, int t, int r, int b) {
  if (r <= l || b <= t) return;
  // A pixel belongs to the ellipse when its centre lies inside the ellipse
  // inscribed in the box; inside pixels with a neighbour outside form the
  // outline.
  const double cx = (l + r) / 2.0;
  const double cy = (t + b) / 2.0;
  const double rx = (r - l) / 2.0;
  const double ry = (b - t) / 2.0;
  const int w = r - l;
  const int h = b - t;
  std::vector<char> inside(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
  auto in = [&](int x, int y) -> bool {
    if (x < l || y < t || x >= r || y >= b) return false;
    return inside[static_cast<std::size_t>(y - t) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x - l)] != 0;
  };
  for (int y = t; y < b; ++y) {
    for (int x = l; x < r; ++x) {
      const double dx = (x + 0.5 - cx) / rx;
      const double dy = (y + 0.5 - cy) / ry;
      inside[static_cast<std::size_t>(y - t) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x - l)] =
          dx * dx + dy * dy <= 1.0 ? 1 : 0;
    }
  }
  for (int y = t; y < b; ++y) {
    for (int x = l; x < r; ++x) {
      if (!in(x, y)) continue;
      const bool edge = !in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1);
      if (edge) {
        image.Set(x, y, pen);
      } else if (brushStyle == BrushStyle::Solid) {
        image.Set(x, y, brush);
      }
    }
  }
}

void Canvas::MoveTo(int x, int y) {
  penX = x;
  penY = y;
}

void Canvas::LineTo(int x, int y) {
  // Bresenham from the pen position, stopping before the end point.
  int x0 = penX;
  int y0 = penY;
  const int dx = std::abs(x - x0);
  const int dy = -std::abs(y - y0);
  const int sx = x0 < x ? 1 : -1;
  const int sy = y0 < y ? 1 : -1;
  int err = dx + dy;
  while (x0 != x || y0 != y) {
    image.Set(x0, y0, pen);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  penX = x;
  penY = y;
}

void Canvas::SetFont(const std::string& name, int points, Pixel color) {
  fontName = name;
  fontPoints = points;
  fontColor = color;
}

int Canvas::TextWidth(std::string_view text) { return fonts.TextWidth(fontName, PointsToPixels(fontPoints), text); }

void Canvas::TextOut(int x, int y, std::string_view text) {
  const TextMask mask = fonts.Render(fontName, PointsToPixels(fontPoints), text);
  if (brushStyle == BrushStyle::Solid) FillRect(x, y, x + mask.advance, y + mask.cellHeight);
  for (int my = 0; my < mask.height; ++my) {
    for (int mx = 0; mx < mask.width; ++mx) {
      const int a = mask.At(mx, my);
      if (a == 0) continue;
      const int px = x + mask.left + mx;
      const int py = y + mask.top + my;
      if (!image.Contains(px, py)) continue;
      const Pixel under = image.At(px, py);
      auto mix = [a](int fg, int bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
      image.Set(px, py, PackRgb(mix(RedOf(fontColor), RedOf(under)), mix(GreenOf(fontColor), GreenOf(under)),
                                mix(BlueOf(fontColor), BlueOf(under))));
    }
  }
}
