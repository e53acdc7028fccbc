// vyrtal-screenshot: draws the editor for a program of the instrument and
// writes it as a PNG file.
//   vyrtal-screenshot [--program N] -o editor.png
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/editor_screenshot.h"
#include "instrument/aplugin.h"

namespace {

VstIntPtr VSTCALLBACK HostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

int Usage() {
  std::fprintf(stderr, "usage: vyrtal-screenshot [--program N] -o FILE.png\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string output;
  int program = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "-o" || arg == "--output") && i + 1 < argc) {
      output = argv[++i];
    } else if (arg == "--program" && i + 1 < argc) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (end == nullptr || *end != '\0' || n < 0 || n > 15) {
        std::fprintf(stderr, "vyrtal-screenshot: program must be 0 to 15\n");
        return 2;
      }
      program = static_cast<int>(n);
    } else {
      return Usage();
    }
  }
  if (output.empty()) return Usage();
  APlugin plugin(HostCallback);
  plugin.setProgram(program);
  std::vector<float> values(kNumParams);
  for (int i = 0; i < kNumParams; ++i) values[static_cast<std::size_t>(i)] = plugin.getParameter(i);
  if (!WriteEditorScreenshot(values, output)) {
    std::fprintf(stderr, "vyrtal-screenshot: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
