#include "host/host_window.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "host/host_error.h"

namespace vyrtal::host {
namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  xcb_atom_t atom = XCB_ATOM_NONE;
  if (reply != nullptr) atom = reply->atom;
  std::free(reply);
  return atom;
}

}  // namespace

struct HostWindow::Connection {
  xcb_connection_t* connection = nullptr;
  xcb_window_t window = 0;
  xcb_atom_t deleteWindow = XCB_ATOM_NONE;
};

HostWindow::HostWindow(const std::string& title, int width, int height) : x(std::make_unique<Connection>()) {
  x->connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x->connection) != 0) {
    xcb_disconnect(x->connection);
    throw HostError("cannot open the X display (is DISPLAY set?)");
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x->connection)).data;
  x->window = xcb_generate_id(x->connection);
  const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
  xcb_create_window(x->connection, XCB_COPY_FROM_PARENT, x->window, screen->root, 0, 0,
                    static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                    values);
  xcb_change_property(x->connection, XCB_PROP_MODE_REPLACE, x->window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(title.size()), title.data());
  // Ask the window manager to tell us of the close button instead of killing us.
  const xcb_atom_t protocols = Atom(x->connection, "WM_PROTOCOLS");
  x->deleteWindow = Atom(x->connection, "WM_DELETE_WINDOW");
  xcb_change_property(x->connection, XCB_PROP_MODE_REPLACE, x->window, protocols, XCB_ATOM_ATOM, 32, 1,
                      &x->deleteWindow);
  xcb_map_window(x->connection, x->window);
  xcb_flush(x->connection);
}

HostWindow::~HostWindow() {
  xcb_destroy_window(x->connection, x->window);
  xcb_flush(x->connection);
  xcb_disconnect(x->connection);
}

std::uint32_t HostWindow::id() const { return x->window; }

void HostWindow::resize(int width, int height) {
  const std::uint32_t values[] = {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
  xcb_configure_window(x->connection, x->window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
  xcb_flush(x->connection);
}

bool HostWindow::poll() {
  bool open = xcb_connection_has_error(x->connection) == 0;
  while (xcb_generic_event_t* event = xcb_poll_for_event(x->connection)) {
    if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
      const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
      if (message->data.data32[0] == x->deleteWindow) open = false;
    } else if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) {
      open = false;
    }
    std::free(event);
  }
  return open;
}

}  // namespace vyrtal::host
