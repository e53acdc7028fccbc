// The built plug-in as the fuzz targets drive it: loaded once per process
// with dlopen, each instance made through the exported VSTPluginMain and
// reached only through its effect record.
//
// The process-wide setup also fixes the environment the plug-in reads:
// editors live in memory (no display needed), the noise generator starts
// from a fixed seed (runs repeat exactly), and the bank export (parameter 33
// above 0.9) writes into a private folder made for this process and removed
// when it exits.
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "frame/vst2.h"
#include "fuzz_check.h"
#include "fuzz_host.h"

#ifndef VYRTAL_SO_PATH
#error "VYRTAL_SO_PATH must name the built plug-in"
#endif

namespace fuzz {

using PluginMainProc = AEffect*(VSTCALLBACK*)(audioMasterCallback);

struct PluginSetup {
  PluginMainProc entry = nullptr;
  std::string exportFolder;
};

inline PluginSetup& Setup() {
  static PluginSetup setup;
  return setup;
}

[[noreturn]] inline void SetupFailed(const char* what, const char* detail) {
  std::fprintf(stderr, "fuzz setup: %s: %s\n", what, detail != nullptr ? detail : "");
  std::abort();
}

inline void RemoveExportFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Setup().exportFolder, ignored);
}

// Called once from LLVMFuzzerInitialize, before any instance exists.
inline void SetUpPlugin() {
  PluginSetup& setup = Setup();
  setenv("VYRTAL_EDITOR_WINDOWS", "offscreen", 1);
  setenv("VYRTAL_NOISE_SEED", "1", 1);

  char folder[] = "/tmp/vyrtal-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr) SetupFailed("cannot make a folder for the bank export", folder);
  setup.exportFolder = folder;
  std::atexit(RemoveExportFolder);
  const std::string exportFile = setup.exportFolder + "/bank.txt";
  setenv("VYRTAL_BANK_EXPORT", exportFile.c_str(), 1);

  // Kept loaded for the life of the process.
  void* library = dlopen(VYRTAL_SO_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) SetupFailed("cannot load the plug-in", dlerror());
  setup.entry = reinterpret_cast<PluginMainProc>(dlsym(library, "VSTPluginMain"));
  if (setup.entry == nullptr) SetupFailed("no VSTPluginMain in the plug-in", VYRTAL_SO_PATH);
}

// One live instance at a time. effClose destroys the instance (the plug-in
// deletes itself), so closing through Dispatch makes a fresh one at once;
// the destructor closes the last one.
class PluginUnderFuzz {
 public:
  explicit PluginUnderFuzz(FuzzHost& host) : host(host) { Create(); }
  ~PluginUnderFuzz() { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

  PluginUnderFuzz(const PluginUnderFuzz&) = delete;
  PluginUnderFuzz& operator=(const PluginUnderFuzz&) = delete;

  AEffect* Effect() const { return effect; }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    const VstIntPtr answer = effect->dispatcher(effect, opcode, index, value, ptr, opt);
    if (opcode == effClose) Create();
    return answer;
  }

  void SetParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
  float GetParameter(VstInt32 index) { return effect->getParameter(effect, index); }

 private:
  void Create() {
    effect = Setup().entry(FuzzHost::Callback);
    // Building an instance must succeed for a host that states its version.
    if (effect == nullptr || effect->magic != kEffectMagic) CheckFailed("VSTPluginMain made no instance");
    effect->user = &host;
    // Every host opens an instance before anything else.
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  }

  FuzzHost& host;
  AEffect* effect = nullptr;
};

}  // namespace fuzz
