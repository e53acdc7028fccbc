// Standard MIDI Files, formats 0 and 1: header, track chunks, running
// status, channel messages, tempo and time-signature meta events. Any
// malformed input ends in a HostError naming the problem; the reader never
// reads past the bytes it is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/midi_song.h"

namespace vyrtal::host {

// name prefixes the error messages (usually the file's name).
MidiSong ParseMidiFile(std::span<const std::uint8_t> bytes, const std::string& name);

// Reads and parses the file at path.
MidiSong ReadMidiFile(const std::string& path);

}  // namespace vyrtal::host
