// Test fixture pieces: an engine with its own parameter array and a tempo
// source the test controls, plus the sixteen factory programs' values.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/param_array.h"
#include "engine/sound_engine.h"
#include "engine/tempo_source.h"

namespace vyrtal_test {

class FakeTempo : public TempoSource {
 public:
  float QueryTempo() override {
    ++queries;
    return bpm;
  }
  float bpm = 120.0f;
  int queries = 0;
};

// Values 0..49 of factory programs 0..15, as the instrument writes them.
constexpr std::array<std::array<float, 50>, 16> kFactoryPrograms = {{
    {0.0f, 1.0f, 0.0f, 0.2f, 0.2f, 0.0f, 0.5f, 0.8f, 0.3f, 0.8f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.7f, 1.0f, 0.61f, 0.2f, 0.2f, 0.0f, 0.89f, 0.54f, 0.0f, 0.0f, 0.0f, 0.0f, 0.26666668f, 0.0f, 0.0f, 0.63f, 0.0f, 0.0f, 0.0f, 0.75376886f, 0.72f, 0.8f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.75376886f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.33333334f, 0.72f, 0.59f, 0.2f, 0.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.39f, 0.0f, 0.63f, 0.40666667f, 0.2512563f, 0.26666665f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.99f, 0.93333334f, 0.93f, 0.48333335f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.39f, 0.7866667f, 0.74f, 0.2f, 0.2f, 0.0f, 0.73f, 0.8f, 0.0f, 0.8f, 0.5566667f, 0.58666664f, 0.36f, 0.0f, 0.0f, 0.60333335f, 0.0f, 0.63f, 0.39333335f, 0.0f, 0.5f, 0.5f, 1.0f, 0.5f, 0.023333346f, 0.13666667f, 0.79333335f, 0.93f, 0.75376886f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.48333332f, 1.0f, 0.36f, 0.2f, 0.2f, 0.0f, 0.61f, 0.8f, 0.3f, 0.8f, 0.89f, 0.74666667f, 0.26333332f, 0.0f, 0.0f, 0.6333333f, 0.0f, 0.14333333f, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.13333334f, 0.77f, 0.2f, 0.2f, 0.0f, 0.5f, 0.8f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.41f, 0.0f, 0.0f, 0.0f, 0.75376886f, 0.52666664f, 0.98333335f, 0.7733333f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.2512563f, 0.86f, 0.9433333f, 0.8833333f, 0.34333333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.19666667f, 1.0f, 0.59f, 0.69f, 0.2f, 0.0f, 0.5f, 1.0f, 0.43333334f, 0.8566667f, 0.0f, 0.0f, 0.77f, 0.0f, 0.6688963f, 0.0f, 0.20000002f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0.5f, 0.8f, 0.17f, 0.78333336f, 0.25333333f, 0.2512563f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.61333334f, 0.67f, 0.2f, 0.2f, 0.0f, 0.5f, 1.0f, 0.3f, 0.8f, 0.0f, 0.0f, 0.25666666f, 0.0f, 0.6688963f, 0.51f, 0.43f, 0.9166666f, 0.20333336f, 0.75376886f, 0.033333335f, 0.99666667f, 0.6533333f, 0.5f, 0.083333336f, 0.19666667f, 0.07f, 0.9433333f, 0.75376886f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.9066667f, 0.74f, 0.7f, 0.2f, 0.0f, 0.5f, 1.0f, 0.8233333f, 0.77666664f, 0.79f, 0.76f, 0.27f, 0.0f, 0.0f, 0.7266667f, 0.0f, 0.57666665f, 0.19333333f, 0.0f, 0.5f, 0.5f, 1.0f, 0.5f, 0.78f, 0.27f, 0.91f, 0.5f, 0.75376886f, 1.0f, 0.8466667f, 0.33999997f, 0.87333333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.7f, 1.0f, 0.61f, 0.2f, 0.2f, 0.0f, 0.89f, 0.54f, 0.42333335f, 0.43333334f, 0.58f, 0.26000002f, 0.7633333f, 0.0f, 0.33444816f, 0.63f, 0.0f, 0.8333333f, 0.09f, 0.75376886f, 0.13000003f, 0.93333334f, 0.9033333f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.75376886f, 0.83666664f, 0.72333336f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.73333335f, 0.0f, 0.2f, 0.2f, 0.0f, 0.5f, 1.0f, 0.3f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.11666667f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.68666667f, 0.6166667f, 0.6666667f, 0.58666664f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.73333335f, 0.85f, 0.24f, 0.2f, 0.0f, 0.19666667f, 1.0f, 0.3f, 0.81666666f, 0.0f, 0.0f, 0.75f, 0.0f, 0.0f, 0.45f, 0.0f, 0.5133333f, 0.3466667f, 0.75376886f, 0.28f, 0.5f, 0.6f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.68666667f, 0.8566667f, 0.6666667f, 0.58666664f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 0.13333334f, 0.77f, 0.2f, 0.2f, 0.0f, 0.5f, 0.95f, 0.66f, 0.67f, 0.0f, 0.0f, 1.0f, 0.0f, 0.6688963f, 0.41f, 0.23333332f, 0.70666665f, 0.66333336f, 0.75376886f, 0.13333331f, 0.82f, 0.7733333f, 0.5f, 0.08333333f, 0.75666666f, 0.7933333f, 0.8833333f, 0.75376886f, 0.86f, 0.9433333f, 0.8833333f, 0.34333333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.74333334f, 0.0f, 0.74f, 0.2f, 0.2f, 0.0f, 0.5f, 0.91f, 0.84000003f, 0.69f, 1.0f, 0.73333335f, 0.5f, 0.0f, 0.0f, 0.53333336f, 0.0f, 0.69666666f, 0.6933334f, 0.75376886f, 0.63f, 0.35666665f, 0.53f, 0.31f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.65f, 0.80333334f, 0.33f, 0.44f, 0.74f, 0.0f, 0.73f, 0.8f, 1.0f, 0.45333335f, 0.0f, 0.0f, 0.25666666f, 0.0f, 0.6688963f, 0.60333335f, 0.17999998f, 0.95666665f, 0.51f, 0.75376886f, 0.18333334f, 0.73333335f, 0.45f, 0.5f, 0.6466667f, 0.53333336f, 0.79333335f, 0.93f, 0.75376886f, 1.0f, 0.96666664f, 0.68333334f, 0.75333333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 1.0f, 0.82f, 0.2f, 0.2f, 0.0f, 0.77666664f, 0.8f, 0.3f, 0.8f, 0.0f, 0.0f, 0.25333333f, 0.0f, 0.0f, 1.0f, 0.0f, 0.81333333f, 0.51000005f, 0.75376886f, 0.08f, 0.9f, 0.51666665f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.7766667f, 0.5733333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},}};

// Engine plus everything it reads; on the heap, since the lines are large.
struct Rig {
  ParamArray param{};
  FakeTempo tempo;
  SoundEngine engine;

