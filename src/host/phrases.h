// Built-in phrases: short pieces the host can play without a MIDI file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/midi_song.h"

namespace vyrtal::host {

std::vector<std::string_view> PhraseNames();

// The phrase as a song on MIDI channel 1 at 480 ticks per quarter note, or
// nothing when there is no phrase of that name.
std::optional<MidiSong> MakePhrase(std::string_view name);

}  // namespace vyrtal::host
