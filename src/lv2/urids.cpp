#include "lv2/urids.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include "lv2/plugin_uris.h"

namespace vyrtal::lv2 {

namespace {

LV2_URID Map(const LV2_URID_Map& map, const char* uri) { return map.map(map.handle, uri); }

}  // namespace

Urids::Urids(const LV2_URID_Map& map)
    : atomBlank(Map(map, LV2_ATOM__Blank)),
      atomObject(Map(map, LV2_ATOM__Object)),
      atomSequence(Map(map, LV2_ATOM__Sequence)),
      atomFloat(Map(map, LV2_ATOM__Float)),
      atomDouble(Map(map, LV2_ATOM__Double)),
      atomInt(Map(map, LV2_ATOM__Int)),
      atomLong(Map(map, LV2_ATOM__Long)),
      atomString(Map(map, LV2_ATOM__String)),
      atomTuple(Map(map, LV2_ATOM__Tuple)),
      midiEvent(Map(map, LV2_MIDI__MidiEvent)),
      timePosition(Map(map, LV2_TIME__Position)),
      timeBeatsPerMinute(Map(map, LV2_TIME__beatsPerMinute)),
      maxBlockLength(Map(map, LV2_BUF_SIZE__maxBlockLength)),
      nominalBlockLength(Map(map, LV2_BUF_SIZE__nominalBlockLength)),
      logError(Map(map, LV2_LOG__Error)),
      stateProgram(Map(map, kStateProgramUri)),
      stateValues(Map(map, kStateValuesUri)),
      stateNames(Map(map, kStateNamesUri)),
      stateControls(Map(map, kStateControlsUri)) {}

}  // namespace vyrtal::lv2
