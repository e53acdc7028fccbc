#include "editor/canvas.h"

#include <gtest/gtest.h>

#include "editor/editor_colors.h"
#include "fixed_width_fonts.h"

namespace {

class CanvasTest : public ::testing::Test {
 protected:
  FixedWidthFonts fonts;
  Canvas c{20, 20, fonts};
  Pixel At(int x, int y) const { return c.Image().At(x, y); }
};

TEST_F(CanvasTest, FillExcludesRightAndBottomEdges) {
  c.SetBrushColor(kRed);
  c.FillRect(2, 3, 5, 6);
  EXPECT_EQ(At(2, 3), kRed);
  EXPECT_EQ(At(4, 5), kRed);
  EXPECT_EQ(At(5, 5), kWhite);
  EXPECT_EQ(At(4, 6), kWhite);
  EXPECT_EQ(At(1, 3), kWhite);
}

TEST_F(CanvasTest, FrameRunsAlongTheInsideEdgeInTheBrushColour) {
  c.SetBrushColor(kBlack);
  c.FrameRect(0, 0, 20, 20);
  EXPECT_EQ(At(0, 0), kBlack);
  EXPECT_EQ(At(19, 19), kBlack);
  EXPECT_EQ(At(19, 7), kBlack);
  EXPECT_EQ(At(7, 19), kBlack);
  EXPECT_EQ(At(1, 1), kWhite);
}

TEST_F(CanvasTest, RectangleHasPenOutlineAndBrushInterior) {
  c.SetBrushColor(kMidGrey);
  c.SetPenColor(kBlack);
  c.Rectangle(0, 5, 10, 10);
  EXPECT_EQ(At(0, 5), kBlack);
  EXPECT_EQ(At(9, 9), kBlack);
  EXPECT_EQ(At(5, 7), kMidGrey);
  EXPECT_EQ(At(10, 7), kWhite);
  c.SetBrushColor(kRed);
  c.Rectangle(12, 12, 12, 18);  // no width: nothing
  EXPECT_EQ(At(12, 14), kWhite);
}

TEST_F(CanvasTest, EllipseIsInscribedAndSymmetric) {
  c.SetBrushColor(kMidGrey);
  c.SetPenColor(kBlack);
  c.Ellipse(2, 2, 18, 18);
  EXPECT_EQ(At(10, 10), kMidGrey);
  EXPECT_EQ(At(2, 2), kWhite);
  EXPECT_EQ(At(17, 17), kWhite);
  EXPECT_EQ(At(2, 10), kBlack);
  EXPECT_EQ(At(17, 10), kBlack);
  EXPECT_EQ(At(10, 2), kBlack);
  EXPECT_EQ(At(10, 17), kBlack);
  EXPECT_EQ(At(1, 10), kWhite);
  EXPECT_EQ(At(18, 10), kWhite);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      EXPECT_EQ(At(x, y), At(19 - x, y));
      EXPECT_EQ(At(x, y), At(x, 19 - y));
    }
  }
}

TEST_F(CanvasTest, LineStopsBeforeItsEndPoint) {
  c.SetPenColor(kBlack);
  c.MoveTo(2, 2);
  c.LineTo(8, 2);
  EXPECT_EQ(At(2, 2), kBlack);
  EXPECT_EQ(At(7, 2), kBlack);
  EXPECT_EQ(At(8, 2), kWhite);
  EXPECT_EQ(c.PenX(), 8);
  EXPECT_EQ(c.PenY(), 2);
  c.LineTo(8, 8);
  EXPECT_EQ(At(8, 2), kBlack);
  EXPECT_EQ(At(8, 7), kBlack);
  EXPECT_EQ(At(8, 8), kWhite);
}

TEST_F(CanvasTest, OpaqueTextFillsItsCellAndClearTextDoesNot) {
  c.SetBrushColor(kHeaderBlue);
  c.SetFont("Verdana", 8, kWhite);
  c.TextOut(1, 1, "ab");
  EXPECT_EQ(At(1, 1), kHeaderBlue);        // cell background
  EXPECT_EQ(At(12, 11), kHeaderBlue);      // last pixel of the 12 × 11 cell
  EXPECT_EQ(At(13, 5), kWhite);            // beyond the cell: untouched
  EXPECT_EQ(At(1, 4), kWhite);             // ink
  EXPECT_EQ(At(5, 4), kHeaderBlue);        // gap between letters
  EXPECT_EQ(fonts.rendered.back().pixelSize, 11);
  c.SetBrushColor(kRed);
  c.SetBrushClear();
  c.SetFont("Arial", 7, kBlack);
  c.TextOut(1, 14, "a");
  EXPECT_EQ(At(5, 15), kWhite);            // no cell background
  EXPECT_EQ(At(1, 17), kBlack);
  EXPECT_EQ(fonts.rendered.back().pixelSize, 9);
  EXPECT_EQ(fonts.rendered.back().family, "Arial");
}

TEST_F(CanvasTest, SettingABrushColourMakesItSolid) {
  c.SetBrushClear();
  EXPECT_EQ(c.Style(), BrushStyle::Clear);
  c.SetBrushColor(kRed);
  EXPECT_EQ(c.Style(), BrushStyle::Solid);
}

}  // namespace
