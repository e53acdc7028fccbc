#include "platform/win32/gdi_font_rasterizer.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

GdiFontRasterizer::GdiFontRasterizer() : dc(CreateCompatibleDC(nullptr)) {}

GdiFontRasterizer::~GdiFontRasterizer() {
  if (dc != nullptr) {
    SelectObject(static_cast<HDC>(dc), GetStockObject(SYSTEM_FONT));
    DeleteDC(static_cast<HDC>(dc));
  }
  for (auto& entry : fonts) DeleteObject(static_cast<HFONT>(entry.second));
}

bool GdiFontRasterizer::Select(const std::string& family, int pixelSize) {
  if (dc == nullptr || pixelSize <= 0) return false;
  const auto key = std::make_pair(family, pixelSize);
  auto it = fonts.find(key);
  if (it == fonts.end()) {
    LOGFONTA lf{};
    // A negative height is the em size in pixels, as a point size gives it
    // at 96 pixels per inch (8 pt: -11).
    lf.lfHeight = -pixelSize;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynA(lf.lfFaceName, family.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    if (font == nullptr) return false;
    it = fonts.emplace(key, font).first;
  }
  SelectObject(static_cast<HDC>(dc), static_cast<HFONT>(it->second));
  return true;
}

int GdiFontRasterizer::TextWidth(const std::string& family, int pixelSize, std::string_view text) {
  if (text.empty() || !Select(family, pixelSize)) return 0;
  SIZE size{};
  if (!GetTextExtentPoint32A(static_cast<HDC>(dc), text.data(), static_cast<int>(text.size()), &size)) return 0;
  return static_cast<int>(size.cx);
}

TextMask GdiFontRasterizer::Render(const std::string& family, int pixelSize, std::string_view text) {
  TextMask mask;
  mask.cellHeight = pixelSize;
  if (!Select(family, pixelSize)) return mask;
  HDC hdc = static_cast<HDC>(dc);
  TEXTMETRICA tm{};
  GetTextMetricsA(hdc, &tm);
  SIZE size{};
  if (!text.empty()) GetTextExtentPoint32A(hdc, text.data(), static_cast<int>(text.size()), &size);
  mask.advance = static_cast<int>(size.cx);
  if (text.empty()) return mask;

  // Room on both sides for overhangs of slanted or wide glyphs.
  const int pad = pixelSize / 2 + 1;
  const int width = mask.advance + 2 * pad;
  const int height = std::max<int>(1, tm.tmHeight);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return mask;
  HGDIOBJ oldBitmap = SelectObject(hdc, bitmap);
  std::fill_n(static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, RGB(255, 255, 255));
  SetTextAlign(hdc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  TextOutA(hdc, pad, 0, text.data(), static_cast<int>(text.size()));
  GdiFlush();

  // The baseline sits where the font's ascent share of a cell pixelSize
  // high puts it, so that texts land where the other rasterizers put them.
  const int lineHeight = std::max<int>(1, tm.tmAscent + tm.tmDescent);
  const int baseline = static_cast<int>(std::lround(static_cast<double>(pixelSize) * tm.tmAscent / lineHeight));
  mask.left = -pad;
  mask.top = baseline - tm.tmAscent;
  mask.width = width;
  mask.height = height;
  mask.coverage.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const auto* px = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < mask.coverage.size(); ++i) {
    const std::uint32_t p = px[i];
    const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    mask.coverage[i] = static_cast<std::uint8_t>((r + g + b + 1) / 3);
  }
  SelectObject(hdc, oldBitmap);
  DeleteObject(bitmap);
  return mask;
}
