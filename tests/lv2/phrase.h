// A phrase for both hosts: notes, controllers, a tempo change in the middle
// of a block and a control moved at a block's start, over a quiet tone at
// the first audio input.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "lilv_host.h"

namespace lv2test {

struct ControlMove {
  std::uint32_t frame;  // a multiple of the LV2 block
  std::string symbol;
  float value;
};

struct Phrase {
  std::uint32_t frames = 60000;
  std::vector<TimedEvent> events{
      {0, {}, 120.0},
      {0, {0x90, 57, 100}},
      {3000, {0x90, 64, 90}},
      {7000, {0xB0, 83, 100}},
      {10000, {0x91, 60, 80}},
      {12500, {0xB0, 91, 70}},
      {15000, {0xC0, 5}},
      {20000, {}, 90.0},
      {30000, {0x80, 57, 0}},
      {30000, {0x90, 64, 0}},
      {36000, {0x81, 60, 0}},
      {40000, {0xB0, 84, 110}},
  };
  std::vector<ControlMove> moves{
      {0, "type", 0.6688963f},
      {0, "delay", 1.0f},
      {24576, "filter_q", 0.6f},
  };
  std::vector<float> input = Tone(frames);

  static std::vector<float> Tone(std::uint32_t frames) {
    std::vector<float> tone(frames);
    for (std::uint32_t i = 0; i < frames; ++i) tone[i] = 0.05f * static_cast<float>(std::sin(i * 0.0288));
    return tone;
  }

  // Plays the phrase on an LV2 instance in blocks of Instance::kMaxBlock.
  void PlayOn(Instance& instance) const {
    for (std::uint32_t start = 0; start < frames; start += Instance::kMaxBlock) {
      const std::uint32_t length = std::min(Instance::kMaxBlock, frames - start);
      for (const ControlMove& move : moves) {
        if (move.frame == start) instance.Control(move.symbol) = move.value;
      }
      std::vector<TimedEvent> block;
      for (const TimedEvent& e : events) {
        if (e.frame >= start && e.frame < start + length) block.push_back({e.frame - start, e.midi, e.beatsPerMinute});
      }
      instance.Run(length, block);
    }
  }
};

}  // namespace lv2test
