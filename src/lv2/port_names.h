// What hosts show for the control ports: the instrument's parameter names
// and, for parameters without one, the captions of the editor.
#pragma once

#include <array>
#include <string>

namespace vyrtal::lv2 {

std::string ControlName(int parameter);

// The choices of the excitation type, each with the value that the
// editor's type strip writes for it.
struct ScalePoint {
  std::string label;
  float value;
};
std::array<ScalePoint, 3> ExcitationChoices();

}  // namespace vyrtal::lv2
