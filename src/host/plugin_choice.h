// What the user names on the command line, checked against the plug-in:
// the plug-in file, a program by number or name, parameter settings.
#pragma once

#include <string>

#include "host/effect_instance.h"

namespace vyrtal::host {

// Vyrtal.so in the directory of the running executable.
std::string DefaultPluginPath();

// A program index from "N" or a name (exact, else ignoring case); throws
// HostError for an unknown name or an index out of range.
VstInt32 ResolveProgram(EffectInstance& instance, const std::string& text);

struct ParameterSetting {
  VstInt32 index;
  float value;
};

// "INDEX=VALUE" with VALUE in 0..1; throws HostError otherwise.
ParameterSetting ParseParameterSetting(const std::string& text);

// Throws HostError when the plug-in has no parameter of that index.
void ApplyParameterSetting(EffectInstance& instance, const ParameterSetting& setting);

}  // namespace vyrtal::host
