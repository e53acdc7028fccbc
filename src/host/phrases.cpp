#include "host/phrases.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace vyrtal::host {
namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kBendCentre = 8192;  // the pitch-bend wheel at rest, of 0..16383
constexpr int kBendTop = 16383;
constexpr int kBendStepsPerQuarter = 16;
constexpr int kSustainController = 64;

// One note of a phrase, in quarter notes.
struct PhraseNote {
  double start;
  double length;
  int key;
  int velocity;
};

// The pitch-bend wheel moved from one position to another (0..16383), in
// even steps of a sixteenth of a quarter note.
struct PhraseBend {
  double start;
  double length;
  int from;
  int to;
};

// The sustain pedal held down from one point to another, in quarter notes.
struct PhrasePedal {
  double down;
  double up;
};

struct Phrase {
  std::string_view name;
  std::span<const PhraseNote> notes;
  std::span<const PhraseBend> bends = {};
  std::span<const PhrasePedal> pedals = {};
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

// A held note bent up a whole step (at the usual range of two semitones)
// and back, then three short notes that the sustain pedal keeps sounding
// until it is let go.
constexpr std::array kBendNotes{
    PhraseNote{0.0, 2.0, 57, 100}, PhraseNote{2.0, 0.25, 60, 90}, PhraseNote{2.5, 0.25, 64, 90},
    PhraseNote{3.0, 0.25, 69, 95},
};
constexpr std::array kBendWheel{
    PhraseBend{0.5, 0.5, kBendCentre, kBendTop},
    PhraseBend{1.25, 0.5, kBendTop, kBendCentre},
};
constexpr std::array kBendPedal{PhrasePedal{2.0, 4.0}};

constexpr std::array kPhrases{
    Phrase{"melody", kMelody},
    Phrase{"chord", kChord},
    Phrase{"arpeggio", kArpeggio},
    Phrase{"note", kNote},
    Phrase{"bend", kBendNotes, kBendWheel, kBendPedal},
};

SongEvent Message(double beat, int status, int data1, int data2) {
  SongEvent event;
  event.tick = static_cast<std::uint64_t>(beat * kTicksPerQuarter + 0.5);
  event.bytes = {static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(data1), static_cast<std::uint8_t>(data2)};
  event.size = 3;
  return event;
}

void AddBend(std::vector<SongEvent>& events, const PhraseBend& bend) {
  const int steps = std::max(1, static_cast<int>(std::lround(bend.length * kBendStepsPerQuarter)));
  for (int i = 0; i <= steps; ++i) {
    const int position = bend.from + (bend.to - bend.from) * i / steps;
    events.push_back(Message(bend.start + bend.length * i / steps, 0xE0, position & 0x7F, position >> 7));
  }
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
  }
  for (const PhrasePedal& pedal : found->pedals) {
    song.events.push_back(Message(pedal.down, 0xB0, kSustainController, 127));
    song.events.push_back(Message(pedal.up, 0xB0, kSustainController, 0));
  }
  for (const PhraseBend& bend : found->bends) AddBend(song.events, bend);
  for (const SongEvent& event : song.events) song.endTick = std::max(song.endTick, event.tick);
  // Note-offs before note-ons at the same tick, so a repeated key restarts.
  std::stable_sort(song.events.begin(), song.events.end(), [](const SongEvent& a, const SongEvent& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    return (a.bytes[0] & 0xF0) == 0x80 && (b.bytes[0] & 0xF0) != 0x80;
  });
  return song;
}

}  // namespace vyrtal::host
