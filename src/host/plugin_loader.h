// A VST 2 plug-in library opened with dlopen, and its entry point:
// VSTPluginMain, or main for older plug-ins.
#pragma once

#include <string>

#include "frame/vst2.h"

namespace vyrtal::host {

using PluginEntry = AEffect* (*)(audioMasterCallback);

class PluginLibrary {
 public:
  // Throws HostError when the file is missing, does not load, or exports
  // neither entry point.
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const std::string& path() const { return path_; }
  PluginEntry entry() const { return entry_; }
  // The name of the symbol the entry point was found under.
  const std::string& entryName() const { return entryName_; }

 private:
  std::string path_;
  void* handle_ = nullptr;
  PluginEntry entry_ = nullptr;
  std::string entryName_;
};

}  // namespace vyrtal::host
