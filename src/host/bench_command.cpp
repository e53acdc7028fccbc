#include "host/bench_command.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <iomanip>
#include <vector>

#include "host/plugin_choice.h"
#include "host/plugin_session.h"
#include "host/render_engine.h"
#include "host/timeline.h"

namespace vyrtal::host {
namespace {

constexpr int kTicksPerQuarter = 480;
constexpr double kBenchBpm = 120.0;
constexpr std::array<std::uint8_t, 6> kChord{48, 55, 60, 64, 67, 72};

class DiscardSink : public AudioSink {
 public:
  void write(const float* const* channels, VstInt32 frames) override {
    // Touch the output so the work cannot be skipped.
    if (frames > 0) last_ = channels[0][frames - 1];
  }
  float last() const { return last_; }

 private:
  float last_ = 0.0f;
};

// CPU time of the calling thread, in nanoseconds: unlike wall time, it
// leaves out what other processes take from a busy machine.
double ThreadCpuNanos() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

SongEvent Key(std::uint64_t tick, std::uint8_t status, std::uint8_t key) {
  SongEvent event;
  event.tick = tick;
  event.bytes = {status, key, 100};
  event.size = 3;
  return event;
}

}  // namespace

MidiSong BenchWorkload(double seconds) {
  MidiSong song;
  song.ticksPerQuarter = kTicksPerQuarter;
  const auto ticksPerSecond = static_cast<std::uint64_t>(kTicksPerQuarter * kBenchBpm / 60.0);
  const auto end = static_cast<std::uint64_t>(std::llround(seconds * static_cast<double>(ticksPerSecond)));
  for (std::uint64_t tick = 0; tick < end; tick += ticksPerSecond) {
    if (tick > 0)
      for (auto key : kChord) song.events.push_back(Key(tick, 0x80, key));
    for (auto key : kChord) song.events.push_back(Key(tick, 0x90, key));
  }
  for (auto key : kChord) song.events.push_back(Key(end, 0x80, key));
  song.endTick = end;
  return song;
}

void RunBench(const BenchArgs& args, std::ostream& out) {
  const Timeline timeline = MakeTimeline(BenchWorkload(args.seconds), args.sampleRate, kBenchBpm);
  auto library = std::make_shared<PluginLibrary>(args.plugin);
  std::vector<double> wallPerFrame, cpuPerFrame;
  std::string name;
  std::int64_t frames = 0;
  for (int run = 0; run < args.runs; ++run) {
    PluginSession session = OpenSession(library, args.sampleRate, args.blockSize, nullptr);
    EffectInstance& fx = *session.instance;
    if (!args.program.empty()) fx.setProgram(ResolveProgram(fx, args.program));
    name = fx.effectName();
    RenderOptions options;
    options.blockSize = args.blockSize;
    options.tailSeconds = 0.0;
    DiscardSink sink;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuNanos();
    const RenderReport report = RenderTimeline(fx, *session.host, timeline, options, sink);
    const double cpu = ThreadCpuNanos() - cpuStart;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    frames = report.frames;
    const double perFrame = 1.0 / static_cast<double>(std::max<std::int64_t>(frames, 1));
    wallPerFrame.push_back(
        static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()) * perFrame);
    cpuPerFrame.push_back(cpu * perFrame);
    if (args.verbose)
      out << "run " << run + 1 << ": " << std::fixed << std::setprecision(1) << cpuPerFrame.back()
          << " ns per frame of CPU time, " << wallPerFrame.back() << " ns of wall time\n";
  }
  const double cpu = Median(cpuPerFrame), wall = Median(wallPerFrame);
  const double realTimeFactor = 1e9 / args.sampleRate / cpu;
  out << "plug-in   " << (name.empty() ? library->path() : name) << " (" << library->path() << ")\n";
  out << "workload  six voices, " << std::fixed << std::setprecision(1) << static_cast<double>(frames) / args.sampleRate
      << " s at " << std::lround(args.sampleRate) << " Hz, blocks of " << args.blockSize << ", " << args.runs
      << " runs\n";
  out << "median    " << std::setprecision(1) << realTimeFactor << "x real time, " << cpu
      << " ns per frame of the thread's CPU time (" << wall << " ns of wall time)\n";
}

}  // namespace vyrtal::host
