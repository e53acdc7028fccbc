// The window system this build uses for editors the host opens.
#pragma once

#include <memory>

#include "platform/window_system.h"

std::unique_ptr<WindowSystem> MakeDefaultWindowSystem();
