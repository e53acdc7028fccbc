// Pointer actions on the editor window, checked by what the host hears
// through audioMasterAutomate and by what the window draws.
#include <gtest/gtest.h>

#include "editor/editor_colors.h"
#include "editor_fixture.h"

namespace {

constexpr KeyModifiers kShift{true, false, false};
constexpr KeyModifiers kCtrl{false, true, false};

class InteractionTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    Open();
    host.ClearRecords();
  }
  float Automated(int index) {
    float v = -1.0f;
    EXPECT_TRUE(LastAutomation(index, v)) << "no automation of " << index;
    return v;
  }
};

TEST_F(InteractionTest, AbsoluteSliderDrag) {
  Press("Dvol", 99, 20);
  EXPECT_EQ(Automated(7), 0.99f);
  EXPECT_EQ(plugin->getParameter(7), 0.99f);
  EXPECT_EQ(Window().dragmode, 0);
  EXPECT_EQ(Window().dragging, 1);
  Move("Dvol", 150, 20);
  EXPECT_EQ(Automated(7), 1.0f);
  Move("Dvol", -5, 20);
  EXPECT_EQ(Automated(7), 0.0f);
  Move("Dvol", 42, 300);  // far outside the picture, still captured
  EXPECT_EQ(Automated(7), 0.42f);
  Release("Dvol", 42, 300);
  EXPECT_EQ(Window().dragmode, -1);
  EXPECT_EQ(Window().dragging, 0);
  const int count = AutomationCount();
  Move("Dvol", 10, 20);
  EXPECT_EQ(AutomationCount(), count);
  EXPECT_EQ(plugin->getParameter(7), 0.42f);
}

TEST_F(InteractionTest, SliderPressRedrawsAndShowsTheValue) {
  Press("Dvol", 50, 20);
  EXPECT_EQ(LastText(), "Volume (cc84) :: -20dB");
  EXPECT_EQ(Named("Dvol").canvas.Image().At(48, 20), kMidGrey);
}

TEST_F(InteractionTest, RelativeSliderDrag) {
  plugin->setParameter(7, 0.3f);
  Press("Dvol", 10, 20, MouseButton::Left, kShift);
  EXPECT_EQ(AutomationCount(), 0);
  EXPECT_EQ(Window().dragmode, 1);
  Move("Dvol", 60, 20);
  EXPECT_EQ(Automated(7), 0.36f);
  Move("Dvol", -400, 20);
  EXPECT_EQ(Automated(7), 0.0f);
  Move("Dvol", 5000, 20);
  EXPECT_EQ(Automated(7), 1.0f);
}

TEST_F(InteractionTest, OtherButtonsStartNoSliderDrag) {
  Press("Dvol", 50, 20, MouseButton::Right);
  EXPECT_EQ(Window().dragmode, -1);
  EXPECT_EQ(AutomationCount(), 0);
  Move("Dvol", 70, 20);
  EXPECT_EQ(AutomationCount(), 0);
}

TEST_F(InteractionTest, RelativeDialDrag) {
  plugin->setParameter(0, 0.5f);
  Press("Datt", 20, 20);
  EXPECT_EQ(AutomationCount(), 0);
  EXPECT_EQ(LastText(), "Attack :: 4 qb");
  Move("Datt", 20, 15);
  EXPECT_EQ(Automated(0), 0.5f);
  Move("Datt", 20, 315);
  EXPECT_EQ(Automated(0), 0.0f);
  Move("Datt", 20, -135);
  EXPECT_EQ(Automated(0), 1.0f);
  Release("Datt", 20, -135);
  EXPECT_EQ(Window().dragging, 0);
}

TEST_F(InteractionTest, ShiftPressOnADialDoesNothing) {
  plugin->setParameter(0, 0.5f);
  Press("Datt", 20, 20, MouseButton::Left, kShift);
  EXPECT_EQ(Window().dragmode, -1);
  Move("Datt", 20, 300);
  EXPECT_EQ(AutomationCount(), 0);
  EXPECT_EQ(LastText(), "Attack :: 4 qb");
}

