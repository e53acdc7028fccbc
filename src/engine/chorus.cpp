#include "engine/chorus.h"

void Chorus::Complete(double cosine) {
  const ChorusControls& c = request_;
  pending_ = false;
  std::int32_t length = FloorInt(c.length * 30.0 / 1000.0 * requestRate_);
  if (length > kMaxBaseLength) length = kMaxBaseLength;
  if (length < 0) length = 0;
  baseLength_ = length + 1;
  feedback_ = static_cast<float>(0.99 * c.feed);
  rate_ = SweepRate(c.speed, requestRate_);
  depth_ = static_cast<float>(0.99 * c.width);
  // The cosine may be off by 2^-50, which moves the delay by up to that
  // times the base length; where the rounding could notice, the library's
  // cosine decides.
  const double delay = (depth_ * cosine + 1.0) * baseLength_ + 1.0;
  const double margin = 0x1p-44 * (1.0 + std::fabs(delay) + baseLength_);
  const bool certain = static_cast<float>(delay - margin) == static_cast<float>(delay + margin);
  delay_ = certain ? static_cast<float>(delay) : DelayFor(std::cos(6.28318 * requestCounter_ * static_cast<double>(rate_)));
  // The delay holds still between ticks, so its split does too.
  whole_ = FloorInt(delay_);
  fraction_ = delay_ - static_cast<float>(whole_);
}
