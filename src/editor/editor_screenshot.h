// The editor as it would appear when opened on given parameter values,
// drawn in memory and saved as a PNG file.
#pragma once

#include <span>
#include <string>

#include "platform/pixel_image.h"

// The editor window's picture for parameter values read from an instrument
// (or from a loaded plug-in through its effect record): values[i] is
// parameter i, missing ones are 0. Empty when no window could be made.
PixelImage ComposeEditorPicture(std::span<const float> values);
bool WriteEditorScreenshot(std::span<const float> values, const std::string& path);
