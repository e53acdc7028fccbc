#include "lv2/port_names.h"

#include <string_view>
#include <utility>

#include "editor/control_table.h"
#include "instrument/parameter_table.h"

namespace vyrtal::lv2 {

namespace {

// The type is the whole part of value × 2.99; the type strip writes t / 2.99
// for type t.
constexpr double kTypeSteps = 2.99;

// The effect switches have no control of their own: a press on their
// section's header strip switches them.
constexpr std::array<std::pair<int, StripId>, 2> kSwitchStrips{{{19, StripId::DelayLabel}, {28, StripId::Ichorus}}};

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

std::string ControlName(int parameter) {
  if (parameter < 0 || parameter >= kNumParams) return {};
  if (std::string_view name = kParameterNames[static_cast<std::size_t>(parameter)]; !name.empty()) {
    return std::string(name);
  }
  if (const ControlSpec* control = ControlForIndex(parameter)) {
    if (std::string caption = Trimmed(control->longCaption); !caption.empty()) return caption;
  }
  if (parameter == kExcitationTypeParameter) {  // "Type: Saw" and so on
    const std::string_view first = TypeNames[0];
    return Trimmed(first.substr(0, first.find(':')));
  }
  for (const auto& [switched, strip] : kSwitchStrips) {
    if (switched == parameter) return Trimmed(Strip(strip).text);
  }
  return {};
}

std::array<ScalePoint, 3> ExcitationChoices() {
  static_assert(TypeNames.size() == std::tuple_size_v<std::array<ScalePoint, 3>>);
  std::array<ScalePoint, 3> choices;
  for (std::size_t t = 0; t < choices.size(); ++t) {
    const std::string_view text = TypeNames[t];
    choices[t] = {Trimmed(text.substr(text.find(':') + 1)), static_cast<float>(static_cast<double>(t) / kTypeSteps)};
  }
  return choices;
}

}  // namespace vyrtal::lv2
