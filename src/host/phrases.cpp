#include "host/phrases.h"

#include <algorithm>
#include <array>
#include <span>

namespace vyrtal::host {
namespace {

constexpr int kTicksPerQuarter = 480;

// One note of a phrase, in quarter notes.
struct PhraseNote {
  double start;
  double length;
  int key;
  int velocity;
};

struct Phrase {
  std::string_view name;
  std::span<const PhraseNote> notes;
};

// A rising line over an A minor chord, then the chord held: three seconds
// at 120 BPM.
constexpr std::array kMelody{
    PhraseNote{0.0, 0.5, 57, 100}, PhraseNote{0.5, 0.5, 60, 90},  PhraseNote{1.0, 0.5, 64, 95},
    PhraseNote{1.5, 0.5, 67, 90},  PhraseNote{2.0, 0.5, 69, 105}, PhraseNote{2.5, 0.5, 67, 85},
    PhraseNote{3.0, 0.5, 64, 90},  PhraseNote{3.5, 0.5, 62, 85},  PhraseNote{4.0, 2.0, 45, 100},
    PhraseNote{4.0, 2.0, 57, 90},  PhraseNote{4.0, 2.0, 64, 90},
};

// Six voices at once for four beats.
constexpr std::array kChord{
    PhraseNote{0.0, 4.0, 48, 100}, PhraseNote{0.0, 4.0, 55, 100}, PhraseNote{0.0, 4.0, 60, 100},
    PhraseNote{0.0, 4.0, 64, 100}, PhraseNote{0.0, 4.0, 67, 100}, PhraseNote{0.0, 4.0, 72, 100},
};

// Sixteenth notes up and down two octaves.
constexpr std::array kArpeggio{
    PhraseNote{0.00, 0.25, 48, 100}, PhraseNote{0.25, 0.25, 52, 90}, PhraseNote{0.50, 0.25, 55, 90},
    PhraseNote{0.75, 0.25, 60, 100}, PhraseNote{1.00, 0.25, 64, 90}, PhraseNote{1.25, 0.25, 67, 90},
    PhraseNote{1.50, 0.25, 72, 100}, PhraseNote{1.75, 0.25, 67, 90}, PhraseNote{2.00, 0.25, 64, 90},
    PhraseNote{2.25, 0.25, 60, 100}, PhraseNote{2.50, 0.25, 55, 90}, PhraseNote{2.75, 0.25, 52, 90},
    PhraseNote{3.00, 1.00, 48, 110},
};

// One held note: the plainest test of a sound.
constexpr std::array kNote{PhraseNote{0.0, 2.0, 60, 100}};

constexpr std::array kPhrases{
    Phrase{"melody", kMelody},
    Phrase{"chord", kChord},
    Phrase{"arpeggio", kArpeggio},
    Phrase{"note", kNote},
};

SongEvent Message(double beat, int status, int key, int velocity) {
  SongEvent event;
  event.tick = static_cast<std::uint64_t>(beat * kTicksPerQuarter + 0.5);
  event.bytes = {static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(velocity)};
  event.size = 3;
  return event;
}

}  // namespace

std::vector<std::string_view> PhraseNames() {
  std::vector<std::string_view> names;
  for (const Phrase& phrase : kPhrases) names.push_back(phrase.name);
  return names;
}

std::optional<MidiSong> MakePhrase(std::string_view name) {
  const auto found = std::find_if(kPhrases.begin(), kPhrases.end(), [&](const Phrase& p) { return p.name == name; });
  if (found == kPhrases.end()) return std::nullopt;
  MidiSong song;
  song.ticksPerQuarter = kTicksPerQuarter;
  for (const PhraseNote& note : found->notes) {
    song.events.push_back(Message(note.start, 0x90, note.key, note.velocity));
    song.events.push_back(Message(note.start + note.length, 0x80, note.key, 64));
    song.endTick = std::max(song.endTick, song.events.back().tick);
  }
  // Note-offs before note-ons at the same tick, so a repeated key restarts.
  std::stable_sort(song.events.begin(), song.events.end(), [](const SongEvent& a, const SongEvent& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    return (a.bytes[0] & 0xF0) == 0x80 && (b.bytes[0] & 0xF0) != 0x80;
  });
  return song;
}

}  // namespace vyrtal::host
