// The editor as it would appear when opened on the instrument's current
// values, drawn in memory and saved as a PNG file.
#pragma once

#include <span>
#include <string>

#include "platform/pixel_image.h"

class APlugin;

// The editor window's picture for the instrument's current values; empty
// when no window could be made.
PixelImage ComposeEditorPicture(APlugin& plugin);
bool WriteEditorScreenshot(APlugin& plugin, const std::string& path);

// The same for parameter values read elsewhere (for instance from a loaded
// plug-in through its effect record): values[i] is parameter i, missing
// ones are 0.
PixelImage ComposeEditorPicture(std::span<const float> values);
bool WriteEditorScreenshot(std::span<const float> values, const std::string& path);
