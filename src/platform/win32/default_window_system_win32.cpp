#include "platform/default_window_system.h"

#include "platform/win32/win32_window_system.h"

// Windows builds show the editor in a real child window of the host's.
std::unique_ptr<WindowSystem> MakeDefaultWindowSystem() { return std::make_unique<Win32WindowSystem>(); }
