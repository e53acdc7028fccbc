#include "host/edit_command.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <thread>

#include "host/host_error.h"
#include "host/host_window.h"
#include "host/plugin_choice.h"
#include "host/plugin_session.h"

namespace vyrtal::host {
namespace {

// How often the host idles the editor, as real hosts do (15 to 40 ms).
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);
constexpr double kSampleRate = 44100.0;
constexpr VstInt32 kBlockSize = 512;

volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

// Lines of standard input, read without waiting.
class CommandReader {
 public:
  bool Next(std::string& line) {
    const std::size_t end = pending.find('\n');
    if (end != std::string::npos) {
      line = pending.substr(0, end);
      pending.erase(0, end + 1);
      return true;
    }
    if (!open) return false;
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    if (::poll(&fd, 1, 0) <= 0) return false;
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      open = false;
      return false;
    }
    pending.append(buffer, static_cast<std::size_t>(n));
    return Next(line);
  }

 private:
  std::string pending;
  bool open = true;
};

ERect EditorRect(EffectInstance& instance) {
  ERect* rect = nullptr;
  instance.dispatch(effEditGetRect, 0, 0, &rect);
  if (rect == nullptr) return ERect{0, 0, 300, 400};
  return *rect;
}

}  // namespace

void RunEdit(const EditArgs& args, std::ostream& out) {
  auto library = std::make_shared<PluginLibrary>(args.plugin);
  PluginSession session = OpenSession(library, kSampleRate, kBlockSize, nullptr);
  EffectInstance& instance = *session.instance;
  if ((instance.effect().flags & effFlagsHasEditor) == 0) throw HostError("plug-in " + args.plugin + " has no editor");
  if (!args.program.empty()) instance.setProgram(ResolveProgram(instance, args.program));
  instance.resume();

  // Sized from the editor's rectangle before it opens, then from its real one.
  ERect rect = EditorRect(instance);
  HostWindow window("vyrtal edit: " + instance.effectName(), rect.right - rect.left, rect.bottom - rect.top);
  auto* parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window.id()));
  if (instance.dispatch(effEditOpen, 0, 0, parent) == 0) throw HostError("the plug-in's editor did not open");
  int openCount = 1;
  rect = EditorRect(instance);
  window.resize(rect.right - rect.left, rect.bottom - rect.top);
  out << "ready window " << window.id() << " size " << rect.right - rect.left << "x" << rect.bottom - rect.top
      << std::endl;

  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  const auto start = std::chrono::steady_clock::now();
  std::size_t reported = 0;
  CommandReader commands;
  bool running = true;
  while (running && stopRequested == 0 && window.poll()) {
    if (openCount > 0) instance.dispatch(effEditIdle);
    const auto& automation = session.host->automation();
    for (; reported < automation.size(); ++reported) {
      char line[64];
      std::snprintf(line, sizeof line, "automate %d %.9g", automation[reported].index,
                    static_cast<double>(automation[reported].value));
      out << line << std::endl;
    }
    std::string command;
    while (commands.Next(command)) {
      std::istringstream words(command);
      std::string verb;
      words >> verb;
      if (verb == "set") {
        VstInt32 index = -1;
        float value = 0.0f;
        if (words >> index >> value) instance.setParameter(index, value);
      } else if (verb == "program") {
        VstInt32 program = 0;
        if (words >> program) instance.setProgram(program);
      } else if (verb == "open") {
        if (instance.dispatch(effEditOpen, 0, 0, parent) != 0) ++openCount;
      } else if (verb == "close") {
        if (openCount > 0) {
          instance.dispatch(effEditClose);
          --openCount;
        }
      } else if (verb == "quit") {
        running = false;
      }
      out << "done " << command << std::endl;
    }
    if (args.seconds > 0.0 &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= args.seconds) {
      break;
    }
    std::this_thread::sleep_for(kIdlePeriod);
  }
  while (openCount-- > 0) instance.dispatch(effEditClose);
  out << "closed" << std::endl;
}

}  // namespace vyrtal::host
