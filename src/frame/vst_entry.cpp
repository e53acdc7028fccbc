// The library's exports. Hosts look for VSTPluginMain, older ones for main;
// both do the same: check the host's interface version, build one instance.
#include "frame/audio_effect.h"

#if defined(_WIN32)
// Windows builds name their exports in Vyrtal.def: a dllexport here would
// export the 32-bit label "_main" under a decorated name.
#define VYRTAL_EXPORT
#else
#define VYRTAL_EXPORT __attribute__((visibility("default")))
#endif

namespace {

AEffect* CreateInstance(audioMasterCallback audioMaster) {
  if (audioMaster == nullptr) return nullptr;
  // A host that answers 0 predates this interface.
  if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  AudioEffect* effect = createEffectInstance(audioMaster);
  return effect != nullptr ? effect->getAeffect() : nullptr;
}

}  // namespace

extern "C" {

VYRTAL_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) {
  return CreateInstance(audioMaster);
}

// C++ reserves the name main for the program's entry, so the function gets
// another name here and the assembler label gives its symbol the name hosts
// look for. 32-bit Windows decorates C symbols with a leading underscore.
#if defined(_WIN32) && !defined(_WIN64)
VYRTAL_EXPORT AEffect* VSTCALLBACK VyrtalLegacyMain(audioMasterCallback audioMaster) __asm__("_main");
#else
VYRTAL_EXPORT AEffect* VSTCALLBACK VyrtalLegacyMain(audioMasterCallback audioMaster) __asm__("main");
#endif

AEffect* VSTCALLBACK VyrtalLegacyMain(audioMasterCallback audioMaster) { return CreateInstance(audioMaster); }

}  // extern "C"
