// `vyrtal edit` running as the host whose window the editor lives in, on a
// private X server (virtual_display.h).
#pragma once

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "virtual_display.h"

namespace x_test {

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
