// Where a dial's marks and pointer go: points around the dial's centre
// (26, 26) at an angle measured from straight down, clockwise on screen.
#pragma once

#include <cmath>

#include "engine/numeric.h"

constexpr int kDialCentre = 26;
constexpr double kDialLowMarkAngle = 0.7853975;   // one eighth of a turn
constexpr double kDialHighMarkAngle = 5.4977825;  // seven eighths of a turn
constexpr double kDialSweep = 1.5 * 3.14159;      // three quarters of a turn
constexpr double kDialPointerLength = 13.0;

struct DialPoint {
  int x;
  int y;
  bool operator==(const DialPoint&) const = default;
};

inline DialPoint DialPointAt(double angle, double r) {
  return {FloorInt(kDialCentre - r * std::sin(angle)), FloorInt(kDialCentre + r * std::cos(angle))};
}

// The pointer's end for a value 0..1: 0 at the lower-left mark, 0.5 straight
// up, 1 at the lower-right mark.
inline DialPoint DialPointer(float value) {
  return DialPointAt(static_cast<double>(value) * 1.5 * 3.14159 + kDialLowMarkAngle, kDialPointerLength);
}
