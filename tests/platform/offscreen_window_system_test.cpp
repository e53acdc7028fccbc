#include "platform/offscreen_window_system.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class NullFonts : public FontRasterizer {
 public:
  int TextWidth(const std::string&, int, std::string_view) override { return 0; }
  TextMask Render(const std::string&, int, std::string_view) override { return {}; }
};

class RecordingEvents : public WindowEvents {
 public:
  void OnButtonPress(int x, int y, MouseButton b, KeyModifiers m) override {
    lastX = x;
    lastY = y;
    lastButton = b;
    lastMods = m;
    ++presses;
  }
  void OnButtonRelease(int, int, MouseButton, KeyModifiers) override { ++releases; }
  void OnPointerMove(int x, int y, KeyModifiers) override {
    lastX = x;
    lastY = y;
    ++moves;
  }
  void OnTimer() override { ++ticks; }
  const PixelImage& ClientImage() const override { return image; }

  PixelImage image{4, 3, PackRgb(1, 2, 3)};
  int presses = 0, releases = 0, moves = 0, ticks = 0, lastX = 0, lastY = 0;
  MouseButton lastButton = MouseButton::Middle;
  KeyModifiers lastMods{};
};


TEST(OffscreenWindowSystem, RefusesWithoutAParent) {
  OffscreenWindowSystem system(std::make_unique<NullFonts>());
  RecordingEvents events;
  EXPECT_EQ(system.CreateChild(nullptr, 4, 3, events), nullptr);
  EXPECT_EQ(system.CreatedCount(), 0);
}

TEST(OffscreenWindowSystem, RefusesWhenAskedTo) {
  OffscreenWindowSystem system(std::make_unique<NullFonts>());
  RecordingEvents events;
  int parent = 0;
  system.RefuseWindows(true);
  EXPECT_EQ(system.CreateChild(&parent, 4, 3, events), nullptr);
  system.RefuseWindows(false);
  EXPECT_NE(system.CreateChild(&parent, 4, 3, events), nullptr);
}

TEST(OffscreenWindowSystem, WindowsAreTrackedUntilDestroyed) {
  OffscreenWindowSystem system(std::make_unique<NullFonts>());
  RecordingEvents events;
  int parent = 0;
  auto a = system.CreateChild(&parent, 4, 3, events);
  auto b = system.CreateChild(&parent, 4, 3, events);
  EXPECT_EQ(system.Windows().size(), 2u);
  a.reset();
  ASSERT_EQ(system.Windows().size(), 1u);
  EXPECT_EQ(static_cast<NativeWindow*>(system.Windows().front()), b.get());
  b.reset();
  EXPECT_TRUE(system.Windows().empty());
  EXPECT_EQ(system.CreatedCount(), 2);
}

TEST(OffscreenWindow, StartsHiddenAndPaintsOnRequest) {
  OffscreenWindowSystem system(std::make_unique<NullFonts>());
  RecordingEvents events;
  int parent = 0;
  auto native = system.CreateChild(&parent, 4, 3, events);
  OffscreenWindow& w = *system.Windows().front();
  EXPECT_FALSE(w.Visible());
  EXPECT_EQ(w.ClientWidth(), 4);
  EXPECT_EQ(w.ClientHeight(), 3);
  EXPECT_EQ(w.Screen().At(0, 0), 0u);
  w.PaintPending();
  EXPECT_EQ(w.Screen().At(3, 2), PackRgb(1, 2, 3));
  events.image.Set(0, 0, PackRgb(9, 9, 9));
  w.PaintPending();  // nothing pending
  EXPECT_EQ(w.Screen().At(0, 0), PackRgb(1, 2, 3));
  w.Invalidate(0, 0, 1, 1);
  w.PaintPending();
  EXPECT_EQ(w.Screen().At(0, 0), PackRgb(9, 9, 9));
  w.Show();
  EXPECT_TRUE(w.Visible());
  w.Hide();
  EXPECT_FALSE(w.Visible());
  w.SetBounds(5, 6, 4, 3);
  EXPECT_EQ(w.Left(), 5);
  EXPECT_EQ(w.Top(), 6);
}

TEST(OffscreenWindow, TimerTicksOnlyWhileRunning) {
  OffscreenWindowSystem system(std::make_unique<NullFonts>());
  RecordingEvents events;
  int parent = 0;
  auto native = system.CreateChild(&parent, 4, 3, events);
  OffscreenWindow& w = *system.Windows().front();
  EXPECT_FALSE(w.Tick());
  w.StartTimer(200);
  EXPECT_EQ(w.TimerInterval(), 200);
  EXPECT_TRUE(w.Tick());
  w.StopTimer();
  EXPECT_FALSE(w.Tick());
  EXPECT_EQ(events.ticks, 1);
}

TEST(OffscreenWindow, PointerEventsArriveInClientCoordinates) {
  OffscreenWindowSystem system(std::make_unique<NullFonts>());
  RecordingEvents events;
  int parent = 0;
  auto native = system.CreateChild(&parent, 4, 3, events);
  OffscreenWindow& w = *system.Windows().front();
  w.Press(2, 1, MouseButton::Right, {true, false, false});
  EXPECT_EQ(events.lastX, 2);
  EXPECT_EQ(events.lastButton, MouseButton::Right);
  EXPECT_TRUE(events.lastMods.shift);
  w.Move(-7, 40);
  EXPECT_EQ(events.lastX, -7);
  EXPECT_EQ(events.lastY, 40);
  w.Release(0, 0, MouseButton::Right);
  EXPECT_EQ(events.presses, 1);
  EXPECT_EQ(events.moves, 1);
  EXPECT_EQ(events.releases, 1);
}

}  // namespace
