#include "host/plugin_session.h"

#include <utility>

namespace vyrtal::host {

PluginSession OpenSession(std::shared_ptr<PluginLibrary> library, double sampleRate, VstInt32 blockSize,
                          std::ostream* log) {
  PluginSession session;
  session.library = std::move(library);
  session.host = std::make_unique<HostContext>(sampleRate, blockSize);
  session.host->setLog(log);
  session.instance = std::make_unique<EffectInstance>(*session.library, *session.host);
  session.instance->setSampleRate(sampleRate);
  session.instance->setBlockSize(blockSize);
  return session;
}

}  // namespace vyrtal::host
