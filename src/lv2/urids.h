// The URIs the adapter meets at run time, mapped once at instantiation.
#pragma once

#include <lv2/urid/urid.h>

namespace vyrtal::lv2 {

struct Urids {
  explicit Urids(const LV2_URID_Map& map);

  LV2_URID atomBlank, atomObject, atomSequence;
  LV2_URID atomFloat, atomDouble, atomInt, atomLong, atomString, atomTuple;
  LV2_URID midiEvent;
  LV2_URID timePosition, timeBeatsPerMinute;
  LV2_URID maxBlockLength, nominalBlockLength;
  LV2_URID logError;
  LV2_URID stateProgram, stateValues, stateNames, stateControls;
};

}  // namespace vyrtal::lv2
