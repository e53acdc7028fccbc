// One rectangular picture of the editor window: its place, its name, the
// control it shows if any, and its retained drawing surface.
#pragma once

#include <string_view>

#include "editor/canvas.h"
#include "editor/control_table.h"

struct Picture {
  Picture(std::string_view name, int x, int y, int width, int height, FontRasterizer& fonts,
          const ControlSpec* control = nullptr)
      : name(name), x(x), y(y), canvas(width, height, fonts), control(control) {}

  int Width() const { return canvas.Width(); }
  int Height() const { return canvas.Height(); }
  bool Contains(int wx, int wy) const { return wx >= x && wy >= y && wx < x + Width() && wy < y + Height(); }

  std::string_view name;
  int x;
  int y;
  Canvas canvas;
  const ControlSpec* control;  // the bound parameter control; none for strips and the logo
};
