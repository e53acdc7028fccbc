// Where the music is at a given sample: quarter notes since the start, the
// tempo and the time signature in force, and where the current bar began.
#pragma once

#include <cstdint>
#include <vector>

namespace vyrtal::host {

struct MusicalPosition {
  double ppq = 0.0;
  double bpm = 120.0;
  double barStartPpq = 0.0;
  int numerator = 4;
  int denominator = 4;
};

class TempoMap {
 public:
  TempoMap(double sampleRate, double bpm);

  // A change from frame on; frames must not decrease from call to call.
  // Changes of time signature are taken to start a bar.
  void change(std::int64_t frame, double ppq, double bpm, int numerator, int denominator);

  MusicalPosition at(std::int64_t frame) const;
  double sampleRate() const { return sampleRate_; }

 private:
  struct Segment {
    std::int64_t frame;
    double ppq;
    double bpm;
    int numerator;
    int denominator;
    double barOriginPpq;
  };
  double sampleRate_;
  std::vector<Segment> segments_;
};

}  // namespace vyrtal::host
