#include "editor/control_table.h"

#include <cctype>

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

const ControlSpec* ControlForIndex(int index) {
  for (const ControlSpec& c : kControls) {
    if (ParamIndex(c.param) == index) return &c;
  }
  return nullptr;
}

ValueRule ValueRuleForIndex(int index) {
  const ParameterInfo* parameter = ParameterAt(index);
  if (parameter != nullptr && parameter->kind == ParamKind::kExcitationType) return ValueRule::ExcitationType;
  const ControlSpec* control = ControlForIndex(index);
  return control != nullptr ? control->rule : ValueRule::None;
}

const ControlSpec* ControlNamed(std::string_view name) {
  for (const ControlSpec& c : kControls) {
    if (SameNameIgnoringCase(c.name, name)) return &c;
  }
  return nullptr;
}

const StripSpec& Strip(StripId id) { return kStrips[static_cast<std::size_t>(id)]; }
