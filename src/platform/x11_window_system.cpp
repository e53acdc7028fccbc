#include "platform/x11_window_system.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/freetype_font_rasterizer.h"

namespace {

using Clock = std::chrono::steady_clock;

// X's core pointer buttons.
constexpr xcb_button_t kButtonLeft = 1;
constexpr xcb_button_t kButtonMiddle = 2;
constexpr xcb_button_t kButtonRight = 3;

constexpr std::uint32_t kEventMask = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                     XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                                     XCB_EVENT_MASK_STRUCTURE_NOTIFY;

KeyModifiers ModifiersOf(std::uint16_t state) {
  KeyModifiers mods;
  mods.shift = (state & XCB_MOD_MASK_SHIFT) != 0;
  mods.ctrl = (state & XCB_MOD_MASK_CONTROL) != 0;
  mods.alt = (state & XCB_MOD_MASK_1) != 0;
  return mods;
}

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  void Add(const Rect& r) {
    if (r.Empty()) return;
    if (Empty()) {
      *this = r;
      return;
    }
    left = std::min(left, r.left);
    top = std::min(top, r.top);
    right = std::max(right, r.right);
    bottom = std::max(bottom, r.bottom);
  }
};

class X11Window : public NativeWindow {
 public:
  X11Window(xcb_connection_t* connection, const xcb_screen_t& screen, xcb_window_t window, WindowEvents& events,
            int width, int height)
      : connection(connection), window(window), events(events), width(width), height(height) {
    gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, window, 0, nullptr);
    // Requests carry at most this many bytes; images go in strips below it.
    maxRequestBytes = static_cast<std::size_t>(xcb_get_maximum_request_length(connection)) * 4;
    depth = screen.root_depth;
    lsbFirst = xcb_get_setup(connection)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
  }

  ~X11Window() override {
    if (alive) {
      xcb_free_gc(connection, gc);
      xcb_destroy_window(connection, window);
      xcb_flush(connection);
    }
    xcb_disconnect(connection);
  }

  void SetBounds(int left, int top, int newWidth, int newHeight) override {
    if (!alive) return;
    const std::uint32_t values[] = {static_cast<std::uint32_t>(left), static_cast<std::uint32_t>(top),
                                    static_cast<std::uint32_t>(std::max(newWidth, 1)),
                                    static_cast<std::uint32_t>(std::max(newHeight, 1))};
    xcb_configure_window(connection, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    width = newWidth;
    height = newHeight;
    xcb_flush(connection);
  }

  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }

  void Invalidate(int left, int top, int w, int h) override { dirty.Add({left, top, left + w, top + h}); }

  void PaintPending() override {
    if (!alive || !visible || dirty.Empty()) return;
    const PixelImage& image = events.ClientImage();
    Rect r = dirty;
    dirty = {};
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, image.Width());
    r.bottom = std::min(r.bottom, image.Height());
    if (r.Empty()) return;
    const int w = r.right - r.left;
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
    const int rowsPerStrip = std::max<int>(1, static_cast<int>((maxRequestBytes - 64) / rowBytes));
    for (int y = r.top; y < r.bottom; y += rowsPerStrip) {
      const int rows = std::min(rowsPerStrip, r.bottom - y);
      strip.resize(rowBytes * static_cast<std::size_t>(rows));
      std::uint8_t* out = strip.data();
      for (int sy = 0; sy < rows; ++sy) {
        for (int sx = 0; sx < w; ++sx) {
          const Pixel p = image.At(r.left + sx, y + sy);
          // 32 bits per pixel, 0x00RRGGBB in the server's byte order.
          if (lsbFirst) {
            out[0] = static_cast<std::uint8_t>(BlueOf(p));
            out[1] = static_cast<std::uint8_t>(GreenOf(p));
            out[2] = static_cast<std::uint8_t>(RedOf(p));
            out[3] = 0;
          } else {
            out[0] = 0;
            out[1] = static_cast<std::uint8_t>(RedOf(p));
            out[2] = static_cast<std::uint8_t>(GreenOf(p));
            out[3] = static_cast<std::uint8_t>(BlueOf(p));
          }
          out += 4;
        }
      }
      xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, static_cast<std::uint16_t>(w),
                    static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(r.left),
                    static_cast<std::int16_t>(y), 0, depth, static_cast<std::uint32_t>(strip.size()),
                    strip.data());
    }
    xcb_flush(connection);
  }

  void Show() override {
    if (!alive) return;
    visible = true;
    xcb_map_window(connection, window);
    xcb_flush(connection);
    dirty = {0, 0, width, height};
  }

  void Hide() override {
    visible = false;
    if (!alive) return;
    xcb_unmap_window(connection, window);
    xcb_flush(connection);
  }

  bool Visible() const override { return visible; }
  void* Handle() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

  void StartTimer(int milliseconds) override {
    timerInterval = std::chrono::milliseconds(milliseconds);
    lastTick = Clock::now();
  }
  void StopTimer() override { timerInterval = std::chrono::milliseconds(0); }

  // Handles what the server sent since the last call, runs the timer when
  // it is due and paints what changed. Runs on the host's UI thread.
  void Idle() override {
    if (!alive) return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      Dispatch(event);
      std::free(event);
      if (!alive) return;
    }
    if (xcb_connection_has_error(connection) != 0) {
      alive = false;
      return;
    }
    if (timerInterval.count() > 0 && Clock::now() - lastTick >= timerInterval) {
      lastTick = Clock::now();
      events.OnTimer();
    }
    PaintPending();
  }

 private:
  void Dispatch(xcb_generic_event_t* event) {
    switch (event->response_type & 0x7F) {
      case XCB_EXPOSE: {
        const auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
        dirty.Add({e->x, e->y, e->x + e->width, e->y + e->height});
        break;
      }
      case XCB_BUTTON_PRESS:
      case XCB_BUTTON_RELEASE: {
        const auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
        MouseButton button;
        if (e->detail == kButtonLeft) {
          button = MouseButton::Left;
        } else if (e->detail == kButtonMiddle) {
          button = MouseButton::Middle;
        } else if (e->detail == kButtonRight) {
          button = MouseButton::Right;
        } else {
          break;  // wheel steps are buttons 4 and up; the editor has no use for them
        }
        if ((event->response_type & 0x7F) == XCB_BUTTON_PRESS) {
          events.OnButtonPress(e->event_x, e->event_y, button, ModifiersOf(e->state));
        } else {
          events.OnButtonRelease(e->event_x, e->event_y, button, ModifiersOf(e->state));
        }
        break;
      }
      case XCB_MOTION_NOTIFY: {
        const auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(event);
        events.OnPointerMove(e->event_x, e->event_y, ModifiersOf(e->state));
        break;
      }
      case XCB_DESTROY_NOTIFY: {
        // The host destroyed its window, and ours with it.
        const auto* e = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
        if (e->window == window) alive = false;
        break;
      }
      default:
        break;  // errors (response type 0) included: a vanished parent is not ours to mend
    }
  }

  xcb_connection_t* connection;
  xcb_window_t window;
  WindowEvents& events;
  xcb_gcontext_t gc = 0;
  std::size_t maxRequestBytes = 0;
  std::uint8_t depth = 24;
  bool lsbFirst = true;
  int width;
  int height;
  bool alive = true;
  bool visible = false;
  Rect dirty;
  std::vector<std::uint8_t> strip;
  std::chrono::milliseconds timerInterval{0};
  Clock::time_point lastTick{};
};

