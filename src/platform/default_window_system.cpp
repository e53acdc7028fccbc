#include "platform/default_window_system.h"

#include "platform/offscreen_window_system.h"

// Builds without a native window system show the editor nowhere; the
// offscreen system keeps it fully working in memory.
std::unique_ptr<WindowSystem> MakeDefaultWindowSystem() { return std::make_unique<OffscreenWindowSystem>(); }
