// The editor as it would appear when opened on the instrument's current
// values, drawn in memory and saved as a PNG file.
#pragma once

#include <string>

#include "platform/pixel_image.h"

class APlugin;

// The editor window's picture for the instrument's current values; empty
// when no window could be made.
PixelImage ComposeEditorPicture(APlugin& plugin);
bool WriteEditorScreenshot(APlugin& plugin, const std::string& path);