  Rig() {
    for (auto& p : param) p.store(0.0f);
    engine.Init(&param, &tempo);
  }

  void Set(int index, float value) { param[static_cast<std::size_t>(index)].store(value); }
  void Set(Param index, float value) { Set(static_cast<int>(index), value); }

  // The live values of a factory program, and what a program change resets.
  void LoadProgram(int k) {
    for (int i = 0; i < 50; ++i) Set(i, kFactoryPrograms[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)]);
    Set(33, 0.0f);
    Set(50, 0.0f);
    engine.ReleaseAll();
    engine.ResetRunningSound();
  }

  // What a note-on does to voice v.
  void NoteOn(int v, int note, int velocity) { engine.StartVoice(v, note, velocity); }
  // Releases voice v (and any other voice on its key).
  void NoteOff(int v) { engine.NoteOff(static_cast<int>(engine.voice(v).noteTarget)); }

  // Renders n samples (replacing) into left and right, in blocks of block.
  void Run(std::vector<float>& left, std::vector<float>& right, std::size_t n, int block = 256,
           const float* input = nullptr) {
    left.assign(n, 0.0f);
    right.assign(n, 0.0f);
    std::size_t done = 0;
    while (done < n) {
      const std::size_t len = std::min<std::size_t>(static_cast<std::size_t>(block), n - done);
      engine.Render(input != nullptr ? input + done : nullptr, left.data() + done,
                    right.data() + done, static_cast<std::int32_t>(len), true);
      done += len;
    }
  }
  std::vector<float> RunLeft(std::size_t n) {
    std::vector<float> l, r;
    Run(l, r, n);
    return l;
  }
};

inline std::unique_ptr<Rig> MakeRig() { return std::make_unique<Rig>(); }

// Power of x at frequency hz (Goertzel), normalised by length.
inline double Goertzel(const std::vector<float>& x, std::size_t from, double hz, double rate) {
  const double w = 2.0 * 3.141592653589793 * hz / rate;
  const double c = 2.0 * std::cos(w);
  double s1 = 0.0, s2 = 0.0;
  for (std::size_t i = from; i < x.size(); ++i) {
    const double s0 = x[i] + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double n = static_cast<double>(x.size() - from);
  return (s1 * s1 + s2 * s2 - c * s1 * s2) / (n * n);
}

inline double Rms(const std::vector<float>& x, std::size_t from, std::size_t to) {
  double sum = 0.0;
  for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

}  // namespace vyrtal_test