TEST_F(InteractionTest, CtrlPressInAFreshWindowStartsAnAngleDrag) {
  plugin->setParameter(8, 0.1f);
  Press("DViba", 15, 20, MouseButton::Left, kCtrl);
  EXPECT_EQ(Window().dragmode, 0);
  Move("DViba", 15, 25);  // straight below (15, 15)
  EXPECT_NEAR(Automated(8), 0.0f, 1e-5f);
  Move("DViba", 5, 15);  // left
  EXPECT_NEAR(Automated(8), 0.3125f, 1e-5f);
  Move("DViba", 15, 5);  // above
  EXPECT_NEAR(Automated(8), 0.625f, 1e-5f);
  Move("DViba", 25, 15);  // right
  EXPECT_NEAR(Automated(8), 0.9375f, 1e-5f);
  Move("DViba", 25, 25);  // beyond the range: would be 0, too far from 0.9375
  EXPECT_NEAR(Automated(8), 0.9375f, 1e-5f);
  Move("DViba", 5, 25);  // lower left: 0.15625, too far as well
  EXPECT_NEAR(Automated(8), 0.9375f, 1e-5f);
}

TEST_F(InteractionTest, AngleDragBeyondTheRangeGivesZeroWhenNear) {
  plugin->setParameter(8, 0.2f);
  Press("DViba", 15, 20, MouseButton::Left, kCtrl);
  Move("DViba", 25, 25);
  EXPECT_EQ(Automated(8), 0.0f);
}

TEST_F(InteractionTest, AngleDragHoldsEachStepAsASingle) {
  // Worked with the constants as written and rounded to a single at each
  // stored step; single-precision constants would land an ulp or two away.
  plugin->setParameter(8, 0.5f);
  Press("DViba", 15, 20, MouseButton::Left, kCtrl);
  Move("DViba", -5, 0);
  EXPECT_EQ(Automated(8), 0x1.c317aep-2f);
  Move("DViba", -5, 5);
  EXPECT_EQ(Automated(8), 0x1.9e73f8p-2f);
  Move("DViba", -5, -5);
  EXPECT_EQ(Automated(8), 0x1.dfffe4p-2f);
}

TEST_F(InteractionTest, AfterAReleaseCtrlPressesStartNothing) {
  Press("Datt", 20, 20);
  Release("Datt", 20, 20);
  Press("Datt", 20, 20, MouseButton::Left, kCtrl);
  EXPECT_EQ(Window().dragmode, -1);
  EXPECT_EQ(Window().dragging, 0);
  Move("Datt", 0, 0);
  EXPECT_EQ(AutomationCount(), 0);
}

TEST_F(InteractionTest, CtrlPressKeepsTheRelativeModeOfTheLastPress) {
  Press("Datt", 20, 20);  // relative
  Press("DDec", 20, 20, MouseButton::Left, kCtrl);
  EXPECT_EQ(Window().dragmode, 1);
}

TEST_F(InteractionTest, HoverShowsCaptionAndValue) {
  plugin->setParameter(9, 0.5f);
  Move("DVibs", 10, 10);
  EXPECT_EQ(LastText(), "Vib Speed (cc87) :: 0.85Hz");
  Move("Imain", 10, 10);  // leaving keeps the text
  EXPECT_EQ(LastText(), "Vib Speed (cc87) :: 0.85Hz");
  plugin->setParameter(2, 0.25f);
  Move("DVowel", 10, 10);
  EXPECT_EQ(LastText(), "Vowel (cc83) :: E76% I24% ");
  Move("DStereo", 3, 3);
  EXPECT_EQ(LastText().substr(0, 18), "Stereo Amount  :: ");
}

