// Where the render loop gets the host's tempo from.
#pragma once

class TempoSource {
 public:
  virtual ~TempoSource() = default;
  // Tempo in beats per minute, or anything below 1 when the host has none.
  virtual float QueryTempo() = 0;
};
