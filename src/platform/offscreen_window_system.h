// A window system without a display: windows are plain memory, painting
// copies the owner's picture into a screen buffer, and events and timer
// ticks are delivered by whoever drives it (tests, the screenshot).
#pragma once

#include <memory>
#include <vector>

#include "platform/window_system.h"

class OffscreenWindow;

class OffscreenWindowSystem : public WindowSystem {
 public:
  // Uses FreeType for text unless given another rasterizer.
  OffscreenWindowSystem();
  explicit OffscreenWindowSystem(std::unique_ptr<FontRasterizer> fonts);
  ~OffscreenWindowSystem() override;

  std::unique_ptr<NativeWindow> CreateChild(void* parent, int width, int height, WindowEvents& events) override;
  FontRasterizer& Fonts() override { return *fonts; }

  // When set, every CreateChild fails as a window system without a display does.
  void RefuseWindows(bool refuse) { refusing = refuse; }

  // The windows alive now, oldest first.
  const std::vector<OffscreenWindow*>& Windows() const { return windows; }
  int CreatedCount() const { return created; }

 private:
  friend class OffscreenWindow;
  void Forget(OffscreenWindow* window);

  std::unique_ptr<FontRasterizer> fonts;
  std::vector<OffscreenWindow*> windows;
  bool refusing = false;
  int created = 0;
};

class OffscreenWindow : public NativeWindow {
 public:
  OffscreenWindow(OffscreenWindowSystem& system, void* parent, int width, int height, WindowEvents& events);
  ~OffscreenWindow() override;

  void SetBounds(int left, int top, int width, int height) override;
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
  void Invalidate(int left, int top, int width, int height) override;
  void PaintPending() override;
  void Show() override { visible = true; }
  void Hide() override { visible = false; }
  bool Visible() const override { return visible; }
  void* Handle() const override { return nullptr; }
  void StartTimer(int milliseconds) override { timerInterval = milliseconds; }
  void StopTimer() override { timerInterval = 0; }

  // Driving the window as a user and a clock would.
  void Press(int x, int y, MouseButton button, KeyModifiers mods = {}) { events.OnButtonPress(x, y, button, mods); }
  void Release(int x, int y, MouseButton button, KeyModifiers mods = {}) {
    events.OnButtonRelease(x, y, button, mods);
  }
  void Move(int x, int y, KeyModifiers mods = {}) { events.OnPointerMove(x, y, mods); }
  // One timer tick, if the timer runs; answers whether it ran.
  bool Tick();

  // What the window last painted: its picture as of the last PaintPending.
  const PixelImage& Screen() const { return screen; }
  void* Parent() const { return parent; }
  int Left() const { return left; }
  int Top() const { return top; }
  int TimerInterval() const { return timerInterval; }
  bool HasPendingPaint() const { return pending; }

 private:
  OffscreenWindowSystem& system;
  WindowEvents& events;
  void* parent;
  int left = 0, top = 0, width, height;
  bool visible = false;
  bool pending = true;
  int timerInterval = 0;
  PixelImage screen;
};
