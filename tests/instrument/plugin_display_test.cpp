// The value texts hosts read through effGetParamDisplay: the editor's texts,
// within the room the VST 2 interface documents for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "editor/control_table.h"
#include "engine/parameter_table.h"
#include "support/loaded_plugin.h"
#include "value_text/decimal_separator.h"
#include "value_text/value_text.h"

namespace {

constexpr std::size_t kRoom = kVstMaxParamStrLen;
constexpr char kGuard = 'Z';

class PluginDisplay : public ::testing::Test {
 protected:
  // The display text, asked with exactly the documented room and guard
  // bytes after it that must stay as they were.
  std::string Display(VstInt32 index) {
    std::array<char, kRoom + 8> buffer;
    buffer.fill(kGuard);
    plugin.Dispatch(effGetParamDisplay, index, 0, buffer.data());
    for (std::size_t i = kRoom; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], kGuard) << index << " wrote past the room";
    const auto end = std::find(buffer.begin(), buffer.begin() + kRoom, '\0');
    EXPECT_NE(end, buffer.begin() + kRoom) << index << " left the buffer without a terminator";
    return {buffer.begin(), end};
  }

  // What the editor shows for the parameter's value: the caption strip's
  // value text of its control, the type strip's type, a switch's state,
  // cut to the room.
  std::string EditorText(int index) {
    const float v = plugin.GetParameter(index);
    std::string text;
    if (index == 14) {
      text = std::array{"Saw", "Sqr", "Noise"}[static_cast<std::size_t>(std::min(2, static_cast<int>(v * 2.99f)))];
    } else if (index == 19 || index == 28) {
      text = v > 0.5f ? "On" : "Off";
    } else if (const ControlSpec* control = ControlForIndex(index); control != nullptr) {
      text = ValueText(control->rule, v, UserDecimalSeparator());
    }
    return text.substr(0, kRoom - 1);
  }

  void ExpectEditorTexts(const char* when) {
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(Display(i), EditorText(i)) << when << ", parameter " << i;
  }
  void SetAll(float value) {
    for (int i = 0; i < kNumParams; ++i) plugin.SetParameter(i, value);
  }

  ScopedExportFile exportFile;
  FakeHost host;
  LoadedPlugin plugin{host};
};

TEST_F(PluginDisplay, EveryParameterReadsAsInTheEditor) {
  ExpectEditorTexts("Default program");
  EXPECT_EQ(Display(0), "Off");
  EXPECT_EQ(Display(1), "Always ");  // "Always On", cut
  EXPECT_EQ(Display(7), "-8dB");
  EXPECT_EQ(Display(14), "Saw");
  EXPECT_EQ(Display(19), "Off");

  SetAll(0.0f);
  ExpectEditorTexts("all 0");
  EXPECT_EQ(Display(9), "Off");
  EXPECT_EQ(Display(23), "W/D : 0");  // "W/D : 0%/100", cut

  SetAll(1.0f);
  ExpectEditorTexts("all 1");
  EXPECT_EQ(Display(14), "Noise");
  EXPECT_EQ(Display(19), "On");
  EXPECT_EQ(Display(28), "On");
  EXPECT_EQ(Display(12), "24 semi");

  plugin.SetParameter(14, 0.5f);
  EXPECT_EQ(Display(14), "Sqr");
}

TEST_F(PluginDisplay, ParametersWithoutATextReadAsEmpty) {
  SetAll(0.75f);
  for (VstInt32 i : {5, 13, 33, 40, 49, -1, 50, 51, 10000}) EXPECT_EQ(Display(i), "") << i;
  EXPECT_EQ(plugin.Text(effGetParamLabel, 7), "");
}

}  // namespace
