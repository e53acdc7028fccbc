#include "platform/offscreen_window_system.h"

#include <algorithm>

#include "platform/freetype_font_rasterizer.h"

OffscreenWindowSystem::OffscreenWindowSystem() : OffscreenWindowSystem(std::make_unique<FreeTypeFontRasterizer>()) {}

OffscreenWindowSystem::OffscreenWindowSystem(std::unique_ptr<FontRasterizer> fonts) : fonts(std::move(fonts)) {}

OffscreenWindowSystem::~OffscreenWindowSystem() = default;

std::unique_ptr<NativeWindow> OffscreenWindowSystem::CreateChild(void* parent, int width, int height,
                                                                 WindowEvents& events) {
  // No parent is no window, as with a real window system.
  if (refusing || parent == nullptr || width <= 0 || height <= 0) return nullptr;
  auto window = std::make_unique<OffscreenWindow>(*this, parent, width, height, events);
  windows.push_back(window.get());
  ++created;
  return window;
}

void OffscreenWindowSystem::Forget(OffscreenWindow* window) {
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

OffscreenWindow::OffscreenWindow(OffscreenWindowSystem& system, void* parent, int width, int height,
                                 WindowEvents& events)
    : system(system), events(events), parent(parent), width(width), height(height), screen(width, height) {}

OffscreenWindow::~OffscreenWindow() { system.Forget(this); }

void OffscreenWindow::SetBounds(int newLeft, int newTop, int newWidth, int newHeight) {
  left = newLeft;
  top = newTop;
  if (newWidth > 0 && newHeight > 0 && (newWidth != width || newHeight != height)) {
    width = newWidth;
    height = newHeight;
    screen = PixelImage(width, height);
  }
  pending = true;
}

void OffscreenWindow::Invalidate(int, int, int, int) { pending = true; }

void OffscreenWindow::PaintPending() {
  if (!pending) return;
  pending = false;
  screen = PixelImage(width, height);
  screen.Blit(events.ClientImage(), 0, 0);
}

bool OffscreenWindow::Tick() {
  if (timerInterval <= 0) return false;
  events.OnTimer();
  return true;
}
