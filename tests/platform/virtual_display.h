// A private X server for tests (Xvfb), real pointer and key events through
// xdotool, and pictures read back from the server.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace x_test {

using Clock = std::chrono::steady_clock;

inline pid_t Spawn(const std::vector<std::string>& argv, int stdinFd = -1, int stdoutFd = -1) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (stdinFd >= 0) dup2(stdinFd, STDIN_FILENO);
    if (stdoutFd >= 0) dup2(stdoutFd, STDOUT_FILENO);
    const int devnull = open("/dev/null", O_WRONLY);
    if (stdoutFd < 0) dup2(devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

inline void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// Xvfb on a free display number that the server picks and reports itself
// (-displayfd), so that parallel tests never share a server; DISPLAY points
// at it while it runs.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int report[2];
    if (pipe(report) != 0) return;
    // -noreset: the server stays as it is when its last client leaves, rather
    // than starting over while the next test connects.
    const pid_t server = Spawn({"Xvfb", "-displayfd", std::to_string(report[1]), "-screen", "0", "640x400x24",
                                "-nolisten", "tcp", "-noreset"});
    close(report[1]);
    std::string number;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (number.find('\n') == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd fd{report[0], POLLIN, 0};
      if (left <= 0 || ::poll(&fd, 1, static_cast<int>(left)) <= 0) break;
      char c;
      if (read(report[0], &c, 1) != 1) break;
      number += c;
    }
    close(report[0]);
    if (number.find('\n') == std::string::npos) {
      Stop(server);
      return;
    }
    name = ":" + number.substr(0, number.find('\n'));
    pid = server;
    setenv("DISPLAY", name.c_str(), 1);
  }
  ~VirtualDisplay() { Stop(pid); }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool Running() const { return pid > 0; }

  // xdotool with the given arguments, on this display.
  bool Xdotool(const std::string& args) const {
    const std::string command = "DISPLAY=" + name + " xdotool " + args;
    return std::system(command.c_str()) == 0;
  }

  // The screen's pixels in a rectangle, as 0xRRGGBB.
  std::vector<std::uint32_t> Grab(int x, int y, int w, int h) const {
    std::vector<std::uint32_t> pixels;
    xcb_connection_t* c = xcb_connect(name.c_str(), nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h),
                      ~0u),
        nullptr);
    if (image != nullptr) {
      const std::uint8_t* data = xcb_get_image_data(image);
      for (int i = 0; i < w * h; ++i) {
        pixels.push_back(static_cast<std::uint32_t>(data[4 * i + 2]) << 16 |
                         static_cast<std::uint32_t>(data[4 * i + 1]) << 8 | data[4 * i]);
      }
      std::free(image);
    }
    xcb_disconnect(c);
    return pixels;
  }

  std::uint32_t Pixel(int x, int y) const {
    auto p = Grab(x, y, 1, 1);
    return p.empty() ? 0xFFFFFFFFu : p[0];
  }

  // Map state of the first child of a window: -1 without one.
  int ChildMapState(std::uint32_t window) const {
    xcb_connection_t* c = xcb_connect(name.c_str(), nullptr);
    int state = -1;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (tree != nullptr && xcb_query_tree_children_length(tree) > 0) {
      const xcb_window_t child = xcb_query_tree_children(tree)[0];
      xcb_get_window_attributes_reply_t* attributes =
          xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, child), nullptr);
      if (attributes != nullptr) state = attributes->map_state;
      std::free(attributes);
    }
    std::free(tree);
    xcb_disconnect(c);
    return state;
  }

  std::string name;

 private:
  pid_t pid = -1;
};

}  // namespace x_test
