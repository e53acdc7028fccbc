// The Win32 window system: each editor window is a WS_CHILD window inside
// the host's HWND, painted from its owner's picture, with a WM_TIMER and
// mouse capture from a press to its release.
//
// Several plug-ins and several instances share one host process, so the
// window class is registered against this DLL's own module handle under a
// name that carries that handle, and unregistered when the last window of
// this module goes.
#pragma once

#include <memory>

#include "platform/win32/gdi_font_rasterizer.h"
#include "platform/window_system.h"

class Win32WindowSystem : public WindowSystem {
 public:
  Win32WindowSystem() = default;
  std::unique_ptr<NativeWindow> CreateChild(void* parent, int width, int height, WindowEvents& events) override;
  FontRasterizer& Fonts() override { return fonts; }

  // The module (DLL or program) this code is linked into, and the window
  // class name used in it. For tests.
  static void* OwnModule();
  static const char* ClassName();
  // Windows of this module alive now.
  static int LiveWindows();

 private:
  GdiFontRasterizer fonts;
};
