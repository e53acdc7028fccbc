// One program of the bank: a complete setting and its name.
#pragma once

#include <array>
#include <atomic>

class APluginProgram {
 public:
  static constexpr int kNumValues = 701;  // 0..49 parameters, 50 carried along, the rest unused
  static constexpr int kNameSize = 61;    // at most 60 characters and the terminator

  APluginProgram();

  void SetName(const char* text);  // reads up to the terminator or 60 characters

  // Values are shared between the host's threads and the audio thread.
  std::array<std::atomic<float>, kNumValues> fvar{};
  std::array<char, kNameSize> name{};
};
