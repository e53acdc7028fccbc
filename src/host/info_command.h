// vyrtal info: what a plug-in says about itself.
#pragma once

#include <ostream>
#include <string>

namespace vyrtal::host {

struct InfoArgs {
  std::string plugin;
  bool verbose = false;
};

void RunInfo(const InfoArgs& args, std::ostream& out);

}  // namespace vyrtal::host
