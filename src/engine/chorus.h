// Chorus: one delay line with a cosine-swept read position and inverted
// feedback, mixed one to one with its input.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

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
    if (pending_) Compute(request_, requestCounter_, requestRate_);
  }

  // One sample at counter value counter. Beyond 8192 samples of delay (very
  // high rates) the read wraps within the ring.
  float Process(float s, std::uint32_t counter) {
    Update();
    const std::uint32_t k = static_cast<std::uint32_t>(whole_);
    const float y = (1.0f - fraction_) * line_[(counter - k) & kRingMask] +
                    fraction_ * line_[(counter - k - 1u) & kRingMask];
    line_[counter & kRingMask] = Clip1(s - feedback_ * y) + kDenormalGuard;
    return s + y + kDenormalGuard;
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
  void Compute(const ChorusControls& c, std::int32_t n, float sampleRate) {
    pending_ = false;
    std::int32_t length = FloorInt(c.length * 30.0 / 1000.0 * sampleRate);
    if (length > kMaxBaseLength) length = kMaxBaseLength;
    if (length < 0) length = 0;
    baseLength_ = length + 1;
    feedback_ = static_cast<float>(0.99 * c.feed);
    rate_ = static_cast<float>(Pow2(10.0 * c.speed) * kSweepBaseHz / sampleRate);
    depth_ = static_cast<float>(0.99 * c.width);
    delay_ = static_cast<float>(
        (depth_ * std::cos(6.28318 * n * static_cast<double>(rate_)) + 1.0) * baseLength_ + 1.0);
    // The delay holds still between ticks, so its split does too.
    whole_ = FloorInt(delay_);
    fraction_ = delay_ - static_cast<float>(whole_);
  }

  // Keeps the delay arithmetic far from overflow at any sample rate.
  static constexpr std::int32_t kMaxBaseLength = 1 << 20;

  bool pending_;
  ChorusControls request_;
  std::int32_t requestCounter_;
  float requestRate_;
  std::int32_t baseLength_;
  float feedback_, rate_, depth_, delay_;
  std::int32_t whole_;
  float fraction_;
  std::array<float, kLineSize> line_;
};
