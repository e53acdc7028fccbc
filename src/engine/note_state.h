// Per-voice note state: written by MIDI handling, advanced by the engine.
// Eight slots, of which the first numVoices are used.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

constexpr int kVoiceSlots = 8;

struct NoteState {
  // Held keys; a program change on the host's other thread releases them.
  std::array<std::atomic<std::uint8_t>, kVoiceSlots> keyDown{};
  std::array<std::uint8_t, kVoiceSlots> attacking{};
  std::array<float, kVoiceSlots> noteTarget{};
  std::array<float, kVoiceSlots> velocity{};
  std::array<float, kVoiceSlots> ampEnv{};
  std::array<float, kVoiceSlots> filterEnv{};
};
