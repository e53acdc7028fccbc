// Uniform pseudo-random numbers for the noise excitation. Each engine owns
// one generator, so instances never share or race on a global state.
#pragma once

#include <cstdint>

class NoiseSource {
 public:
  void Init() { state_ = kDefaultSeed; }

  // A zero seed would lock xorshift at zero; it is replaced by the default.
  void Seed(std::uint32_t seed) { state_ = seed != 0 ? seed : kDefaultSeed; }

  // The generator's state, for kernels that draw from it themselves with the
  // same steps as Next.
  std::uint32_t* state() { return &state_; }

  // Uniform in [0, 1): the top 24 bits of a 32-bit xorshift step, which a
  // float holds exactly.
  float Next() {
    std::uint32_t s = state_;
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    state_ = s;
    return static_cast<float>(s >> 8) * kScale;
  }

 private:
  // Marsaglia's example seed for xorshift32; any non-zero value works.
  static constexpr std::uint32_t kDefaultSeed = 2463534242u;
  // 2^-24: maps the 24 kept bits onto [0, 1).
  static constexpr float kScale = 1.0f / 16777216.0f;

  std::uint32_t state_ = kDefaultSeed;
};
