// A picture's drawing surface: a retained bitmap plus the brush, pen, font
// and pen position that persist between drawing calls. Rectangles are given
// as (left, top, right, bottom) with right and bottom excluded.
#pragma once

#include <string>
#include <string_view>

#include "platform/font_rasterizer.h"
#include "platform/pixel_image.h"

enum class BrushStyle { Solid, Clear };

class Canvas {
 public:
  Canvas(int width, int height, FontRasterizer& fonts);

  int Width() const { return image.Width(); }
  int Height() const { return image.Height(); }
  const PixelImage& Image() const { return image; }

  // Setting a brush colour also makes the brush solid.
  void SetBrushColor(Pixel color);
  void SetBrushClear() { brushStyle = BrushStyle::Clear; }
  void SetPenColor(Pixel color) { pen = color; }
  Pixel BrushColor() const { return brush; }
  BrushStyle Style() const { return brushStyle; }
  Pixel PenColor() const { return pen; }

  void FillRect(int l, int t, int r, int b);
  void FrameRect(int l, int t, int r, int b);
  void Rectangle(int l, int t, int r, int b);
  void Ellipse(int l, int t, int r, int b);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  int PenX() const { return penX; }
  int PenY() const { return penY; }

  void SetFont(const std::string& name, int points, Pixel color);
  const std::string& FontName() const { return fontName; }
  int FontPoints() const { return fontPoints; }
  Pixel FontColor() const { return fontColor; }
  int TextWidth(std::string_view text);
  void TextOut(int x, int y, std::string_view text);

  // Blits a whole picture, as for a stored bitmap.
  void Draw(const PixelImage& picture, int x, int y) { image.Blit(picture, x, y); }

 private:
  PixelImage image;
  FontRasterizer& fonts;
  Pixel brush = PackRgb(255, 255, 255);
  BrushStyle brushStyle = BrushStyle::Solid;
  Pixel pen = PackRgb(0, 0, 0);
  std::string fontName = "Verdana";
  int fontPoints = 8;
  Pixel fontColor = PackRgb(0, 0, 0);
  int penX = 0;
  int penY = 0;
};
