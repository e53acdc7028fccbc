#include "host/midi_song.h"

#include <algorithm>

namespace vyrtal::host {

void SortSong(MidiSong& song) {
  const auto byTick = [](const auto& a, const auto& b) { return a.tick < b.tick; };
  std::stable_sort(song.events.begin(), song.events.end(), byTick);
  std::stable_sort(song.tempos.begin(), song.tempos.end(), byTick);
  std::stable_sort(song.meters.begin(), song.meters.end(), byTick);
}

}  // namespace vyrtal::host
