// The window's pictures, their places, bindings and captions, the logo and
// the composed window picture.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "editor/control_table.h"
#include "editor/editor_colors.h"
#include "editor/editor_screenshot.h"
#include "editor/logo_bitmap.h"
#include "editor_fixture.h"

namespace {

TEST(Layout, ControlTableBindsTheDocumentedIndices) {
  std::set<int> indices;
  std::set<std::string> names;
  for (const ControlSpec& c : kControls) {
    indices.insert(ParamIndex(c.param));
    names.insert(std::string(c.name));
    const int w = c.kind == ControlKind::Dial ? 41 : c.kind == ControlKind::Slider ? 100 : 16;
    const int h = c.kind == ControlKind::Dial ? 41 : c.kind == ControlKind::Slider ? 30 : 16;
    EXPECT_EQ(c.width, w) << c.name;
    EXPECT_EQ(c.height, h) << c.name;
    EXPECT_LE(c.x + c.width, kClientWidth) << c.name;
    EXPECT_LE(c.y + c.height, kClientHeight) << c.name;
  }
  EXPECT_EQ(names.size(), kControls.size());
  for (int i : {5, 13, 14}) EXPECT_EQ(indices.count(i), 0u);
  for (int i = 33; i <= 50; ++i) EXPECT_EQ(ControlForIndex(i), nullptr);
  EXPECT_EQ(indices.size(), 30u);
}

TEST(Layout, CaptionsKeepTheirSpaces) {
  EXPECT_EQ(ControlForIndex(15)->longCaption, "Stereo Amount ");
  EXPECT_EQ(ControlForIndex(27)->longCaption, "Chorus Feedback ");
  EXPECT_EQ(ControlForIndex(20)->shortCaption, "Len");
  EXPECT_EQ(ControlForIndex(24)->shortCaption, "Len");
  EXPECT_EQ(ControlForIndex(21)->shortCaption, "Feed");
  EXPECT_EQ(ControlForIndex(27)->shortCaption, "Feed");
  EXPECT_EQ(Strip(StripId::Imain).text, "Main ");
  EXPECT_EQ(Strip(StripId::FilterLabel).text, "Lowpass Filter ");
}

TEST(Layout, NamesMatchWithoutRegardToCase) {
  ASSERT_NE(ControlNamed("dvowel"), nullptr);
  EXPECT_EQ(ControlNamed("DVOWEL")->param, Param::kVowel);
  EXPECT_EQ(ControlNamed("DXI")->param, Param::kPitchInertia);
  EXPECT_EQ(ControlNamed("dyi")->kind, ControlKind::Slider);
  EXPECT_EQ(ControlNamed("Nothing"), nullptr);
}

TEST(Layout, TypeNames) {
  EXPECT_EQ(TypeNames[0], "Type: Saw");
  EXPECT_EQ(TypeNames[1], "Type: Sqr");
  EXPECT_EQ(TypeNames[2], "Type: Noise");
}

TEST(Layout, StripPlaces) {
  EXPECT_EQ(Strip(StripId::PrintOut).x, 15);
  EXPECT_EQ(Strip(StripId::PrintOut).y, 255);
  EXPECT_EQ(Strip(StripId::PrintOut).width, 206);
  EXPECT_EQ(Strip(StripId::DelayLabel).width, 176);
  EXPECT_EQ(Strip(StripId::Ichorus).width, 181);
  EXPECT_EQ(Strip(StripId::Imain).width, 101);
  EXPECT_EQ(Strip(StripId::Image1).height, 41);
}

TEST(Logo, IsAnEightBitPictureOnWhite) {
  const IndexedBitmap logo = MakeLogoBitmap();
  EXPECT_EQ(logo.width, 206);
  EXPECT_EQ(logo.height, 41);
  EXPECT_EQ(logo.indices.size(), 206u * 41u);
  EXPECT_EQ(logo.palette[0], kWhite);
  EXPECT_EQ(logo.indices.front(), 0);
  EXPECT_EQ(logo.indices.back(), 0);
  int script = 0;
  int tag = 0;
  for (auto i : logo.indices) {
    if (i == 127) ++script;
    if (i == 255) ++tag;
  }
  EXPECT_GT(script, 200);
  EXPECT_GT(tag, 50);
  const Pixel red = logo.palette[127];
  EXPECT_GT(RedOf(red), 150);
  EXPECT_LT(GreenOf(red), 60);
}

class WindowLayoutTest : public EditorFixture {};

TEST_F(WindowLayoutTest, PicturesSitAtTheirPlaces) {
  Open();
  Native().PaintPending();
  const PixelImage& screen = Native().Screen();
  EXPECT_EQ(screen.Width(), 463);
  EXPECT_EQ(screen.Height(), 325);
  EXPECT_EQ(screen.At(0, 0), kWhite);
  EXPECT_EQ(screen.At(462, 324), kWhite);
  EXPECT_EQ(screen.At(15, 15), kBlack);      // Imain's frame
  EXPECT_EQ(screen.At(14, 15), kWhite);
  EXPECT_EQ(screen.At(16, 29), kHeaderBlue);
  EXPECT_EQ(screen.At(115, 30), kBlack);     // 101 wide, 16 high
  EXPECT_EQ(screen.At(116, 30), kWhite);
  EXPECT_EQ(screen.At(15, 50), kBlack);      // Dvol's track
  EXPECT_EQ(screen.At(121, 16), kMidGrey);   // IType
  EXPECT_EQ(screen.At(15, 255), kBlack);     // PrintOut
  EXPECT_EQ(screen.At(220, 270), kBlack);
  EXPECT_EQ(screen.At(16, 269), kDarkGrey);
  EXPECT_EQ(screen.At(430, 175), kBlack);    // DelayOn
  EXPECT_EQ(screen.At(445, 190), kBlack);
  EXPECT_EQ(screen.At(240, 255), kBlack);    // Ichorus
  EXPECT_EQ(screen.At(420, 270), kBlack);
  EXPECT_EQ(screen.At(421, 270), kWhite);
  // The logo.
  const PixelImage logo = MakeLogo();
  for (int y = 0; y < 41; ++y) {
    for (int x = 0; x < 206; ++x) ASSERT_EQ(screen.At(15 + x, 275 + y), logo.At(x, y));
  }
  // Every dial's disc centre (26, 26) region is drawn.
  for (const ControlSpec& c : kControls) {
    if (c.kind == ControlKind::Dial) {
      EXPECT_NE(screen.At(c.x + 30, c.y + 30), kWhite) << c.name;
    }
  }
}

TEST(Screenshot, FromValuesAlone) {
  std::vector<float> values(50, 0.0f);
  values[19] = 1.0f;  // delay lamp on
  values[14] = 0.5f;
  const PixelImage picture = ComposeEditorPicture(values);
  ASSERT_EQ(picture.Width(), 463);
  EXPECT_EQ(picture.Height(), 325);
  EXPECT_EQ(picture.At(15, 15), kBlack);
  EXPECT_EQ(picture.At(435, 180), kRed);
  EXPECT_EQ(picture.At(435, 260), kLampGrey);
  EXPECT_EQ(picture.At(16, 36), kWhite);       // volume slider at 0: only the track
  EXPECT_EQ(picture.At(16, 55), kDarkGrey);
  const std::string path = ::testing::TempDir() + "vyrtal_editor_values.png";
  EXPECT_TRUE(WriteEditorScreenshot(values, path));
  EXPECT_FALSE(WriteEditorScreenshot(values, "/nonexistent-dir/x.png"));
}

}  // namespace
