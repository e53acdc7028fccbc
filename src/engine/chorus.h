// Chorus: one delay line with a cosine-swept read position and inverted
// feedback, mixed one to one with its input.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "engine/engine_kernels.h"
#include "engine/numeric.h"

struct ChorusControls {
  float length = 0.0f;  // Chorus Length, 0..1: 1 sample to 30 ms
  float width = 0.0f;   // Chorus Width, 0..1: sweep depth
  float speed = 0.0f;   // Chorus Speed, 0..1: 0.00336 Hz to 3.4375 Hz
  float feed = 0.0f;    // Chorus Feed, 0..1
};

class Chorus {
 public:
  // The line holds 9001 samples; the first 8192 form the ring.
  static constexpr std::size_t kLineSize = 9001;
  static constexpr std::uint32_t kRingMask = 8191;
  // Sweep rate at Chorus Speed 0, in Hz: 3.4375 Hz / 2^10.
  static constexpr double kSweepBaseHz = 0.00335693359375;

  void Init() {
    pending_ = false;
    request_ = ChorusControls{};
    requestCounter_ = 0;
    requestRate_ = 0.0f;
    baseLength_ = 0;
    feedback_ = rate_ = depth_ = delay_ = 0.0f;
    rateSpeed_ = -1.0f;
    rateSampleRate_ = sweepRate_ = 0.0f;
    whole_ = 0;
    fraction_ = 0.0f;
    Clear();
  }

  void Clear() { line_.fill(0.0f); }

  // Takes the settings of a control tick; n is the sample counter as a signed
  // 32-bit number. The cosine and power are worked out when the stage next
  // runs, from these same values, so a switched-off chorus costs nothing.
  void Configure(const ChorusControls& c, std::int32_t n, float sampleRate) {
    request_ = c;
    requestCounter_ = n;
    requestRate_ = sampleRate;
    pending_ = true;
  }

  // Settings of the last tick, worked out now if not yet done.
  void Update() {
    if (pending_) Complete(std::cos(PendingAngle()));
  }

  // Whether the last tick's settings wait to be worked out, and the angle
  // whose cosine they need, so that a caller may work that cosine out
  // together with others.
  bool pending() const { return pending_; }
  double PendingAngle() {
    rate_ = SweepRate(request_.speed, requestRate_);
    return 6.28318 * requestCounter_ * static_cast<double>(rate_);
  }
  // Works the last tick's settings out from cosine, the cosine of
  // PendingAngle() within 2^-50. Where that error could round the delay
  // the other way, the library's cosine decides.
  void Complete(double cosine);

  // One sample at counter value counter. Beyond 8192 samples of delay (very
  // high rates) the read wraps within the ring.
  float Process(float s, std::uint32_t counter) { return StartRun().Process(s, counter); }

  // A run of samples stepped one at a time, by a loop that may run other
  // stages beside it: the last tick's settings in locals.
  class Run {
   public:
    // The sample at counter value n, as Process computes it.
    float Process(float s, std::uint32_t n) {
      const float y =
          (1.0f - fraction_) * line_[(n - whole_) & kRingMask] + fraction_ * line_[(n - whole_ - 1u) & kRingMask];
      line_[n & kRingMask] = Clip1(s - feedback_ * y) + kDenormalGuard;
      return s + y + kDenormalGuard;
    }

   private:
    friend class Chorus;
    float* line_;
    std::uint32_t whole_;
    float fraction_, feedback_;
  };

  Run StartRun() {
    Update();
    Run run;
    run.line_ = line_.data();
    run.whole_ = static_cast<std::uint32_t>(whole_);
    run.fraction_ = fraction_, run.feedback_ = feedback_;
    return run;
  }

  // count samples in place, the first at counter value counter + 1. Where
  // the run's reads and writes each lie in one stretch of the ring and the
  // two stretches do not meet, span works the run out (it may take many
  // samples at once); otherwise it goes sample by sample.
  void ProcessRun(float* samples, int count, std::uint32_t counter, ChorusSpanFn span) {
    Run run = StartRun();
    const std::uint32_t first = counter + 1u;
    const std::uint32_t write = first & kRingMask;
    const std::uint32_t older = (first - run.whole_ - 1u) & kRingMask;
    const auto n = static_cast<std::uint32_t>(count);
    if (write + n <= kRingMask + 1u && older + n <= kRingMask && (older + n < write || write + n <= older)) {
      span(samples, line_.data() + older, line_.data() + write, count, run.fraction_, run.feedback_);
      return;
    }
    for (int i = 0; i < count; ++i) samples[i] = run.Process(samples[i], first + static_cast<std::uint32_t>(i));
  }

  std::int32_t baseLength() {
    Update();
    return baseLength_;
  }
  float delay() {
    Update();
    return delay_;
  }

 private:
  float DelayFor(double cosine) const {
    return static_cast<float>((depth_ * cosine + 1.0) * baseLength_ + 1.0);
  }
  // Cycles per sample; kept from one tick to the next while the speed and
  // the sample rate stay.
  float SweepRate(float speed, float sampleRate) {
    if (!(speed == rateSpeed_ && sampleRate == rateSampleRate_)) {
      rateSpeed_ = speed;
      rateSampleRate_ = sampleRate;
      sweepRate_ = static_cast<float>(Pow2(10.0 * speed) * kSweepBaseHz / sampleRate);
    }
    return sweepRate_;
  }

  // Keeps the delay arithmetic far from overflow at any sample rate.
  static constexpr std::int32_t kMaxBaseLength = 1 << 20;

  bool pending_;
  ChorusControls request_;
  std::int32_t requestCounter_;
  float requestRate_;
  std::int32_t baseLength_;
  float feedback_, rate_, depth_, delay_;
  float rateSpeed_, rateSampleRate_, sweepRate_;
  std::int32_t whole_;
  float fraction_;
  std::array<float, kLineSize> line_;
};
