// Plays a timeline through an effect instance. Blocks are split at event
// times so that every event reaches the plug-in at the start of a block
// (delta frames 0) and so sounds on its exact sample, whatever the plug-in
// does with delta frames. After the last event comes the tail: a fixed
// length, or until the output stays below -90 dBFS for half a second.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "host/effect_instance.h"
#include "host/host_callback.h"
#include "host/timeline.h"

namespace vyrtal::host {

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  virtual void write(const float* const* channels, VstInt32 frames) = 0;
};

struct RenderOptions {
  VstInt32 blockSize = 512;
  std::optional<double> tailSeconds;  // fixed tail; none: until quiet
  double maxTailSeconds = 30.0;       // limit of the automatic tail
};

struct RenderReport {
  std::int64_t frames = 0;      // frames written in all
  std::int64_t tailFrames = 0;  // of which after the last event
  std::size_t blocks = 0;       // process calls
  std::size_t events = 0;       // MIDI events sent
  bool tailLimited = false;     // the automatic tail hit its limit
};

// framesDone, framesExpected (the music plus an estimate of the tail).
using ProgressCallback = std::function<void(std::int64_t, std::int64_t)>;

constexpr float kQuietLevel = 3.1622777e-5f;  // -90 dBFS
constexpr double kQuietSeconds = 0.5;

// Resumes the instance, renders, suspends it. The instance must have its
// sample rate, block size (at least options.blockSize) and program set.
RenderReport RenderTimeline(EffectInstance& instance, HostContext& host, const Timeline& timeline,
                            const RenderOptions& options, AudioSink& sink, const ProgressCallback& progress = {});

}  // namespace vyrtal::host
