// Runs the built vyrtal executable as a user would, capturing its output.
#pragma once

#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vyrtal::host::test {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A scratch directory per test process, removed by the fixture.
inline std::filesystem::path ScratchDir() {
  auto dir = std::filesystem::temp_directory_path() / ("vyrtal-host-e2e-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

inline RunResult RunVyrtal(const std::vector<std::string>& args) {
  const auto dir = ScratchDir();
  std::string command = Quote(VYRTAL_EXE);
  for (const auto& arg : args) command += " " + Quote(arg);
  command += " > " + Quote((dir / "stdout.txt").string()) + " 2> " + Quote((dir / "stderr.txt").string());
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadText(dir / "stdout.txt");
  result.err = ReadText(dir / "stderr.txt");
  return result;
}

struct Wav {
  int rate = 0;
  int channels = 0;
  std::vector<float> samples;  // interleaved
  sf_count_t frames() const { return channels > 0 ? static_cast<sf_count_t>(samples.size()) / channels : 0; }
};

inline Wav ReadWav(const std::string& path) {
  Wav wav;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return wav;
  wav.rate = info.samplerate;
  wav.channels = info.channels;
  wav.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_float(file, wav.samples.data(), info.frames);
  sf_close(file);
  return wav;
}

// First frame at which channel exceeds level in magnitude, or -1.
inline sf_count_t Onset(const Wav& wav, int channel, float level) {
  for (sf_count_t i = 0; i < wav.frames(); ++i)
    if (std::abs(wav.samples[static_cast<std::size_t>(i * wav.channels + channel)]) > level) return i;
  return -1;
}

inline float Peak(const Wav& wav) {
  float peak = 0.0f;
  for (float s : wav.samples) peak = std::max(peak, std::abs(s));
  return peak;
}

}  // namespace vyrtal::host::test
