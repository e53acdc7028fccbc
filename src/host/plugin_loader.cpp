#include "host/plugin_loader.h"

#include <dlfcn.h>

#include <array>
#include <filesystem>
#include <system_error>

#include "host/host_error.h"

namespace vyrtal::host {
namespace {

constexpr std::array<const char*, 2> kEntryNames{"VSTPluginMain", "main"};

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) throw HostError("plug-in not found: " + path);
  if (std::filesystem::is_directory(path, error)) throw HostError("plug-in is a directory, not a library: " + path);
  // dlopen searches the library path for names without a slash.
  const std::string openName = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(openName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    throw HostError("cannot load plug-in " + path + ": " + (reason != nullptr ? reason : "unknown reason"));
  }
  for (const char* name : kEntryNames) {
    dlerror();
    void* symbol = dlsym(handle_, name);
    if (symbol != nullptr) {
      entry_ = reinterpret_cast<PluginEntry>(symbol);
      entryName_ = name;
      return;
    }
  }
  dlclose(handle_);
  handle_ = nullptr;
  throw HostError("not a VST 2 plug-in: " + path + " exports neither VSTPluginMain nor main");
}

PluginLibrary::~PluginLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

}  // namespace vyrtal::host
