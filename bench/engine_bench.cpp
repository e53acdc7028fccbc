// Cost of the sound engine per stereo frame: silence, six held voices on
// the default program, six voices on "Vyrsh" (noise, chorus and delay on),
// the release tail after the notes end, that tail long after and the
// silence after it, and held notes long after their decay. The long cases
// render tens of seconds before the timing starts, so that every decaying
// state would by then be deep among the subnormal floats (below 1.2e-38,
// where many processors slow down) were it not for the denormal guard; they
// should cost no more per frame than the notes did while playing.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "engine/param_array.h"
#include "engine/sound_engine.h"
#include "engine/tempo_source.h"

namespace {

class FixedTempo : public TempoSource {
 public:
  float QueryTempo() override { return 120.0f; }
};

// Values 0..49 of factory programs 0 "Default" and 14 "Vyrsh".
constexpr std::array<float, 50> kDefault = {0.0f, 1.0f, 0.0f, 0.2f, 0.2f, 0.0f, 0.5f, 0.8f, 0.3f, 0.8f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
constexpr std::array<float, 50> kVyrsh = {0.65f, 0.80333334f, 0.33f, 0.44f, 0.74f, 0.0f, 0.73f, 0.8f, 1.0f, 0.45333335f, 0.0f, 0.0f, 0.25666666f, 0.0f, 0.6688963f, 0.60333335f, 0.17999998f, 0.95666665f, 0.51f, 0.75376886f, 0.18333334f, 0.73333335f, 0.45f, 0.5f, 0.6466667f, 0.53333336f, 0.79333335f, 0.93f, 0.75376886f, 1.0f, 0.96666664f, 0.68333334f, 0.75333333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

constexpr int kBlock = 512;
constexpr int kSampleRate = 44100;

struct Rig {
  ParamArray param{};
  FixedTempo tempo;
  SoundEngine engine;
  std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);

  explicit Rig(const std::array<float, 50>& program) {
    for (auto& p : param) p.store(0.0f);
    for (std::size_t i = 0; i < program.size(); ++i) param[i].store(program[i]);
    param[33].store(0.0f);
    engine.Init(&param, &tempo);
    engine.SeedNoise(1);
  }

  void HoldSixNotes() {
    static constexpr std::array<int, 6> kNotes = {48, 55, 60, 64, 67, 72};
    for (std::size_t v = 0; v < 6; ++v) {
      engine.notes.keyDown[v].store(1);
      engine.notes.attacking[v] = 1;
      engine.notes.noteTarget[v] = static_cast<float>(kNotes[v]);
      engine.notes.velocity[v] = 100.0f / 127.0f;
      engine.notes.ampEnv[v] = 0.0f;
      engine.notes.filterEnv[v] = 1.0f;
    }
  }

  void Set(Param p, float value) { param[static_cast<std::size_t>(p)].store(value); }

  void ReleaseAll() {
    for (std::size_t v = 0; v < 6; ++v) engine.notes.keyDown[v].store(0);
  }

  void Render(int frames) {
    for (int done = 0; done < frames; done += kBlock) {
      engine.Render(nullptr, left.data(), right.data(), kBlock, true);
    }
  }
};

void Report(benchmark::State& state, std::int64_t frames) {
  state.SetItemsProcessed(frames);
  // Seconds per frame (shown with an SI prefix, e.g. 40n).
  state.counters["per_frame"] = benchmark::Counter(
      static_cast<double>(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Times block after block of what the rig is playing.
void RenderBlocks(benchmark::State& state, Rig& rig) {
  std::int64_t frames = 0;
  for (auto _ : state) {
    rig.Render(kBlock);
    benchmark::DoNotOptimize(rig.left.data());
    frames += kBlock;
  }
  Report(state, frames);
}

void BM_Silence(benchmark::State& state) {
  auto rig = std::make_unique<Rig>(kDefault);
  RenderBlocks(state, *rig);
}
BENCHMARK(BM_Silence);

void HeldVoices(benchmark::State& state, const std::array<float, 50>& program) {
  auto rig = std::make_unique<Rig>(program);
  rig->HoldSixNotes();
  rig->Render(kSampleRate);  // past the attack
  RenderBlocks(state, *rig);
}

void BM_SixVoicesDefault(benchmark::State& state) { HeldVoices(state, kDefault); }
BENCHMARK(BM_SixVoicesDefault);

void BM_SixVoicesVyrsh(benchmark::State& state) { HeldVoices(state, kVyrsh); }
BENCHMARK(BM_SixVoicesVyrsh);

// One second after six Vyrsh notes end: the voices fall through their
// release while chorus and delay ring on.
void BM_ReleaseTailVyrsh(benchmark::State& state) {
  auto rig = std::make_unique<Rig>(kVyrsh);
  std::int64_t frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rig->HoldSixNotes();
    rig->Render(kSampleRate / 2);
    rig->ReleaseAll();
    state.ResumeTiming();
    rig->Render(kSampleRate);
    benchmark::DoNotOptimize(rig->left.data());
    frames += (kSampleRate + kBlock - 1) / kBlock * kBlock;
  }
  Report(state, frames);
}
BENCHMARK(BM_ReleaseTailVyrsh)->Unit(benchmark::kMillisecond);

// Six notes held half a second and released; seconds of what follows
// rendered untimed, then block after block of it timed.
void AfterNotesEnd(benchmark::State& state, const std::array<float, 50>& program, int seconds) {
  auto rig = std::make_unique<Rig>(program);
  rig->HoldSixNotes();
  rig->Render(kSampleRate / 2);
  rig->ReleaseAll();
  rig->Render(seconds * kSampleRate);
  RenderBlocks(state, *rig);
}

// 20 s after six Vyrsh notes end: the voices have long stopped; chorus and
// delay run on, the delay's repeats falling by 0.73 every 0.17 s (1e-16 by
// now, below 1e-38 half a minute later).
void BM_LongTailVyrsh(benchmark::State& state) { AfterNotesEnd(state, kVyrsh, 20); }
BENCHMARK(BM_LongTailVyrsh);

// Two minutes after: the repeats would be near 1e-94, far below the
// smallest subnormal, so only the guard keeps the lines at a normal level.
void BM_SilenceAfterTailVyrsh(benchmark::State& state) { AfterNotesEnd(state, kVyrsh, 120); }
BENCHMARK(BM_SilenceAfterTailVyrsh);

// A minute after six Default notes end, no effects: no voice runs, so this
// costs what BM_Silence does.
void BM_SilenceAfterTailDefault(benchmark::State& state) { AfterNotesEnd(state, kDefault, 60); }
BENCHMARK(BM_SilenceAfterTailDefault);

// Six Default notes held a minute past a short decay (there is no sustain
// level): all six voices still run, their resonators fed only the saw's DC
// offset, which they reject, so their states decay as in a release.
void BM_DecayedHeldNotesDefault(benchmark::State& state) {
  auto rig = std::make_unique<Rig>(kDefault);
  rig->Set(Param::kDecay, 0.3f);  // 15/32 beat: about a quarter second at 120 bpm
  rig->HoldSixNotes();
  rig->Render(60 * kSampleRate);
  RenderBlocks(state, *rig);
}
BENCHMARK(BM_DecayedHeldNotesDefault);

}  // namespace

BENCHMARK_MAIN();