TEST_F(InteractionTest, TypeStripCycles) {
  plugin->setParameter(14, 0.0f);
  Press("IType", 5, 5);
  EXPECT_EQ(Automated(14), 0.33444816f);
  EXPECT_EQ(LastText(), "Type: Sqr");
  Press("IType", 5, 5, MouseButton::Right);
  EXPECT_EQ(Automated(14), 0.6688963f);
  EXPECT_EQ(LastText(), "Type: Noise");
  Press("IType", 5, 5);
  EXPECT_EQ(Automated(14), 0.0f);
  EXPECT_EQ(LastText(), "Type: Saw");
  EXPECT_EQ(plugin->getParameter(14), 0.0f);
}

TEST_F(InteractionTest, DelaySwitchClicks) {
  plugin->setParameter(19, 0.2f);
  Window().Timer2Timer();
  Press("DelayLabel", 10, 5);
  EXPECT_EQ(AutomationCount(), 0);  // a click needs the release
  Release("DelayLabel", 10, 5);
  EXPECT_EQ(Automated(19), 0.75376886f);
  EXPECT_EQ(Named("DelayOn").canvas.Image().At(5, 5), kRed);
  Press("DelayLabel", 10, 5);
  Release("DelayLabel", 12, 6);
  EXPECT_EQ(Automated(19), 0.2512563f);
  EXPECT_EQ(Named("DelayOn").canvas.Image().At(5, 5), kLampGrey);
  // Released elsewhere: no click.
  Press("DelayLabel", 10, 5);
  Release("Imain", 10, 5);
  EXPECT_EQ(Automated(19), 0.2512563f);
  // Right button: no click.
  Press("DelayLabel", 10, 5, MouseButton::Right);
  Release("DelayLabel", 10, 5, MouseButton::Right);
  EXPECT_EQ(Automated(19), 0.2512563f);
  // Pressed outside every picture, released on the strip: no click.
  const int before = AutomationCount();
  Native().Press(5, 5, MouseButton::Left);
  Release("DelayLabel", 10, 5);
  EXPECT_EQ(AutomationCount(), before);
  EXPECT_EQ(Automated(19), 0.2512563f);
}

TEST_F(InteractionTest, ChorusSwitchReactsToAnyPress) {
  plugin->setParameter(28, 0.0f);
  Press("Ichorus", 10, 5, MouseButton::Right);
  EXPECT_EQ(Automated(28), 0.75376886f);
  EXPECT_EQ(Named("ChorusOn").canvas.Image().At(5, 5), kRed);
  Press("Ichorus", 10, 5);
  EXPECT_EQ(Automated(28), 0.2512563f);
  EXPECT_EQ(Named("ChorusOn").canvas.Image().At(5, 5), kLampGrey);
}

TEST_F(InteractionTest, HostAutomationReachesTheDialOnTheNextTick) {
  const PixelImage before = Named("DVibs").canvas.Image();
  const std::string caption = LastText();
  plugin->setParameter(9, 1.0f);
  EXPECT_EQ(Named("DVibs").canvas.Image(), before);  // nothing drawn yet
  EXPECT_TRUE(Native().Tick());
  EXPECT_NE(Named("DVibs").canvas.Image(), before);
  EXPECT_EQ(Named("DVibs").canvas.Image().At(34, 34), kBlack);
  EXPECT_EQ(LastText(), "Vib Sp");  // only the dial's own caption was drawn
  Native().PaintPending();
  EXPECT_EQ(Native().Screen().At(300 + 34, 35 + 34), kBlack);
}

TEST_F(InteractionTest, HostChangeOfTheTypeDoesNotRedrawTheStrip) {
  const PixelImage before = Named("IType").canvas.Image();
  plugin->setParameter(14, 0.9f);
  Native().Tick();
  EXPECT_EQ(Named("IType").canvas.Image(), before);
}

TEST_F(InteractionTest, RefreshDrawsOnlyChangedControls) {
  Native().Tick();
  fonts->rendered.clear();
  Native().Tick();
  EXPECT_TRUE(fonts->rendered.empty());
  plugin->setParameter(45, 0.7f);  // no control
  Native().Tick();
  EXPECT_TRUE(fonts->rendered.empty());
}

}  // namespace
