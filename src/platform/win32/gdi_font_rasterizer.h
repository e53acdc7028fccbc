// Text through GDI: the named font at a pixel size on a 96 pixels per inch
// screen, drawn white on black into a memory bitmap whose brightness is
// the coverage.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/font_rasterizer.h"

class GdiFontRasterizer : public FontRasterizer {
 public:
  GdiFontRasterizer();
  ~GdiFontRasterizer() override;
  GdiFontRasterizer(const GdiFontRasterizer&) = delete;
  GdiFontRasterizer& operator=(const GdiFontRasterizer&) = delete;

  int TextWidth(const std::string& family, int pixelSize, std::string_view text) override;
  TextMask Render(const std::string& family, int pixelSize, std::string_view text) override;

 private:
  // Selects the font into the memory device context; false when GDI has none.
  bool Select(const std::string& family, int pixelSize);

  void* dc = nullptr;                                   // HDC
  std::map<std::pair<std::string, int>, void*> fonts;  // HFONT by family and size
};
