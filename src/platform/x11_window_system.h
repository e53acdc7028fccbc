// Editor windows on an X11 display, through XCB. Each window opens its own
// connection, so editors of several instances, and the host's own Xlib
// connection, never share one; XCB reports errors per request instead of
// through a process-wide handler, so a host window that vanishes first
// costs us a failed request, never the host.
#pragma once

#include <memory>

#include "platform/window_system.h"

class X11WindowSystem : public WindowSystem {
 public:
  X11WindowSystem();
  explicit X11WindowSystem(std::unique_ptr<FontRasterizer> fonts);
  ~X11WindowSystem() override;

  // `parent` is the host's X11 window id, as hosts pass it on Linux.
  std::unique_ptr<NativeWindow> CreateChild(void* parent, int width, int height, WindowEvents& events) override;
  FontRasterizer& Fonts() override { return *fonts; }

 private:
  std::unique_ptr<FontRasterizer> fonts;
};
