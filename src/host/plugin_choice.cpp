#include "host/plugin_choice.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "host/host_error.h"

namespace vyrtal::host {
namespace {

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string DefaultPluginPath() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "Vyrtal.so";
  return (executable.parent_path() / "Vyrtal.so").string();
}

VstInt32 ResolveProgram(EffectInstance& instance, const std::string& text) {
  const VstInt32 count = instance.numPrograms();
  if (AllDigits(text)) {
    long index = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (error != std::errc() || index >= count)
      throw HostError("program " + text + " is out of range: the plug-in has " + std::to_string(count) +
                      " programs" + (count > 0 ? " (0.." + std::to_string(count - 1) + ")" : ""));
    return static_cast<VstInt32>(index);
  }
  for (VstInt32 i = 0; i < count; ++i)
    if (instance.programName(i) == text) return i;
  for (VstInt32 i = 0; i < count; ++i)
    if (SameIgnoringCase(instance.programName(i), text)) return i;
  throw HostError("the plug-in has no program named '" + text + "' (vyrtal info lists them)");
}

ParameterSetting ParseParameterSetting(const std::string& text) {
  const auto equals = text.find('=');
  const std::string indexText = text.substr(0, equals);
  if (equals == std::string::npos || !AllDigits(indexText))
    throw HostError("--set " + text + ": expected INDEX=VALUE, e.g. 3=0.5");
  const std::string valueText = text.substr(equals + 1);
  long index = 0;
  const auto parsedIndex = std::from_chars(indexText.data(), indexText.data() + indexText.size(), index);
  if (parsedIndex.ec != std::errc() || index > 1'000'000) throw HostError("--set " + text + ": parameter index too large");
  double value = 0.0;
  const auto parsed = std::from_chars(valueText.data(), valueText.data() + valueText.size(), value);
  if (valueText.empty() || parsed.ec != std::errc() || parsed.ptr != valueText.data() + valueText.size())
    throw HostError("--set " + text + ": '" + valueText + "' is not a number");
  if (!(value >= 0.0 && value <= 1.0)) throw HostError("--set " + text + ": value outside 0..1");
  return {static_cast<VstInt32>(index), static_cast<float>(value)};
}

void ApplyParameterSetting(EffectInstance& instance, const ParameterSetting& setting) {
  if (setting.index >= instance.numParams())
    throw HostError("--set: the plug-in has no parameter " + std::to_string(setting.index) + " (it has " +
                    std::to_string(instance.numParams()) + ", 0.." + std::to_string(instance.numParams() - 1) + ")");
  instance.setParameter(setting.index, setting.value);
}

}  // namespace vyrtal::host
