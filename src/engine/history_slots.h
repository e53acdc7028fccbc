// Slot indices into the three-slot sample rings that every second-order
// section keeps. One position is shared by all sections and advances once per
// sample whether a section runs or not, so a section that pauses picks up
// whatever its rings hold at the new position.
#pragma once

#include <cstdint>

struct HistorySlots {
  std::uint8_t current = 0;
  std::uint8_t oneBack = 1;
  std::uint8_t twoBack = 2;

  // Slots for ring position 0..2: the current sample at the position, the
  // older ones behind it.
  static HistorySlots At(std::uint8_t position) {
    HistorySlots h;
    h.current = position;
    h.oneBack = static_cast<std::uint8_t>(position == 0 ? 2 : position - 1);
    h.twoBack = static_cast<std::uint8_t>(position == 2 ? 0 : position + 1);
    return h;
  }
};
