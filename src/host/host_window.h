// A top-level X11 window that stands in for a host's plug-in window: the
// editor is opened inside it, and its close button ends the session.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vyrtal::host {

class HostWindow {
 public:
  // Throws HostError when there is no display or no window can be made.
  HostWindow(const std::string& title, int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  std::uint32_t id() const;
  void resize(int width, int height);
  // Handles pending events; false once the user closed the window.
  bool poll();

 private:
  struct Connection;
  std::unique_ptr<Connection> x;
};

}  // namespace vyrtal::host
