#include "host/screenshot_command.h"

#include <vector>

#include "editor/editor_screenshot.h"
#include "host/host_error.h"
#include "host/plugin_choice.h"
#include "host/plugin_session.h"

namespace vyrtal::host {

void RunScreenshot(const ScreenshotArgs& args, std::ostream& out) {
  auto library = std::make_shared<PluginLibrary>(args.plugin);
  PluginSession session = OpenSession(library, 44100.0, 512, nullptr);
  EffectInstance& instance = *session.instance;
  if (!args.program.empty()) instance.setProgram(ResolveProgram(instance, args.program));
  std::vector<float> values(static_cast<std::size_t>(instance.numParams()));
  for (VstInt32 i = 0; i < instance.numParams(); ++i) values[static_cast<std::size_t>(i)] = instance.parameter(i);
  if (!WriteEditorScreenshot(values, args.output)) throw HostError("cannot write " + args.output);
  out << "wrote " << args.output << " (program " << instance.program() << " \"" << instance.programName(instance.program())
      << "\")\n";
}

}  // namespace vyrtal::host
