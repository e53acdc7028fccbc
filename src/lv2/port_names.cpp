#include "lv2/port_names.h"

#include <string_view>

#include "editor/control_table.h"
#include "engine/parameter_choices.h"
#include "engine/parameter_table.h"

namespace vyrtal::lv2 {

namespace {

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

std::string ControlName(int parameter) {
  const ParameterInfo* info = ParameterAt(parameter);
  if (info == nullptr) return {};
  if (std::string_view name = info->name; !name.empty()) return std::string(name);
  if (const ControlSpec* control = ControlForIndex(parameter)) {
    if (std::string caption = Trimmed(control->longCaption); !caption.empty()) return caption;
  }
  if (info->kind == ParamKind::kExcitationType) {  // "Type: Saw" and so on
    const std::string_view first = TypeNames[0];
    return Trimmed(first.substr(0, first.find(':')));
  }
  // The effect switches have no control of their own: a press on their
  // section's header strip switches them.
  for (const SwitchStrip& strip : kSwitchStrips) {
    if (ParamIndex(strip.parameter) == parameter) return Trimmed(Strip(strip.strip).text);
  }
  return {};
}

std::array<ScalePoint, 3> ExcitationChoices() {
  static_assert(kExcitationNames.size() == std::tuple_size_v<std::array<ScalePoint, 3>>);
  std::array<ScalePoint, 3> choices;
  for (std::size_t t = 0; t < choices.size(); ++t) {
    choices[t] = {std::string(kExcitationNames[t]), ExcitationValue(static_cast<OscType>(t))};
  }
  return choices;
}

}  // namespace vyrtal::lv2
