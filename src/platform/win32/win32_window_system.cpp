#include "platform/win32/win32_window_system.h"

#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <mutex>

namespace {

// The class is shared by every window of this module; registration and
// the count of live windows go together under one lock.
std::mutex classLock;
int liveWindows = 0;
ATOM classAtom = 0;
char className[64] = "";

HMODULE ModuleOfThisCode() {
  HMODULE module = nullptr;
  // An address inside this module finds it, whether it is a DLL loaded by
  // a host or a program.
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&ModuleOfThisCode), &module)) {
    module = GetModuleHandleA(nullptr);
  }
  return module;
}

const char* NameForModule(HMODULE module) {
  if (className[0] == '\0') {
    // The module's address makes the name unique among the process's
    // modules, the process id among processes that share a desktop.
    std::snprintf(className, sizeof className, "VyrtalEditor.%lx.%p", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<void*>(module));
  }
  return className;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

bool AcquireClass() {
  std::lock_guard<std::mutex> guard(classLock);
  if (liveWindows == 0 || classAtom == 0) {
    HMODULE module = ModuleOfThisCode();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = NameForModule(module);
    classAtom = RegisterClassExA(&wc);
    if (classAtom == 0 && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) classAtom = 1;
    if (classAtom == 0) return false;
  }
  ++liveWindows;
  return true;
}

void ReleaseClass() {
  std::lock_guard<std::mutex> guard(classLock);
  if (liveWindows > 0) --liveWindows;
  if (liveWindows == 0 && classAtom != 0) {
    UnregisterClassA(className, ModuleOfThisCode());
    classAtom = 0;
  }
}

KeyModifiers ModifiersOf(WPARAM wParam) {
  KeyModifiers mods;
  mods.shift = (wParam & MK_SHIFT) != 0;
  mods.ctrl = (wParam & MK_CONTROL) != 0;
  mods.alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
  return mods;
}

constexpr UINT_PTR kTimerId = 1;

class Win32Window : public NativeWindow {
 public:
  Win32Window(WindowEvents& events) : events(events) {}
  ~Win32Window() override {
    if (hwnd != nullptr) {
      KillTimer(hwnd, kTimerId);
      if (GetCapture() == hwnd) ReleaseCapture();
      // No message reaches this object from here on.
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      DestroyWindow(hwnd);
      hwnd = nullptr;
    }
    ReleaseClass();
  }

  bool Create(HWND parent, int width, int height) {
    hwnd = CreateWindowExA(0, className, "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width, height, parent,
                           nullptr, ModuleOfThisCode(), this);
    return hwnd != nullptr;
  }

  void SetBounds(int left, int top, int width, int height) override {
    SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  int ClientWidth() const override {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    return static_cast<int>(rc.right - rc.left);
  }
  int ClientHeight() const override {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    return static_cast<int>(rc.bottom - rc.top);
  }
  void Invalidate(int left, int top, int width, int height) override {
    RECT rc{left, top, left + width, top + height};
    InvalidateRect(hwnd, &rc, FALSE);
  }
  void PaintPending() override { UpdateWindow(hwnd); }
  void Show() override { ShowWindow(hwnd, SW_SHOWNA); }
  void Hide() override { ShowWindow(hwnd, SW_HIDE); }
  bool Visible() const override { return IsWindowVisible(hwnd) != FALSE; }
  void* Handle() const override { return hwnd; }
  void StartTimer(int milliseconds) override { SetTimer(hwnd, kTimerId, static_cast<UINT>(milliseconds), nullptr); }
  void StopTimer() override { KillTimer(hwnd, kTimerId); }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        Paint();
        return 0;
      case WM_LBUTTONDOWN:
        return Press(MouseButton::Left, wParam, lParam);
      case WM_RBUTTONDOWN:
        return Press(MouseButton::Right, wParam, lParam);
      case WM_MBUTTONDOWN:
        return Press(MouseButton::Middle, wParam, lParam);
      case WM_LBUTTONUP:
        return Release(MouseButton::Left, wParam, lParam);
      case WM_RBUTTONUP:
        return Release(MouseButton::Right, wParam, lParam);
      case WM_MBUTTONUP:
        return Release(MouseButton::Middle, wParam, lParam);
      case WM_MOUSEMOVE:
        // Signed: under capture a pointer left or above the window gives
        // negative client coordinates.
        events.OnPointerMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), ModifiersOf(wParam));
        return 0;
      case WM_TIMER:
        if (wParam == kTimerId) events.OnTimer();
        return 0;
      default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  }

  HWND hwnd = nullptr;

 private:
  LRESULT Press(MouseButton button, WPARAM wParam, LPARAM lParam) {
    // Moves and the release reach this window until the button goes up,
    // wherever the pointer is.
    SetCapture(hwnd);
    events.OnButtonPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), button, ModifiersOf(wParam));
    return 0;
  }

  LRESULT Release(MouseButton button, WPARAM wParam, LPARAM lParam) {
    const bool stillHeld = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
    if (!stillHeld && GetCapture() == hwnd) ReleaseCapture();
    events.OnButtonRelease(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), button, ModifiersOf(wParam));
    return 0;
  }

  void Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc != nullptr) {
      const PixelImage& image = events.ClientImage();
      if (image.Width() > 0 && image.Height() > 0) {
        // 0x00RRGGBB in memory order is a 32-bit BI_RGB row; a negative
        // height makes the rows run top to bottom as the picture's do.
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = image.Width();
        bi.bmiHeader.biHeight = -image.Height();
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(dc, 0, 0, image.Width(), image.Height(), 0, 0, image.Width(), image.Height(),
                      image.Data().data(), &bi, DIB_RGB_COLORS, SRCCOPY);
      }
      EndPaint(hwnd, &ps);
    }
  }

  WindowEvents& events;
};

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* window = static_cast<Win32Window*>(cs->lpCreateParams);
    window->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window->Handle(message, wParam, lParam);
}

}  // namespace

std::unique_ptr<NativeWindow> Win32WindowSystem::CreateChild(void* parent, int width, int height,
                                                             WindowEvents& events) {
  HWND parentWindow = static_cast<HWND>(parent);
  if (parentWindow == nullptr || !IsWindow(parentWindow)) return nullptr;
  if (!AcquireClass()) return nullptr;
  auto window = std::make_unique<Win32Window>(events);
  if (!window->Create(parentWindow, width, height)) return nullptr;  // the destructor releases the class
  return window;
}

void* Win32WindowSystem::OwnModule() { return ModuleOfThisCode(); }

const char* Win32WindowSystem::ClassName() { return NameForModule(ModuleOfThisCode()); }

int Win32WindowSystem::LiveWindows() {
  std::lock_guard<std::mutex> guard(classLock);
  return liveWindows;
}
