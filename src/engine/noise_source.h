// Uniform pseudo-random numbers for the noise excitation. Each engine owns
// one generator, so instances never share or race on a global state.
#pragma once

#include <array>
#include <cstdint>

// One step of Marsaglia's 32-bit xorshift.
constexpr std::uint32_t XorShiftStep(std::uint32_t s) {
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  return s;
}

// xorshift is linear in the bits of the state, so 16 steps are a 32 x 32
// bit matrix: applied a byte of the state at a time, from four tables of
// what each byte value turns into.
constexpr int kXorShiftJumpSteps = 16;
constexpr std::array<std::array<std::uint32_t, 256>, 4> XorShiftJumpTables() {
  std::array<std::uint32_t, 32> column{};
  for (int bit = 0; bit < 32; ++bit) {
    std::uint32_t s = 1u << bit;
    for (int n = 0; n < kXorShiftJumpSteps; ++n) s = XorShiftStep(s);
    column[static_cast<std::size_t>(bit)] = s;
  }
  std::array<std::array<std::uint32_t, 256>, 4> tables{};
  for (int byte = 0; byte < 4; ++byte) {
    for (int value = 0; value < 256; ++value) {
      std::uint32_t image = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if ((value >> bit & 1) != 0) image ^= column[static_cast<std::size_t>(8 * byte + bit)];
      }
      tables[static_cast<std::size_t>(byte)][static_cast<std::size_t>(value)] = image;
    }
  }
  return tables;
}
constexpr std::array<std::array<std::uint32_t, 256>, 4> kXorShiftJump = XorShiftJumpTables();

class NoiseSource {
 public:
  void Init() { state_ = kDefaultSeed; }

  // A zero seed would lock xorshift at zero; it is replaced by the default.
  void Seed(std::uint32_t seed) { state_ = seed != 0 ? seed : kDefaultSeed; }

  // Uniform in [0, 1): the top 24 bits of a 32-bit xorshift step, which a
  // float holds exactly.
  float Next() {
    state_ = XorShiftStep(state_);
    return Uniform(state_);
  }

  // The generator's state now and every 16 draws on, count of them: the
  // starts of stretches of draws that kernels step through side by side
  // (simd/voice_kernels.inl), and the state to resume from after them.
  void Stretches(int count, std::uint32_t* starts) const {
    starts[0] = state_;
    for (int c = 1; c < count; ++c) starts[c] = Jump(starts[c - 1]);
  }
  void Resume(std::uint32_t state) { state_ = state; }
  static constexpr int kStretch = kXorShiftJumpSteps;

 private:
  // Marsaglia's example seed for xorshift32; any non-zero value works.
  static constexpr std::uint32_t kDefaultSeed = 2463534242u;
  // 2^-24: maps the 24 kept bits onto [0, 1).
  static constexpr float kScale = 1.0f / 16777216.0f;
  static float Uniform(std::uint32_t s) { return static_cast<float>(s >> 8) * kScale; }
  static std::uint32_t Jump(std::uint32_t s) {
    return kXorShiftJump[0][s & 255u] ^ kXorShiftJump[1][s >> 8 & 255u] ^ kXorShiftJump[2][s >> 16 & 255u] ^
           kXorShiftJump[3][s >> 24];
  }

  std::uint32_t state_ = kDefaultSeed;
};
