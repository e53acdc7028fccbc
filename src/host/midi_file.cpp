#include "host/midi_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "host/byte_reader.h"
#include "host/host_error.h"

namespace vyrtal::host {
namespace {

constexpr std::size_t kMaxFileBytes = 64u << 20;
constexpr std::uint8_t kMetaEvent = 0xFF;
constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kSysExEscape = 0xF7;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaTimeSignature = 0x58;

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
  return text;
}

// Data bytes that follow a channel status byte.
int DataBytes(std::uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
      return 1;
    default:
      return 2;
  }
}

void ReadHeader(ByteReader& file, const std::string& name, MidiSong& song, int& trackCount) {
  if (file.remaining() < 14) throw HostError(name + ": not a MIDI file (too short for a header)");
  const auto id = file.take(4);
  if (!std::equal(id.begin(), id.end(), "MThd")) throw HostError(name + ": not a MIDI file (no MThd header)");
  const std::uint32_t length = file.u32();
  if (length < 6) throw HostError(name + ": header chunk is too short");
  if (length > file.remaining()) throw HostError(name + ": header chunk length exceeds the file");
  const std::uint16_t format = file.u16();
  trackCount = file.u16();
  const std::uint16_t division = file.u16();
  file.skip(length - 6);
  if (format > 1) throw HostError(name + ": MIDI file format " + std::to_string(format) + " is not supported (0 and 1 are)");
  if (trackCount == 0) throw HostError(name + ": MIDI file has no tracks");
  if (format == 0 && trackCount != 1) throw HostError(name + ": format 0 MIDI file with more than one track");
  if ((division & 0x8000u) != 0) {
    const int framesPerSecond = -static_cast<int>(static_cast<std::int8_t>(division >> 8));
    const int ticksPerFrame = division & 0xFF;
    if (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30)
      throw HostError(name + ": invalid SMPTE frame rate in the header");
    if (ticksPerFrame == 0) throw HostError(name + ": zero ticks per SMPTE frame");
    const double fps = framesPerSecond == 29 ? 30000.0 / 1001.0 : framesPerSecond;
    song.ticksPerSecond = fps * ticksPerFrame;
    song.ticksPerQuarter = 0;
  } else {
    if (division == 0) throw HostError(name + ": zero ticks per quarter note");
    song.ticksPerQuarter = division;
  }
}

void ReadMeta(ByteReader& track, const std::string& what, std::uint64_t tick, MidiSong& song, bool& ended) {
  const std::uint8_t type = track.u8();
  if (type >= 0x80) throw HostError(what + ": meta event type " + Hex(type) + " out of range");
  const std::uint32_t length = track.varLen();
  if (length > track.remaining()) throw HostError(what + ": meta event length exceeds the track");
  const auto data = track.take(length);
  switch (type) {
    case kMetaEndOfTrack:
      ended = true;
      break;
    case kMetaTempo: {
      if (length != 3) throw HostError(what + ": tempo meta event of length " + std::to_string(length));
      const std::uint32_t micros = (std::uint32_t{data[0]} << 16) | (std::uint32_t{data[1]} << 8) | data[2];
      if (micros == 0) throw HostError(what + ": tempo of zero microseconds per quarter note");
      song.tempos.push_back({tick, micros});
      break;
    }
    case kMetaTimeSignature: {
      if (length < 2) throw HostError(what + ": time signature meta event too short");
      if (data[0] == 0 || data[1] > 6) throw HostError(what + ": invalid time signature");
      song.meters.push_back({tick, data[0], 1 << data[1]});
      break;
    }
    default:
      break;
  }
}

std::uint64_t ReadTrack(std::span<const std::uint8_t> bytes, const std::string& what, MidiSong& song) {
  ByteReader track(bytes, what);
  std::uint64_t tick = 0;
  std::uint8_t runningStatus = 0;
  bool ended = false;
  while (!ended && !track.atEnd()) {
    tick += track.varLen();
    std::uint8_t status = track.peek();
    if ((status & 0x80) != 0) {
      track.u8();
    } else if (runningStatus == 0) {
      throw HostError(what + ": running status with no status byte before it");
    } else {
      status = runningStatus;
    }
    if (status == kMetaEvent) {
      runningStatus = 0;
      ReadMeta(track, what, tick, song, ended);
    } else if (status == kSysEx || status == kSysExEscape) {
      runningStatus = 0;
      const std::uint32_t length = track.varLen();
      if (length > track.remaining()) throw HostError(what + ": system exclusive length exceeds the track");
      track.skip(length);
    } else if (status >= 0xF0) {
      throw HostError(what + ": unexpected status byte " + Hex(status));
    } else {
      runningStatus = status;
      SongEvent event;
      event.tick = tick;
      event.bytes[0] = status;
      event.size = static_cast<std::uint8_t>(1 + DataBytes(status));
      for (int i = 1; i < event.size; ++i) {
        const std::uint8_t data = track.u8();
        if ((data & 0x80) != 0) throw HostError(what + ": data byte " + Hex(data) + " where a value 0..127 belongs");
        event.bytes[static_cast<std::size_t>(i)] = data;
      }
      // A note-on of velocity 0 is a note-off; say so plainly.
      if ((status & 0xF0) == 0x90 && event.bytes[2] == 0) {
        event.bytes[0] = static_cast<std::uint8_t>(0x80 | (status & 0x0F));
        event.bytes[2] = 64;
      }
      song.events.push_back(event);
    }
  }
  return tick;
}

}  // namespace

MidiSong ParseMidiFile(std::span<const std::uint8_t> bytes, const std::string& name) {
  MidiSong song;
  ByteReader file(bytes, name);
  int trackCount = 0;
  ReadHeader(file, name, song, trackCount);
  int tracksRead = 0;
  while (tracksRead < trackCount) {
    if (file.remaining() < 8)
      throw HostError(name + ": truncated, " + std::to_string(tracksRead) + " of " + std::to_string(trackCount) +
                      " tracks present");
    const std::size_t at = file.position();
    const auto id = file.take(4);
    const std::uint32_t length = file.u32();
    if (length > file.remaining())
      throw HostError(name + ": chunk at byte " + std::to_string(at) + " claims " + std::to_string(length) +
                      " bytes but only " + std::to_string(file.remaining()) + " remain");
    const auto body = file.take(length);
    if (!std::equal(id.begin(), id.end(), "MTrk")) continue;  // unknown chunks are skipped
    ++tracksRead;
    const std::uint64_t end = ReadTrack(body, name + ": track " + std::to_string(tracksRead), song);
    song.endTick = std::max(song.endTick, end);
  }
  SortSong(song);
  return song;
}

MidiSong ReadMidiFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) throw HostError("MIDI file not found: " + path);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HostError("cannot open MIDI file " + path);
  std::vector<std::uint8_t> bytes;
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (bytes.size() > kMaxFileBytes) throw HostError(path + ": larger than 64 MiB, not a MIDI file this host reads");
  }
  if (in.bad()) throw HostError("cannot read MIDI file " + path);
  return ParseMidiFile(bytes, path);
}

}  // namespace vyrtal::host
