// The drawing routines of the editor window: fills, texts, the caption
// strip, sliders, dials and lamps. Each redraws its whole picture.
#include <cmath>

#include "editor/dial_geometry.h"
#include "editor/editor_colors.h"
#include "editor/plugin_editor_window.h"
#include "engine/numeric.h"
#include "engine/parameter_choices.h"
#include "value_text/decimal_separator.h"
#include "value_text/value_text.h"

void TPluginEditorWindow::Clearscreen(Picture& picture, Pixel color) {
  Canvas& c = picture.canvas;
  c.SetBrushColor(color);
  c.SetPenColor(color);
  c.FillRect(0, 0, c.Width(), c.Height());
  Present(picture);
}

void TPluginEditorWindow::Clearscreen2(Picture& picture, Pixel color) {
  Canvas& c = picture.canvas;
  c.SetBrushColor(color);
  c.SetPenColor(color);
  c.FillRect(0, 0, c.Width(), c.Height());
  c.SetBrushColor(kBlack);
  c.FrameRect(0, 0, c.Width(), c.Height());
  Present(picture);
}

void TPluginEditorWindow::Printf2(Picture& picture, Pixel textColor, Pixel background, int size, int x, int y,
                                  std::string_view text, int alignment) {
  Canvas& c = picture.canvas;
  c.SetBrushColor(background);
  c.SetFont("Verdana", size, textColor);
  const int w = c.TextWidth(text);
  switch (alignment) {
    case 0:
      c.TextOut(x, y, text);
      break;
    case 1:
      c.TextOut((c.Width() - w) / 2, y, text);
      break;
    case 2:
      c.TextOut(x - w, y, text);
      break;
    default:
      return;
  }
  Present(picture);
}

void TPluginEditorWindow::PrintLabels(std::string_view caption, std::string_view value) {
  Picture& strip = StripPicture(StripId::PrintOut);
  Clearscreen2(strip, kDarkGrey);
  std::string line(caption);
  line += " :: ";
  line += value;
  Printf2(strip, kWhite, kDarkGrey, 8, 1, 1, line, 0);
}

void TPluginEditorWindow::DrawHSlider2(Picture& picture, int index, std::string_view caption) {
  Canvas& c = picture.canvas;
  Clearscreen(picture, kWhite);
  c.SetBrushColor(kDarkGrey);
  c.SetPenColor(kBlack);
  c.Rectangle(0, 15, 100, 30);
  const std::int32_t n = FloorInt(static_cast<double>(Value(index)) * 100.0);
  c.SetBrushColor(kMidGrey);
  c.SetPenColor(kBlack);
  c.Rectangle(0, 15, n, 30);
  c.SetBrushClear();
  c.SetFont("Verdana", 7, kBlack);
  const int w = c.TextWidth(caption);
  c.TextOut((100 - w) / 2, 2, caption);
  Present(picture);
}

void TPluginEditorWindow::DrawDial2(Picture& picture, int index, std::string_view caption) {
  Canvas& c = picture.canvas;
  Clearscreen(picture, kWhite);
  c.SetPenColor(kBlack);
  c.SetBrushColor(kMidGrey);
  c.Ellipse(13, 13, 39, 39);
  c.SetPenColor(kBlack);
  for (double angle : {kDialLowMarkAngle, kDialHighMarkAngle}) {
    const DialPoint from = DialPointAt(angle, 15.0);
    const DialPoint to = DialPointAt(angle, 19.0);
    c.MoveTo(from.x, from.y);
    c.LineTo(to.x, to.y);
  }
  const DialPoint tip = DialPointer(Value(index));
  c.MoveTo(kDialCentre, kDialCentre);
  c.LineTo(tip.x, tip.y);
  c.SetBrushClear();
  c.SetFont("Arial", 7, kBlack);
  const int w = c.TextWidth(caption);
  c.TextOut((51 - w) / 2, 0, caption);
  Present(picture);
}

void TPluginEditorWindow::DrawBox(Picture& picture, int index) {
  Clearscreen2(picture, SwitchIsOn(Value(index)) ? kRed : kLampGrey);
}

void TPluginEditorWindow::SetControl(int index) {
  const ControlSpec* control = ControlForIndex(index);
  Picture* picture = ControlPicture(index);
  if (control == nullptr || picture == nullptr) return;
  switch (control->kind) {
    case ControlKind::Dial:
      DrawDial2(*picture, index, control->shortCaption);
      break;
    case ControlKind::Slider:
      DrawHSlider2(*picture, index, control->shortCaption);
      break;
    case ControlKind::Lamp:
      DrawBox(*picture, index);
      break;
  }
}

void TPluginEditorWindow::SetLabel(int index) {
  const ControlSpec* control = ControlForIndex(index);
  if (control == nullptr || control->longCaption.empty()) return;
  PrintLabels(control->longCaption, ValueText(control->rule, Value(index), UserDecimalSeparator()));
}

void TPluginEditorWindow::ShowType() {
  Picture& strip = StripPicture(StripId::IType);
  Clearscreen2(strip, kMidGrey);
  const OscType type = ExcitationType(Value(ParamIndex(Param::kOscType)));
  Printf2(strip, kBlack, kMidGrey, 8, 1, 1, TypeNames[static_cast<std::size_t>(type)], 1);
}
