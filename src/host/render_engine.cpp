#include "host/render_engine.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/event_batch.h"
#include "host/host_error.h"

namespace vyrtal::host {
namespace {

// Planar buffers and the pointer arrays process() takes.
class ChannelBuffers {
 public:
  ChannelBuffers(VstInt32 channels, VstInt32 frames)
      : data_(static_cast<std::size_t>(std::max(channels, 0)),
              std::vector<float>(static_cast<std::size_t>(frames), 0.0f)) {
    for (auto& channel : data_) pointers_.push_back(channel.data());
    if (pointers_.empty()) pointers_.push_back(nullptr);
  }
  float** pointers() { return pointers_.data(); }

 private:
  std::vector<std::vector<float>> data_;
  std::vector<float*> pointers_;
};

// Counts how long the output has stayed below the quiet level.
class QuietWatch {
 public:
  void feed(float* const* channels, VstInt32 channelCount, VstInt32 frames) {
    for (VstInt32 i = 0; i < frames; ++i) {
      bool quiet = true;
      for (VstInt32 c = 0; c < channelCount; ++c) {
        const float sample = channels[c][i];
        if (!(std::fabs(sample) < kQuietLevel)) quiet = false;
      }
      quietRun_ = quiet ? quietRun_ + 1 : 0;
    }
  }
  std::int64_t quietRun() const { return quietRun_; }

 private:
  std::int64_t quietRun_ = 0;
};

}  // namespace

RenderReport RenderTimeline(EffectInstance& instance, HostContext& host, const Timeline& timeline,
                            const RenderOptions& options, AudioSink& sink, const ProgressCallback& progress) {
  if (options.blockSize < 1) throw HostError("block size must be at least 1");
  const VstInt32 outputs = instance.numOutputs();
  if (outputs < 1) throw HostError("the plug-in has no audio outputs to render");
  const double rate = host.sampleRate();
  ChannelBuffers in(instance.numInputs(), options.blockSize);
  ChannelBuffers out(outputs, options.blockSize);
  EventBatch batch;
  QuietWatch quiet;
  RenderReport report;

  const std::int64_t musicEnd = std::max<std::int64_t>(timeline.endFrame, 0);
  const bool fixedTail = options.tailSeconds.has_value();
  const std::int64_t tailLimit = static_cast<std::int64_t>(
      std::llround((fixedTail ? *options.tailSeconds : options.maxTailSeconds) * rate));
  const std::int64_t quietFrames = static_cast<std::int64_t>(std::llround(kQuietSeconds * rate));
  const std::int64_t expected = musicEnd + (fixedTail ? tailLimit : quietFrames);

  host.setTempoMap(&timeline.tempo);
  host.setPlaying(true);
  instance.resume();
  std::size_t next = 0;
  std::int64_t frame = 0;
  while (true) {
    batch.clear();
    while (next < timeline.events.size() && timeline.events[next].frame <= frame) {
      batch.add(timeline.events[next], 0);
      ++next;
    }
    std::int64_t length = options.blockSize;
    bool finished = false;
    if (next < timeline.events.size()) {
      length = std::min(length, timeline.events[next].frame - frame);
    } else if (frame < musicEnd) {
      length = std::min(length, musicEnd - frame);
    } else {
      const std::int64_t tail = frame - musicEnd;
      if (tail >= tailLimit) {
        report.tailLimited = !fixedTail && tailLimit > 0;
        finished = true;
      } else if (!fixedTail && quiet.quietRun() >= quietFrames) {
        finished = true;
      } else {
        length = std::min(length, tailLimit - tail);
      }
    }

    host.setPosition(frame);
    if (!batch.empty()) {
      instance.sendEvents(batch.events());
      report.events += batch.size();
    }
    // Events on the last frame (a final pedal release or all-notes-off with
    // no tail) still reach the plug-in, though no block follows them.
    if (finished) break;
    const auto frames = static_cast<VstInt32>(length);
    instance.process(in.pointers(), out.pointers(), frames);
    if (frame >= musicEnd) quiet.feed(out.pointers(), outputs, frames);
    sink.write(out.pointers(), frames);
    frame += length;
    ++report.blocks;
    if (progress) progress(frame, std::max(expected, frame));
  }
  instance.suspend();
  host.setPlaying(false);
  host.setTempoMap(nullptr);
  report.frames = frame;
  report.tailFrames = frame - musicEnd;
  return report;
}

}  // namespace vyrtal::host
