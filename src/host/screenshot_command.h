// `vyrtal screenshot`: the editor composed offscreen for a program's values.
#pragma once

#include <ostream>
#include <string>

namespace vyrtal::host {

struct ScreenshotArgs {
  std::string plugin;
  std::string program;
  std::string output;
};

// Reads the plug-in's parameter values through its effect record and draws
// Vyrtal's editor for them into a PNG file.
void RunScreenshot(const ScreenshotArgs& args, std::ostream& out);

}  // namespace vyrtal::host
