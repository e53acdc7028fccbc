// The editor window: pictures for every control and strip, the drawing
// routines that paint them, the handlers that turn pointer actions into
// parameter changes, and the refresh that follows the instrument's values.
// It knows its window system only through the NativeWindow interface.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/edited_plugin.h"
#include "editor/param_mirror.h"
#include "editor/picture.h"
#include "platform/window_system.h"

class TPluginEditorWindow : public WindowEvents {
 public:
  static constexpr int kTimerMilliseconds = 200;
  static constexpr const char* kCaption = "Vyr";

  // Makes the window as a hidden child of `parent` and runs FormCreate, or
  // answers nothing when the window system cannot make the window. `fvar`
  // is the value mirror the window shows; it must outlive the window.
  static std::unique_ptr<TPluginEditorWindow> Create(WindowSystem& system, void* parent, ParamMirror& fvar);
  ~TPluginEditorWindow() override;

  TPluginEditorWindow(const TPluginEditorWindow&) = delete;
  TPluginEditorWindow& operator=(const TPluginEditorWindow&) = delete;

  NativeWindow& Native() { return *native; }
  int ClientWidth() const { return native->ClientWidth(); }
  int ClientHeight() const { return native->ClientHeight(); }

  // Fields the editor's logic uses.
  EditedPlugin* plugin = nullptr;
  std::int32_t dragmode = 0;  // -1 none, 0 absolute, 1 relative
  ParamMirror& fvar;
  std::array<float, kNumParamSlots> lastfvar{};
  float dragstart = 0.0f;
  std::uint8_t dragging = 0;

  // Drawing.
  void Clearscreen(Picture& picture, Pixel color);
  void Clearscreen2(Picture& picture, Pixel color);
  void Printf2(Picture& picture, Pixel textColor, Pixel background, int size, int x, int y, std::string_view text,
               int alignment);
  void PrintLabels(std::string_view caption, std::string_view value);
  void DrawHSlider2(Picture& picture, int index, std::string_view caption);
  void DrawDial2(Picture& picture, int index, std::string_view caption);
  void DrawBox(Picture& picture, int index);
  void SetControl(int index);
  void SetLabel(int index);
  void ShowType();

  // Interaction.
  void SetControlSelect(Picture& picture, MouseButton button, KeyModifiers shift, int x, int y);
  void Mousemove(Picture& picture, KeyModifiers shift, int x, int y);
  void MouseDown(Picture& picture, MouseButton button, KeyModifiers shift, int x, int y);
  void ITypeMouseDown();
  void DelayLabelClick();
  void IchorusMouseDown();
  void ToggleSwitch(Param parameter);
  void Timer2Timer();
  void SetAll();
  void setfvar(int index, float value);
  static float limit(double x);

  void SetHSlider(int index, int x, MouseButton button, KeyModifiers shift);
  void SetDial(int index, int x, int y, MouseButton button, KeyModifiers shift);
  void MoveHSlider(int index, int x);
  void MoveDial(int index, int x, int y);

  // Pictures by name (compared without regard to case) or by strip.
  Picture* PictureNamed(std::string_view name);
  Picture& StripPicture(StripId id);
  Picture* ControlPicture(int index);

  // WindowEvents.
  void OnButtonPress(int x, int y, MouseButton button, KeyModifiers mods) override;
  void OnButtonRelease(int x, int y, MouseButton button, KeyModifiers mods) override;
  void OnPointerMove(int x, int y, KeyModifiers mods) override;
  void OnTimer() override { Timer2Timer(); }
  const PixelImage& ClientImage() const override { return client; }

 private:
  TPluginEditorWindow(FontRasterizer& fonts, ParamMirror& fvar);
  void FormCreate();
  void Present(const Picture& picture);
  void ChangedByDrag(int index);
  float Value(int index) const { return Load(fvar, index); }
  Picture* PictureAt(int x, int y);

  std::unique_ptr<NativeWindow> native;
  std::vector<Picture> pictures;
  PixelImage client;
  Pixel windowColor = PackRgb(255, 255, 255);
  Picture* captured = nullptr;  // the picture a left press holds until release
};
