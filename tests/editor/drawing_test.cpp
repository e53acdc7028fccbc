// Pixel checks of the drawing routines: dials, sliders, lamps and strips.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "editor/dial_geometry.h"
#include "editor/editor_colors.h"
#include "editor_fixture.h"

#ifndef VYRTAL_EDITOR_GOLDEN_DIR
#error "VYRTAL_EDITOR_GOLDEN_DIR must name the golden pictures"
#endif

namespace {

class DrawingTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    Open();
  }
  void SetValue(int index, float v) { Store(Window().fvar, index, v); }
  Pixel At(const char* name, int x, int y) { return Named(name).canvas.Image().At(x, y); }
};

// One character per pixel: '.' white, '#' black, 'o' mid grey, '=' dark
// grey, anything else '?'.
std::string AsText(const PixelImage& image) {
  std::string out;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const Pixel p = image.At(x, y);
      out += p == kWhite ? '.' : p == kBlack ? '#' : p == kMidGrey ? 'o' : p == kDarkGrey ? '=' : '?';
    }
    out += '\n';
  }
  return out;
}

std::string ReadGolden(const std::string& name) {
  std::ifstream in(std::string(VYRTAL_EDITOR_GOLDEN_DIR) + "/" + name);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(DialGeometry, PointerEndsForSampleValues) {
  EXPECT_EQ(DialPointer(0.0f), (DialPoint{16, 35}));
  EXPECT_EQ(DialPointer(0.25f), (DialPoint{13, 21}));
  EXPECT_EQ(DialPointer(0.5f), (DialPoint{25, 13}));
  EXPECT_EQ(DialPointer(0.75f), (DialPoint{38, 21}));
  EXPECT_EQ(DialPointer(1.0f), (DialPoint{35, 35}));
}

TEST(DialGeometry, EndMarks) {
  EXPECT_EQ(DialPointAt(kDialLowMarkAngle, 15), (DialPoint{15, 36}));
  EXPECT_EQ(DialPointAt(kDialLowMarkAngle, 19), (DialPoint{12, 39}));
  EXPECT_EQ(DialPointAt(kDialHighMarkAngle, 15), (DialPoint{36, 36}));
  EXPECT_EQ(DialPointAt(kDialHighMarkAngle, 19), (DialPoint{39, 39}));
}

TEST_F(DrawingTest, DialAtZeroMatchesItsGoldenPicture) {
  SetValue(0, 0.0f);
  Window().DrawDial2(Named("Datt"), 0, "");
  EXPECT_EQ(AsText(Named("Datt").canvas.Image()), ReadGolden("dial_zero.txt"));
}

TEST_F(DrawingTest, DialPointerStopsBeforeItsEnd) {
  SetValue(0, 0.0f);
  Window().DrawDial2(Named("Datt"), 0, "");
  EXPECT_EQ(At("Datt", 26, 26), kBlack);
  EXPECT_EQ(At("Datt", 17, 34), kBlack);
  EXPECT_EQ(At("Datt", 16, 35), kWhite);
  // The marks stop before their outer ends too.
  EXPECT_EQ(At("Datt", 15, 36), kBlack);
  EXPECT_EQ(At("Datt", 13, 38), kBlack);
  EXPECT_EQ(At("Datt", 12, 39), kWhite);
  EXPECT_EQ(At("Datt", 36, 36), kBlack);
  EXPECT_EQ(At("Datt", 39, 39), kWhite);
  // The knob: grey inside, black outline, white outside.
  EXPECT_EQ(At("Datt", 30, 30), kMidGrey);
  EXPECT_EQ(At("Datt", 38, 26), kBlack);
  EXPECT_EQ(At("Datt", 39, 26), kWhite);
}

TEST_F(DrawingTest, DialPointerAtOneEndsAtTheRightMark) {
  SetValue(0, 1.0f);
  Window().DrawDial2(Named("Datt"), 0, "");
  EXPECT_EQ(At("Datt", 34, 34), kBlack);
  EXPECT_EQ(At("Datt", 17, 34), kMidGrey);
}

TEST_F(DrawingTest, DialCaptionIsCentredOnTheDialsCentreLine) {
  Window().DrawDial2(Named("Datt"), 0, "Q");
  // Width 6: drawn at (51 - 6) / 2 = 22, ink 22..25, 9-pixel Arial cell.
  EXPECT_EQ(fonts->rendered.back().family, "Arial");
  EXPECT_EQ(fonts->rendered.back().pixelSize, 9);
  EXPECT_EQ(At("Datt", 22, 4), kBlack);
  EXPECT_EQ(At("Datt", 25, 4), kBlack);
  EXPECT_EQ(At("Datt", 21, 4), kWhite);
  EXPECT_EQ(At("Datt", 26, 4), kWhite);
}

TEST_F(DrawingTest, SliderBars) {
  SetValue(7, 0.0f);
  Window().DrawHSlider2(Named("Dvol"), 7, "");
  EXPECT_EQ(At("Dvol", 0, 15), kBlack);
  EXPECT_EQ(At("Dvol", 99, 29), kBlack);
  EXPECT_EQ(At("Dvol", 1, 20), kDarkGrey);
  EXPECT_EQ(At("Dvol", 50, 14), kWhite);

  SetValue(7, 0.5f);
  Window().DrawHSlider2(Named("Dvol"), 7, "");
  EXPECT_EQ(At("Dvol", 48, 20), kMidGrey);
  EXPECT_EQ(At("Dvol", 49, 20), kBlack);
  EXPECT_EQ(At("Dvol", 50, 20), kDarkGrey);

  SetValue(7, 1.0f);
  Window().DrawHSlider2(Named("Dvol"), 7, "");
  EXPECT_EQ(At("Dvol", 98, 20), kMidGrey);
  EXPECT_EQ(At("Dvol", 99, 20), kBlack);
  EXPECT_EQ(At("Dvol", 1, 20), kMidGrey);
}

TEST_F(DrawingTest, SliderCaptionIsClearAndCentredAboveTheTrack) {
  SetValue(7, 0.0f);
  Window().DrawHSlider2(Named("Dvol"), 7, "Volume");
  EXPECT_EQ(fonts->rendered.back().family, "Verdana");
  EXPECT_EQ(fonts->rendered.back().pixelSize, 9);
  // 36 wide: starts at 32, y 2; ink rows 4..8.
  EXPECT_EQ(At("Dvol", 32, 5), kBlack);
  EXPECT_EQ(At("Dvol", 31, 5), kWhite);
  EXPECT_EQ(At("Dvol", 36, 5), kWhite);
}

TEST_F(DrawingTest, LampsSwitchAboveOneHalf) {
  SetValue(19, 0.5f);
  Window().SetControl(19);
  EXPECT_EQ(At("DelayOn", 5, 5), kLampGrey);
  EXPECT_EQ(At("DelayOn", 0, 0), kBlack);
  EXPECT_EQ(At("DelayOn", 15, 15), kBlack);
  SetValue(19, 0.5000001f);
  Window().SetControl(19);
  EXPECT_EQ(At("DelayOn", 5, 5), kRed);
  EXPECT_EQ(At("DelayOn", 15, 0), kBlack);
}

TEST_F(DrawingTest, HeaderStripsAreBlueInBlackFrames) {
  for (const char* name : {"Imain", "VibLabel", "FilterLabel", "VowelLabel", "DelayLabel", "Ichorus"}) {
    Picture& p = Named(name);
    EXPECT_EQ(p.canvas.Image().At(0, 0), kBlack) << name;
    EXPECT_EQ(p.canvas.Image().At(p.Width() - 1, p.Height() - 1), kBlack) << name;
    EXPECT_EQ(p.canvas.Image().At(1, p.Height() - 2), kHeaderBlue) << name;
  }
  EXPECT_EQ(At("IType", 1, 14), kMidGrey);
  EXPECT_EQ(At("IType", 0, 8), kBlack);
  EXPECT_EQ(At("PrintOut", 1, 14), kDarkGrey);
  EXPECT_EQ(At("PrintOut", 205, 15), kBlack);
}

TEST_F(DrawingTest, Clearscreen2LeavesTheBrushBlack) {
  Window().Clearscreen2(Named("Imain"), kRed);
  EXPECT_EQ(Named("Imain").canvas.BrushColor(), kBlack);
  EXPECT_EQ(At("Imain", 5, 5), kRed);
}

TEST_F(DrawingTest, HeaderTextIsWhiteAndCentred) {
  // "Main " is 30 wide: (101 - 30) / 2 = 35.
  EXPECT_EQ(At("Imain", 35, 4), kWhite);
  EXPECT_EQ(At("Imain", 34, 4), kHeaderBlue);
}

TEST_F(DrawingTest, Printf2Alignments) {
  Picture& p = Named("VibLabel");
  Window().Clearscreen(p, kWhite);
  Window().Printf2(p, kBlack, kRed, 8, 100, 1, "ab", 2);  // right-aligned at 100: 88..99
  EXPECT_EQ(At("VibLabel", 88, 4), kBlack);
  EXPECT_EQ(At("VibLabel", 99, 4), kRed);
  EXPECT_EQ(At("VibLabel", 100, 4), kWhite);
  EXPECT_EQ(At("VibLabel", 87, 4), kWhite);
  Window().Clearscreen(p, kWhite);
  Window().Printf2(p, kBlack, kRed, 8, 100, 1, "ab", 7);  // unknown alignment: nothing
  EXPECT_EQ(At("VibLabel", 100, 4), kWhite);
  EXPECT_EQ(At("VibLabel", 88, 4), kWhite);
}

TEST_F(DrawingTest, CentredTextWiderThanThePictureIsCutOffAtBothEnds) {
  Picture& p = Named("Imain");
  Window().Clearscreen(p, kWhite);
  // 107 characters: 642 pixels; (101 - 642) / 2 = -270 (halving truncates).
  const std::string wide(107, 'x');
  Window().Printf2(p, kBlack, kRed, 8, 0, 1, wide, 1);
  // Letter 45 starts at -270 + 270 = 0.
  EXPECT_EQ(At("Imain", 0, 4), kBlack);
  EXPECT_EQ(At("Imain", 3, 4), kBlack);
  EXPECT_EQ(At("Imain", 4, 4), kRed);
  // Letter 61 has its ink at 96..99 and its gap at 100..101.
  EXPECT_EQ(At("Imain", 99, 4), kBlack);
  EXPECT_EQ(At("Imain", 100, 4), kRed);
}

TEST_F(DrawingTest, PrintLabelsWritesOneLine) {
  Window().PrintLabels("Vib Speed (cc87)", "0.85Hz");
  EXPECT_EQ(LastText(), "Vib Speed (cc87) :: 0.85Hz");
  EXPECT_EQ(fonts->rendered.back().pixelSize, 11);
  EXPECT_EQ(At("PrintOut", 1, 4), kWhite);
  EXPECT_EQ(At("PrintOut", 5, 4), kDarkGrey);
  EXPECT_EQ(At("PrintOut", 0, 4), kBlack);
}

TEST_F(DrawingTest, EveryControlDrawsAtBothEnds) {
  for (float v : {0.0f, 1.0f}) {
    for (int i = 0; i < kNumParamSlots; ++i) SetValue(i, v);
    for (int i = 0; i < kNumParamSlots; ++i) {
      Window().SetControl(i);
      Window().SetLabel(i);
    }
  }
  SUCCEED();
}

}  // namespace
