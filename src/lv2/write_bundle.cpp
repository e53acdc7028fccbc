// Writes the Turtle files of the plug-in's bundle into the folder given.
#include <cstdio>
#include <fstream>
#include <string>

#include "lv2/bundle_text.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (out) return true;
  std::fprintf(stderr, "vyrtal-lv2-bundle: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vyrtal-lv2-bundle BUNDLE_FOLDER\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  using namespace vyrtal::lv2;
  const bool written = WriteFile(folder + kManifestFile, ManifestText()) &&
                       WriteFile(folder + kPluginFile, PluginText()) && WriteFile(folder + kUiFile, UiText()) &&
                       WriteFile(folder + kPresetsFile, PresetsText());
  return written ? 0 : 1;
}
