#include "host/tempo_map.h"

#include <algorithm>
#include <cmath>

namespace vyrtal::host {

TempoMap::TempoMap(double sampleRate, double bpm) : sampleRate_(sampleRate) {
  segments_.push_back({0, 0.0, bpm, 4, 4, 0.0});
}

void TempoMap::change(std::int64_t frame, double ppq, double bpm, int numerator, int denominator) {
  Segment& last = segments_.back();
  const bool meterChanged = numerator != last.numerator || denominator != last.denominator;
  const double origin = meterChanged ? ppq : last.barOriginPpq;
  if (frame <= last.frame) {
    last = {last.frame, last.ppq, bpm, numerator, denominator, meterChanged ? last.ppq : last.barOriginPpq};
    return;
  }
  segments_.push_back({frame, ppq, bpm, numerator, denominator, origin});
}

MusicalPosition TempoMap::at(std::int64_t frame) const {
  auto next = std::upper_bound(segments_.begin(), segments_.end(), frame,
                               [](std::int64_t f, const Segment& s) { return f < s.frame; });
  const Segment& s = next == segments_.begin() ? segments_.front() : *(next - 1);
  MusicalPosition position;
  position.ppq = s.ppq + static_cast<double>(frame - s.frame) / sampleRate_ * s.bpm / 60.0;
  position.bpm = s.bpm;
  position.numerator = s.numerator;
  position.denominator = s.denominator;
  const double barLength = s.numerator * 4.0 / s.denominator;
  const double bars = std::floor((position.ppq - s.barOriginPpq) / barLength);
  position.barStartPpq = s.barOriginPpq + std::max(0.0, bars) * barLength;
  return position;
}

}  // namespace vyrtal::host
