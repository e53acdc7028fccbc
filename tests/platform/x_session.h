// A private X server for tests (Xvfb), real pointer and key events through
// xdotool, pictures read back from the server, and `vyrtal edit` running
// as the host whose window the editor lives in.
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
    const pid_t server = Spawn({"Xvfb", "-displayfd", std::to_string(report[1]), "-screen", "0", "640x400x24",
                                "-nolisten", "tcp"});
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

// `vyrtal edit` with its standard input and output in our hands.
class EditHost {
 public:
  explicit EditHost(const std::vector<std::string>& extra = {}) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    std::vector<std::string> argv = {VYRTAL_EXE, "edit", "--plugin", VYRTAL_SO_PATH};
    argv.insert(argv.end(), extra.begin(), extra.end());
    pid = Spawn(argv, in[0], out[1]);
    close(in[0]);
    close(out[1]);
    toChild = in[1];
    fromChild = out[0];
    const std::string ready = WaitFor("ready window ", 10000);
    if (!ready.empty()) window = static_cast<std::uint32_t>(std::strtoul(ready.c_str() + 13, nullptr, 10));
  }
  ~EditHost() {
    if (toChild >= 0) close(toChild);
    Stop(pid);
    if (fromChild >= 0) close(fromChild);
  }
  EditHost(const EditHost&) = delete;
  EditHost& operator=(const EditHost&) = delete;

  bool Ready() const { return window != 0; }

  void Send(const std::string& line) {
    const std::string text = line + "\n";
    if (write(toChild, text.data(), text.size()) < 0) return;
  }

  // The next line that starts with prefix, waiting up to timeoutMs; empty
  // on time-out. Lines read on the way are kept in `lines`.
  std::string WaitFor(const std::string& prefix, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const std::size_t end = pending.find('\n');
      if (end != std::string::npos) {
        std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        lines.push_back(line);
        if (line.rfind(prefix, 0) == 0) return line;
        continue;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return {};
      pollfd fd{fromChild, POLLIN, 0};
      if (::poll(&fd, 1, static_cast<int>(left)) <= 0) return {};
      char buffer[512];
      const ssize_t n = read(fromChild, buffer, sizeof buffer);
      if (n <= 0) return {};
      pending.append(buffer, static_cast<std::size_t>(n));
    }
  }

  // The value of the next automation of index, or -1 on time-out.
  double NextAutomation(int index, int timeoutMs = 3000) {
    const std::string prefix = "automate " + std::to_string(index) + " ";
    const std::string line = WaitFor(prefix, timeoutMs);
    return line.empty() ? -1.0 : std::strtod(line.c_str() + prefix.size(), nullptr);
  }

  // Waits for the process to end; its exit status, or -1.
  int Wait(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

  std::uint32_t window = 0;
  std::vector<std::string> lines;

 private:
  pid_t pid = -1;
  int toChild = -1;
  int fromChild = -1;
  std::string pending;
};

}  // namespace x_test
