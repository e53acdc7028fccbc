#include "platform/freetype_font_rasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <vector>

struct FreeTypeFontRasterizer::Library {
  FT_Library ft = nullptr;
  FcConfig* config = nullptr;
  struct Face {
    std::string file;
    FT_Face face = nullptr;
  };
  std::map<std::string, Face> faces;

  Library() {
    if (FT_Init_FreeType(&ft) != 0) ft = nullptr;
    config = FcInitLoadConfigAndFonts();
  }
  ~Library() {
    for (auto& entry : faces) {
      if (entry.second.face != nullptr) FT_Done_Face(entry.second.face);
    }
    if (ft != nullptr) FT_Done_FreeType(ft);
    if (config != nullptr) FcConfigDestroy(config);
  }

  std::string Match(const std::string& family) {
    if (config == nullptr) return {};
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    std::string file;
    if (match != nullptr) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
        file = reinterpret_cast<const char*>(path);
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
  }

  Face& FaceFor(const std::string& family) {
    auto it = faces.find(family);
    if (it != faces.end()) return it->second;
    Face face;
    face.file = Match(family);
    if (ft != nullptr && !face.file.empty()) {
      if (FT_New_Face(ft, face.file.c_str(), 0, &face.face) != 0) face.face = nullptr;
    }
    return faces.emplace(family, face).first->second;
  }
};

namespace {

// Baseline of a cell `pixelSize` high: the face's ascent share of its line.
int Baseline(FT_Face face, int pixelSize) {
  const double ascent = face->ascender;
  const double descent = -static_cast<double>(face->descender);
  if (ascent + descent <= 0.0) return pixelSize;
  return static_cast<int>(std::lround(pixelSize * ascent / (ascent + descent)));
}

}  // namespace

FreeTypeFontRasterizer::FreeTypeFontRasterizer() : lib(std::make_unique<Library>()) {}

FreeTypeFontRasterizer::~FreeTypeFontRasterizer() = default;

std::string FreeTypeFontRasterizer::ResolvedFile(const std::string& family) { return lib->FaceFor(family).file; }

int FreeTypeFontRasterizer::TextWidth(const std::string& family, int pixelSize, std::string_view text) {
  return Render(family, pixelSize, text).advance;
}

TextMask FreeTypeFontRasterizer::Render(const std::string& family, int pixelSize, std::string_view text) {
  TextMask mask;
  mask.cellHeight = pixelSize;
  FT_Face face = lib->FaceFor(family).face;
  if (face == nullptr || pixelSize <= 0) return mask;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) return mask;
  const int baseline = Baseline(face, pixelSize);

  struct Placed {
    int x, y, w, h, pitch;
    std::vector<std::uint8_t> bits;
  };
  std::vector<Placed> glyphs;
  int penX = 0;
  int minX = 0, minY = 0, maxX = 0, maxY = pixelSize;
  for (unsigned char c : text) {
    // Texts are single-byte Latin-1, which is the first block of Unicode.
    if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    Placed g{penX + slot->bitmap_left, baseline - slot->bitmap_top, static_cast<int>(bm.width),
             static_cast<int>(bm.rows), std::abs(bm.pitch), {}};
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && g.w > 0 && g.h > 0) {
      g.bits.assign(bm.buffer, bm.buffer + static_cast<std::size_t>(g.pitch) * static_cast<std::size_t>(g.h));
      minX = std::min(minX, g.x);
      minY = std::min(minY, g.y);
      maxX = std::max(maxX, g.x + g.w);
      maxY = std::max(maxY, g.y + g.h);
      glyphs.push_back(std::move(g));
    }
    penX += static_cast<int>((slot->advance.x + 32) >> 6);
  }
  mask.advance = penX;
  maxX = std::max(maxX, penX);
  mask.left = minX;
  mask.top = minY;
  mask.width = maxX - minX;
  mask.height = maxY - minY;
  mask.coverage.assign(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height), 0);
  for (const Placed& g : glyphs) {
    for (int y = 0; y < g.h; ++y) {
      for (int x = 0; x < g.w; ++x) {
        const int mx = g.x + x - minX;
        const int my = g.y + y - minY;
        auto& cell = mask.coverage[static_cast<std::size_t>(my) * static_cast<std::size_t>(mask.width) +
                                   static_cast<std::size_t>(mx)];
        const int value = g.bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(g.pitch) +
                                 static_cast<std::size_t>(x)];
        cell = static_cast<std::uint8_t>(std::min(255, cell + value));
      }
    }
  }
  return mask;
}
