// The tests' event list: a few MIDI messages per block, heap-free, so that
// it can be built on a thread whose allocations are counted or raced against.
#pragma once

#include "frame/midi_event_list.h"

using MidiEventList = FixedMidiEventList<8>;
