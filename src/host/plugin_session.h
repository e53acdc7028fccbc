// A plug-in made ready to play: library loaded, host context, instance
// opened with its sample rate and block size set.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "host/effect_instance.h"
#include "host/host_callback.h"
#include "host/plugin_loader.h"

namespace vyrtal::host {

struct PluginSession {
  // Declared in this order so the instance goes first, the library last.
  std::shared_ptr<PluginLibrary> library;
  std::unique_ptr<HostContext> host;
  std::unique_ptr<EffectInstance> instance;
};

// log receives the host's verbose messages when not null.
PluginSession OpenSession(std::shared_ptr<PluginLibrary> library, double sampleRate, VstInt32 blockSize,
                          std::ostream* log);

}  // namespace vyrtal::host
