#include "platform/freetype_font_rasterizer.h"

#include <gtest/gtest.h>

namespace {

TEST(PointsToPixels, NinetySixPixelsPerInch) {
  EXPECT_EQ(PointsToPixels(8), 11);
  EXPECT_EQ(PointsToPixels(7), 9);
  EXPECT_EQ(PointsToPixels(12), 16);
}

TEST(FreeTypeFontRasterizer, ResolvesTheEditorsFonts) {
  FreeTypeFontRasterizer fonts;
  EXPECT_FALSE(fonts.ResolvedFile("Verdana").empty());
  EXPECT_FALSE(fonts.ResolvedFile("Arial").empty());
}

TEST(FreeTypeFontRasterizer, CellsAndWidths) {
  FreeTypeFontRasterizer fonts;
  const TextMask mask = fonts.Render("Verdana", 11, "Main ");
  EXPECT_EQ(mask.cellHeight, 11);
  EXPECT_GT(mask.advance, 15);
  EXPECT_LT(mask.advance, 60);
  EXPECT_EQ(fonts.TextWidth("Verdana", 11, "Main "), mask.advance);
  EXPECT_EQ(fonts.TextWidth("Verdana", 11, ""), 0);
  EXPECT_GT(fonts.TextWidth("Verdana", 11, "Main  "), mask.advance);  // blanks count
  int ink = 0;
  for (auto c : mask.coverage) ink += c > 128 ? 1 : 0;
  EXPECT_GT(ink, 10);
  // A 7 point caption fits a dial.
  EXPECT_LT(fonts.TextWidth("Arial", 9, "Attack"), 41);
}

TEST(FreeTypeFontRasterizer, InkStaysNearTheCell) {
  FreeTypeFontRasterizer fonts;
  const TextMask mask = fonts.Render("Verdana", 11, "Hxg");
  EXPECT_GE(mask.top, -2);
  EXPECT_LE(mask.top + mask.height, 11 + 4);
}

TEST(FreeTypeFontRasterizer, UnknownFamiliesStillRender) {
  FreeTypeFontRasterizer fonts;
  EXPECT_GT(fonts.TextWidth("No Such Family 123", 11, "abc"), 0);
}

}  // namespace
