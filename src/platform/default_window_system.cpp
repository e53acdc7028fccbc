#include "platform/default_window_system.h"

#include <cstdlib>
#include <cstring>

#include "platform/offscreen_window_system.h"

#if defined(VYRTAL_HAVE_X11)
#include "platform/x11_window_system.h"
#endif

// Editors appear on the build's native window system. VYRTAL_EDITOR_WINDOWS
// set to "offscreen" keeps them in memory instead (tests that exercise the
// editor through the loaded plug-in without a display).
std::unique_ptr<WindowSystem> MakeDefaultWindowSystem() {
  const char* choice = std::getenv("VYRTAL_EDITOR_WINDOWS");
  if (choice != nullptr && std::strcmp(choice, "offscreen") == 0) return std::make_unique<OffscreenWindowSystem>();
#if defined(VYRTAL_HAVE_X11)
  return std::make_unique<X11WindowSystem>();
#else
  return std::make_unique<OffscreenWindowSystem>();
#endif
}
