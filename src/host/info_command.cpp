#include "host/info_command.h"

#include <array>
#include <cstdio>
#include <iomanip>

#include "host/plugin_session.h"

namespace vyrtal::host {
namespace {

struct FlagName {
  VstInt32 flag;
  const char* name;
};

constexpr std::array kFlagNames{
    FlagName{effFlagsHasEditor, "HasEditor"},         FlagName{effFlagsHasClip, "HasClip"},
    FlagName{effFlagsHasVu, "HasVu"},                 FlagName{effFlagsCanMono, "CanMono"},
    FlagName{effFlagsCanReplacing, "CanReplacing"},   FlagName{effFlagsProgramChunks, "ProgramChunks"},
    FlagName{effFlagsIsSynth, "IsSynth"},             FlagName{effFlagsNoSoundInStop, "NoSoundInStop"},
    FlagName{effFlagsExtIsAsync, "ExtIsAsync"},       FlagName{effFlagsExtHasBuffer, "ExtHasBuffer"},
    FlagName{effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
};

constexpr std::array<const char*, 12> kCategoryNames{
    "unknown", "effect", "synth", "analysis", "mastering", "spatializer",
    "room effect", "surround effect", "restoration", "offline process", "shell", "generator"};

std::string FourChars(VstInt32 id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '?';
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(id));
  return "'" + text + "' (" + hex + ")";
}

std::string Flags(VstInt32 flags) {
  std::string text;
  for (const FlagName& f : kFlagNames)
    if ((flags & f.flag) != 0) text += (text.empty() ? "" : " ") + std::string(f.name);
  return text.empty() ? "none" : text;
}

}  // namespace

void RunInfo(const InfoArgs& args, std::ostream& out) {
  auto library = std::make_shared<PluginLibrary>(args.plugin);
  PluginSession session = OpenSession(library, 44100.0, 512, args.verbose ? &out : nullptr);
  EffectInstance& fx = *session.instance;
  const AEffect& effect = fx.effect();
  const auto category = fx.dispatch(effGetPlugCategory);

  out << "plug-in      " << library->path() << " (entry " << library->entryName() << ")\n";
  out << "effect name  " << fx.effectName() << "\n";
  out << "vendor       " << fx.vendorString() << "\n";
  out << "product      " << fx.productString() << "\n";
  out << "version      " << effect.version << " (vendor version " << fx.vendorVersion() << ")\n";
  out << "unique id    " << FourChars(effect.uniqueID) << "\n";
  out << "vst version  " << fx.dispatch(effGetVstVersion) << "\n";
  out << "category     "
      << (category >= 0 && category < static_cast<VstIntPtr>(kCategoryNames.size()) ? kCategoryNames[category]
                                                                                      : "unknown")
      << "\n";
  out << "flags        " << Flags(effect.flags) << "\n";
  out << "inputs       " << effect.numInputs << "\n";
  out << "outputs      " << effect.numOutputs << "\n";
  out << "latency      " << effect.initialDelay << " samples\n";
  out << "parameters   " << fx.numParams() << "\n";
  out << std::fixed << std::setprecision(4);
  for (VstInt32 i = 0; i < fx.numParams(); ++i) {
    const std::string label = fx.parameterLabel(i);
    out << std::setw(6) << i << "  " << std::left << std::setw(24) << fx.parameterName(i) << std::right << " "
        << fx.parameter(i) << "  (" << fx.parameterDisplay(i) << (label.empty() ? "" : " " + label) << ")\n";
  }
  out << "programs     " << fx.numPrograms() << "\n";
  for (VstInt32 i = 0; i < fx.numPrograms(); ++i) out << std::setw(6) << i << "  " << fx.programName(i) << "\n";
}

}  // namespace vyrtal::host