// The screen whose root is `root`, or null.
const xcb_screen_t* ScreenWithRoot(xcb_connection_t* connection, xcb_window_t root) {
  for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem > 0; xcb_screen_next(&it)) {
    if (it.data->root == root) return it.data;
  }
  return nullptr;
}

// Whether the server stores the screen's depth at 32 bits per pixel, the
// only layout the painter writes.
bool Has32BitPixels(xcb_connection_t* connection, std::uint8_t depth) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
    if (it.data->depth == depth) return it.data->bits_per_pixel == 32;
  }
  return false;
}

}  // namespace

X11WindowSystem::X11WindowSystem() : X11WindowSystem(std::make_unique<FreeTypeFontRasterizer>()) {}

X11WindowSystem::X11WindowSystem(std::unique_ptr<FontRasterizer> fonts) : fonts(std::move(fonts)) {}

X11WindowSystem::~X11WindowSystem() = default;

std::unique_ptr<NativeWindow> X11WindowSystem::CreateChild(void* parent, int width, int height,
                                                           WindowEvents& events) {
  const auto parentId = static_cast<xcb_window_t>(reinterpret_cast<std::uintptr_t>(parent));
  if (parentId == 0 || width <= 0 || height <= 0) return nullptr;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    return nullptr;
  }
  // The parent must be a window of this display; its root names the screen.
  xcb_generic_error_t* error = nullptr;
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, parentId), &error);
  const xcb_screen_t* screen = tree != nullptr ? ScreenWithRoot(connection, tree->root) : nullptr;
  std::free(tree);
  std::free(error);
  if (screen == nullptr || !Has32BitPixels(connection, screen->root_depth)) {
    xcb_disconnect(connection);
    return nullptr;
  }

  // The screen's own visual and colormap, named explicitly so that a parent
  // of another depth still takes the child.
  const xcb_window_t window = xcb_generate_id(connection);
  const std::uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP;
  const std::uint32_t values[] = {screen->white_pixel, 0, kEventMask, screen->default_colormap};
  xcb_void_cookie_t created = xcb_create_window_checked(
      connection, screen->root_depth, window, parentId, 0, 0, static_cast<std::uint16_t>(width),
      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, values);
  if (xcb_generic_error_t* failed = xcb_request_check(connection, created)) {
    std::free(failed);
    xcb_disconnect(connection);
    return nullptr;
  }
  return std::make_unique<X11Window>(connection, *screen, window, events, width, height);
}
