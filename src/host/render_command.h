// vyrtal render: plays a MIDI file or a built-in phrase into a WAV file.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vyrtal::host {

struct RenderArgs {
  std::string plugin;
  std::string program;              // number or name; empty: the plug-in's own
  std::vector<std::string> settings;  // INDEX=VALUE
  std::string midiFile;
  std::string phrase;
  double tempo = 120.0;
  double sampleRate = 44100.0;
  int blockSize = 512;
  std::optional<double> tailSeconds;
  std::string format = "f32";
  std::string output;
  bool quiet = false;
  bool verbose = false;
};

// Prints a summary line on out unless quiet; throws HostError on failure,
// leaving no output file.
void RunRender(const RenderArgs& args, std::ostream& out);

}  // namespace vyrtal::host
