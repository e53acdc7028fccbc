// One program of the bank: a complete setting and its name.
#pragma once

#include <array>
#include <atomic>

// Programs in the bank.
constexpr int kNumPrograms = 16;

class APluginProgram {
 public:
  static constexpr int kNumValues = 701;  // 0..49 parameters, 50 carried along, the rest unused
  static constexpr int kNameSize = 61;    // at most 60 characters and the terminator

  APluginProgram();

  void SetName(const char* text);  // reads up to the terminator or 60 characters
  // The name as it stands, terminated. A rename on another thread at the same
  // moment may give a mix of the two names, never a broken text.
  std::array<char, kNameSize> Name() const;

  // Values are shared between the host's threads and the audio thread.
  std::array<std::atomic<float>, kNumValues> fvar{};
  // The name, one character at a time, for the same reason: the host renames
  // on its UI thread while a bank export (parameter 33, possibly automated on
  // the audio thread) or another thread reads it.
  std::array<std::atomic<char>, kNameSize> name{};
};
