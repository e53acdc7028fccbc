// Tempo-synchronised delay: inverted feedback through a low-pass, and a
// dry/wet balance.
#pragma once

#include <array>
#include <cstdint>

#include "engine/engine_kernels.h"
#include "engine/lowpass_section.h"
#include "engine/numeric.h"

struct DelayControls {
  float length = 0.0f;  // Delay Length, 0..1: 64 steps of 1/32 beat
  float feed = 0.0f;    // Delay Feed, 0..1
  float filter = 0.0f;  // Delay Filter, 0..1: 20 Hz to 20480 Hz
  float mix = 0.0f;     // Delay Mix, 0..1: dry only, both, wet only
};

class Delay {
 public:
  static constexpr std::size_t kLineSize = 65536;
  static constexpr std::uint32_t kRingMask = 65535;
  // Longest delay in samples, a little short of the ring.
  static constexpr std::int32_t kMaxLength = 65000;
  // Longest run whose taps go to a span at once.
  static constexpr int kMaxSpan = 64;
  // Resonance of the feedback low-pass: gently damped.
  static constexpr float kFilterResonance = 0.1f;

  void Init() {
    length_ = 0;
    feedback_ = dry_ = wet_ = 0.0f;
    filterPending_ = false;
    filterRequest_ = 0.0f;
    filterRate_ = 0.0f;
    lowpass_.Init();
    Clear();
  }

  void Clear() { line_.fill(0.0f); }
  // Forgets what the feedback filter holds, so that nothing rings on.
  void ClearFilter() { lowpass_.ClearHistory(); }

  // Runs at every tick, whether or not the stage is switched on.
  void Configure(const DelayControls& c, float sampleRate, float tempo) {
    const std::int32_t steps = FloorInt(63.99 * c.length);
    // 1.875 x rate / tempo samples: 1/32 beat.
    const std::int32_t whole = FloorInt(steps * (1.875 * sampleRate / tempo));
    length_ = whole >= kMaxLength ? kMaxLength : (whole < 0 ? 1 : whole + 1);
    feedback_ = c.feed;
    dry_ = 1.0f;
    wet_ = 1.0f;
    if (c.mix >= 0.5f) {
      dry_ = 2.0f - 2.0f * c.mix;
    } else {
      wet_ = 2.0f * c.mix;
    }
    // The low-pass is designed when the stage next runs, from this tick's
    // request, so a switched-off delay costs nothing; a request that equals
    // the last design keeps it.
    if (!(c.filter == filterRequest_ && sampleRate == filterRate_ && lowpass_.configured())) {
      filterRequest_ = c.filter;
      filterRate_ = sampleRate;
      filterPending_ = true;
    }
  }

  // A run of samples stepped one at a time, by a loop that may run other
  // stages beside it: the settings and the filter's history in locals. The
  // feedback is subtracted, so the repeats alternate in sign.
  class Run {
   public:
    // The sample at counter value n.
    float Process(float c, std::uint32_t n) {
      const float y = line_[(n - length_) & kRingMask];
      const float x = c - feedback_ * y;
      const float filtered = configured_ ? lowpass_.Step(x, taps_) : x + kDenormalGuard;
      line_[n & kRingMask] = filtered + kDenormalGuard;
      return wet_ * y + dry_ * c;
    }

   private:
    friend class Delay;
    float* line_;
    std::uint32_t length_;
    float feedback_, wet_, dry_;
    bool configured_;
    LowpassSection lowpass_;
    LowpassSection::Taps taps_;
  };

  // A run from ring position `position`, that of the sample before its first.
  Run StartRun(int position) {
    if (filterPending_) {
      filterPending_ = false;
      lowpass_.Configure(20.0f * Pow2(10.0 * filterRequest_), kFilterResonance, filterRate_);
    }
    Run run;
    run.line_ = line_.data();
    run.length_ = static_cast<std::uint32_t>(length_);
    run.feedback_ = feedback_, run.wet_ = wet_, run.dry_ = dry_;
    run.configured_ = lowpass_.configured();
    run.lowpass_ = lowpass_;
    run.taps_ = lowpass_.TapsAt(position);
    return run;
  }
  // Keeps the filter's history of a run whose last sample had ring
  // position `position`. A filter not yet designed keeps none.
  void FinishRun(const Run& run, int position) {
    if (run.configured_) lowpass_.StoreTaps(run.taps_, position);
  }

  // count samples in place, the first at counter value counter + 1 and ring
  // position position + 1 (mod 3), calling alongside(i) once sample i is
  // out. Where the run's taps and writes each lie in one stretch of the
  // line and the two do not meet, span works out the taps' part (it may
  // take many samples at once) and the filter follows sample by sample,
  // each step beside alongside's work; otherwise all goes sample by sample.
  template <class Alongside>
  [[gnu::always_inline]] void ProcessRun(float* samples, int count, std::uint32_t counter, int position,
                                         DelaySpanFn span, Alongside alongside) {
    Run run = StartRun(position);
    const std::uint32_t first = counter + 1u;
    const std::uint32_t write = first & kRingMask;
    const std::uint32_t read = (first - run.length_) & kRingMask;
    const auto n = static_cast<std::uint32_t>(count);
    if (count <= kMaxSpan && write + n <= kLineSize && read + n <= kLineSize &&
        (read + n <= write || write + n <= read)) {
      float filterIn[kMaxSpan];
      span(samples, line_.data() + read, filterIn, count, run.feedback_, run.wet_, run.dry_);
      float* line = line_.data() + write;
      if (run.configured_) {
        LowpassSection::Taps taps = run.taps_;
        for (int i = 0; i < count; ++i) {
          line[i] = run.lowpass_.Step(filterIn[i], taps) + kDenormalGuard;
          alongside(i);
        }
        run.taps_ = taps;
      } else {
        for (int i = 0; i < count; ++i) {
          line[i] = filterIn[i] + kDenormalGuard + kDenormalGuard;
          alongside(i);
        }
      }
    } else {
      for (int i = 0; i < count; ++i) {
        samples[i] = run.Process(samples[i], first + static_cast<std::uint32_t>(i));
        alongside(i);
      }
    }
    FinishRun(run, (position + count) % 3);
  }

  std::int32_t length() const { return length_; }

 private:
  std::int32_t length_;
  float feedback_, dry_, wet_;
  bool filterPending_;
  float filterRequest_;
  float filterRate_;
  LowpassSection lowpass_;
  std::array<float, kLineSize> line_;
};
