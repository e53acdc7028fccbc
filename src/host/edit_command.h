// `vyrtal edit`: a window that acts as the host for a plug-in's editor.
#pragma once

#include <ostream>
#include <string>

namespace vyrtal::host {

struct EditArgs {
  std::string plugin;
  std::string program;
  double seconds = 0.0;  // 0: until the window is closed or "quit" is read
};

// Opens the plug-in's editor in a window of its own and runs the host's idle
// loop, printing every automation the plug-in reports. Lines on standard
// input drive it as a host would: "set INDEX VALUE" (automation from the
// host), "program N", "open", "close" and "quit".
void RunEdit(const EditArgs& args, std::ostream& out);

}  // namespace vyrtal::host
