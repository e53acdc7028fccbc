// Text through FreeType, with font names resolved by fontconfig so that
// "Verdana" and "Arial" find their usual substitutes where the originals
// are not installed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/font_rasterizer.h"

class FreeTypeFontRasterizer : public FontRasterizer {
 public:
  FreeTypeFontRasterizer();
  ~FreeTypeFontRasterizer() override;

  FreeTypeFontRasterizer(const FreeTypeFontRasterizer&) = delete;
  FreeTypeFontRasterizer& operator=(const FreeTypeFontRasterizer&) = delete;

  int TextWidth(const std::string& family, int pixelSize, std::string_view text) override;
  TextMask Render(const std::string& family, int pixelSize, std::string_view text) override;

  // The file fontconfig chose for a family, empty when none was found.
  std::string ResolvedFile(const std::string& family);

 private:
  struct Library;
  std::unique_ptr<Library> lib;
};
