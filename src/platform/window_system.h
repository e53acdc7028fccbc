// The few window-system services the editor needs, kept behind small
// interfaces so that the editor itself never sees a window system: a child
// window inside a parent the host owns, its visibility and size, a
// repeating timer, pointer events in the window's own coordinates, and the
// fonts to write with.
#pragma once

#include <memory>

#include "platform/font_rasterizer.h"
#include "platform/pixel_image.h"

enum class MouseButton { Left, Right, Middle };

struct KeyModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// What a native window tells its owner. Coordinates are client pixels.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void OnButtonPress(int x, int y, MouseButton button, KeyModifiers mods) = 0;
  virtual void OnButtonRelease(int x, int y, MouseButton button, KeyModifiers mods) = 0;
  virtual void OnPointerMove(int x, int y, KeyModifiers mods) = 0;
  virtual void OnTimer() = 0;
  // The client area's current picture, read when the window repaints.
  virtual const PixelImage& ClientImage() const = 0;
};

// One native child window. Destroying the object destroys the window and
// stops its timer; no event arrives afterwards.
class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // The rectangle's pixels of ClientImage() changed and must be shown.
  virtual void Invalidate(int left, int top, int width, int height) = 0;
  // Paints what is pending at once.
  virtual void PaintPending() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  // The window as its window system names it, for hosts that embed it
  // themselves (an X11 window id, a Win32 HWND); null where it has no name.
  virtual void* Handle() const = 0;
  // Calls OnTimer every `milliseconds` on the window's thread until stopped
  // or the window is destroyed.
  virtual void StartTimer(int milliseconds) = 0;
  virtual void StopTimer() = 0;
  // Called often on the window's thread by whoever owns it (hosts call the
  // editor's idle many times a second): window systems without a thread of
  // their own handle pending events, run a due timer and paint here.
  virtual void Idle() {}
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // A child of `parent` with a client area of width × height, hidden, or
  // nothing when the window system cannot make one (no display, a parent
  // that is not a window). `events` must outlive the window.
  virtual std::unique_ptr<NativeWindow> CreateChild(void* parent, int width, int height, WindowEvents& events) = 0;
  virtual FontRasterizer& Fonts() = 0;
};
