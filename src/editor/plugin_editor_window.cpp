#include "editor/plugin_editor_window.h"

#include "editor/control_table.h"
#include "editor/editor_colors.h"
#include "editor/logo_bitmap.h"

TPluginEditorWindow::TPluginEditorWindow(FontRasterizer& fonts, ParamMirror& fvar)
    : fvar(fvar), client(kClientWidth, kClientHeight, kWhite) {
  pictures.reserve(kControls.size() + kStrips.size());
  for (const StripSpec& s : kStrips) pictures.emplace_back(s.name, s.x, s.y, s.width, s.height, fonts);
  for (const ControlSpec& c : kControls) pictures.emplace_back(c.name, c.x, c.y, c.width, c.height, fonts, &c);
}

std::unique_ptr<TPluginEditorWindow> TPluginEditorWindow::Create(WindowSystem& system, void* parent,
                                                                 ParamMirror& fvar) {
  std::unique_ptr<TPluginEditorWindow> window(new TPluginEditorWindow(system.Fonts(), fvar));
  window->native = system.CreateChild(parent, kClientWidth, kClientHeight, *window);
  if (!window->native) return nullptr;
  window->FormCreate();
  window->native->StartTimer(kTimerMilliseconds);
  return window;
}

TPluginEditorWindow::~TPluginEditorWindow() {
  // The native window goes first, so that no event reaches a half-destroyed editor.
  native.reset();
}

void TPluginEditorWindow::FormCreate() {
  for (StripId id : kHeaderPaintOrder) {
    Picture& p = StripPicture(id);
    Clearscreen2(p, kHeaderBlue);
    Printf2(p, kWhite, kHeaderBlue, 8, 1, 1, Strip(id).text, 1);
  }
  // The type strip shows the type the mirror holds; the bridge fills the
  // mirror before it creates the window.
  ShowType();
  windowColor = kWhite;
  lastfvar.fill(-1.0f);
  PrintLabels(kCaption, "TLRX2004");
  Picture& logo = StripPicture(StripId::Image1);
  logo.canvas.Draw(MakeLogo(), 0, 0);
  Present(logo);
}

void TPluginEditorWindow::Present(const Picture& picture) {
  client.Blit(picture.canvas.Image(), picture.x, picture.y);
  if (native) native->Invalidate(picture.x, picture.y, picture.Width(), picture.Height());
}

Picture* TPluginEditorWindow::PictureNamed(std::string_view name) {
  for (Picture& p : pictures) {
    if (SameNameIgnoringCase(p.name, name)) return &p;
  }
  return nullptr;
}

Picture& TPluginEditorWindow::StripPicture(StripId id) { return pictures[static_cast<std::size_t>(id)]; }

Picture* TPluginEditorWindow::ControlPicture(int index) {
  for (std::size_t i = kStrips.size(); i < pictures.size(); ++i) {
    if (ParamIndex(pictures[i].control->param) == index) return &pictures[i];
  }
  return nullptr;
}

Picture* TPluginEditorWindow::PictureAt(int x, int y) {
  for (Picture& p : pictures) {
    if (p.Contains(x, y)) return &p;
  }
  return nullptr;
}

void TPluginEditorWindow::OnButtonPress(int x, int y, MouseButton button, KeyModifiers mods) {
  Picture* p = PictureAt(x, y);
  if (p == nullptr) return;
  if (button == MouseButton::Left) captured = p;
  const int lx = x - p->x;
  const int ly = y - p->y;
  if (p->control != nullptr && p->control->kind != ControlKind::Lamp) {
    SetControlSelect(*p, button, mods, lx, ly);
  } else if (p == &StripPicture(StripId::IType)) {
    ITypeMouseDown();
  } else if (p == &StripPicture(StripId::Ichorus)) {
    IchorusMouseDown();
  }
}

void TPluginEditorWindow::OnButtonRelease(int x, int y, MouseButton button, KeyModifiers mods) {
  Picture* p = nullptr;
  // A click is a left press and its release on the same picture; a release
  // that follows a press outside every picture clicks nothing.
  const bool pressedHere = button == MouseButton::Left && captured != nullptr;
  if (pressedHere) {
    p = captured;
    captured = nullptr;
  } else {
    p = PictureAt(x, y);
  }
  if (p == nullptr) return;
  if (p->control != nullptr && p->control->kind != ControlKind::Lamp) {
    MouseDown(*p, button, mods, x - p->x, y - p->y);
  } else if (p == &StripPicture(StripId::DelayLabel) && pressedHere && p->Contains(x, y)) {
    DelayLabelClick();
  }
}

void TPluginEditorWindow::OnPointerMove(int x, int y, KeyModifiers mods) {
  Picture* p = captured != nullptr ? captured : PictureAt(x, y);
  if (p == nullptr) return;
  if (p->control != nullptr && p->control->kind != ControlKind::Lamp) Mousemove(*p, mods, x - p->x, y - p->y);
}
