// vyrtal bench: how fast a plug-in renders a fixed six-voice workload.
#pragma once

#include <ostream>
#include <string>

#include "host/midi_song.h"

namespace vyrtal::host {

struct BenchArgs {
  std::string plugin;
  std::string program;
  double seconds = 5.0;
  int runs = 5;
  double sampleRate = 44100.0;
  int blockSize = 512;
  bool verbose = false;
};

// Six keys struck together and struck again every second, held between.
MidiSong BenchWorkload(double seconds);

void RunBench(const BenchArgs& args, std::ostream& out);

}  // namespace vyrtal::host
