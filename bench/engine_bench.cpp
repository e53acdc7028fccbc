// Cost of the sound engine per stereo frame, in the thread's CPU time, on
// each instruction set beside the scalar reference loop of the tests:
// held notes of "Default" (program 0) and "Vyrsh" (program 14, noise,
// chorus and delay on) with one, two, three and six voices, six voices in
// blocks of 32, 512 and 4096, silence, and the release tail after six notes.
//
// The long cases render tens of seconds before the timing starts, so that
// every decaying state would by then be deep among the subnormal floats
// (below 1.2e-38, where many processors slow down) were it not for the
// denormal guard; they should cost no more per frame than the notes did
// while playing.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "engine/param_array.h"
#include "engine/sound_engine.h"
#include "engine/tempo_source.h"
#include "reference/reference_engine.h"

namespace {

class FixedTempo : public TempoSource {
 public:
  float QueryTempo() override { return 120.0f; }
};

// Values 0..49 of factory programs 0 "Default" and 14 "Vyrsh".
constexpr std::array<float, 50> kDefault = {0.0f, 1.0f, 0.0f, 0.2f, 0.2f, 0.0f, 0.5f, 0.8f, 0.3f, 0.8f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
constexpr std::array<float, 50> kVyrsh = {0.65f, 0.80333334f, 0.33f, 0.44f, 0.74f, 0.0f, 0.73f, 0.8f, 1.0f, 0.45333335f, 0.0f, 0.0f, 0.25666666f, 0.0f, 0.6688963f, 0.60333335f, 0.17999998f, 0.95666665f, 0.51f, 0.75376886f, 0.18333334f, 0.73333335f, 0.45f, 0.5f, 0.6466667f, 0.53333336f, 0.79333335f, 0.93f, 0.75376886f, 1.0f, 0.96666664f, 0.68333334f, 0.75333333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

constexpr int kSampleRate = 44100;
constexpr std::array<int, 6> kChord = {48, 55, 60, 64, 67, 72};

// Which engine renders: the scalar loop or the engine on one instruction set.
enum Kind : int { kScalar = 0, kSse2 = 1, kAvx2 = 2 };

class Rig {
 public:
  Rig(Kind kind, int program, int block) : block_(block), left_(static_cast<std::size_t>(block)), right_(left_) {
    const auto& values = program == 14 ? kVyrsh : kDefault;
    for (auto& p : param_) p.store(0.0f);
    for (std::size_t i = 0; i < values.size(); ++i) param_[i].store(values[i]);
    param_[33].store(0.0f);
    if (kind == kScalar) {
      reference_ = std::make_unique<vyrtal_test::ReferenceEngine>();
      reference_->Init(&param_, &tempo_);
      reference_->SeedNoise(1);
    } else {
      engine_ = std::make_unique<SoundEngine>();
      engine_->Init(&param_, &tempo_);
      engine_->UseInstructionSet(kind == kAvx2 ? InstructionSet::kAvx2 : InstructionSet::kSse2);
      engine_->SeedNoise(1);
    }
  }

  // False when the processor lacks the instruction set asked for.
  bool Runs(Kind kind) const { return kind != kAvx2 || engine_->instructionSet() == InstructionSet::kAvx2; }

  void Hold(int voices) {
    for (int v = 0; v < voices; ++v) {
      if (engine_) engine_->NoteOn(kChord[static_cast<std::size_t>(v)], 100);
      if (reference_) reference_->NoteOn(kChord[static_cast<std::size_t>(v)], 100);
    }
  }
  void ReleaseAll() {
    if (engine_) engine_->ReleaseAll();
    if (reference_) reference_->ReleaseAll();
  }
  void Set(Param p, float value) { param_[static_cast<std::size_t>(p)].store(value); }

  void Render(int frames) {
    for (int done = 0; done < frames; done += block_) {
      if (engine_) engine_->Render(nullptr, left_.data(), right_.data(), block_, true);
      if (reference_) reference_->Render(nullptr, left_.data(), right_.data(), block_, true);
    }
    benchmark::DoNotOptimize(left_.data());
  }
  int block() const { return block_; }

 private:
  ParamArray param_{};
  FixedTempo tempo_;
  std::unique_ptr<SoundEngine> engine_;
  std::unique_ptr<vyrtal_test::ReferenceEngine> reference_;
  int block_;
  std::vector<float> left_, right_;
};

void Report(benchmark::State& state, std::int64_t frames) {
  state.SetItemsProcessed(frames);
  // CPU seconds per frame (shown with an SI prefix, e.g. 40n).
  state.counters["per_frame"] = benchmark::Counter(static_cast<double>(frames),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Block after block of what the rig is playing.
void Time(benchmark::State& state, Rig& rig) {
  std::int64_t frames = 0;
  for (auto _ : state) {
    rig.Render(rig.block());
    frames += rig.block();
  }
  Report(state, frames);
}

std::unique_ptr<Rig> MakeRig(benchmark::State& state, int program, int block) {
  const auto kind = static_cast<Kind>(state.range(0));
  auto rig = std::make_unique<Rig>(kind, program, block);
  if (!rig->Runs(kind)) {
    state.SkipWithError("no AVX2 on this processor");
    return nullptr;
  }
  return rig;
}

// Args: engine, program, voices, block.
void BM_Held(benchmark::State& state) {
  auto rig = MakeRig(state, static_cast<int>(state.range(1)), static_cast<int>(state.range(3)));
  if (!rig) return;
  rig->Hold(static_cast<int>(state.range(2)));
  rig->Render(kSampleRate);  // past the attack
  Time(state, *rig);
}
BENCHMARK(BM_Held)
    ->ArgNames({"engine", "program", "voices", "block"})
    ->ArgsProduct({{kScalar, kSse2, kAvx2}, {0, 14}, {6}, {512}})
    ->ArgsProduct({{kScalar, kSse2, kAvx2}, {0}, {1, 2, 3}, {512}})
    ->ArgsProduct({{kScalar, kSse2, kAvx2}, {0}, {6}, {32, 4096}});

// No note, both effects off.
void BM_Silence(benchmark::State& state) {
  auto rig = MakeRig(state, 0, 512);
  if (!rig) return;
  Time(state, *rig);
}
BENCHMARK(BM_Silence)->ArgNames({"engine"})->DenseRange(kScalar, kAvx2);

// The second after six Vyrsh notes end: the voices fall through their
// release while chorus and delay ring on.
void BM_ReleaseTail(benchmark::State& state) {
  auto rig = MakeRig(state, 14, 512);
  if (!rig) return;
  std::int64_t frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rig->Hold(6);
    rig->Render(kSampleRate / 2);
    rig->ReleaseAll();
    state.ResumeTiming();
    rig->Render(kSampleRate);
    frames += (kSampleRate + 511) / 512 * 512;
  }
  Report(state, frames);
}
BENCHMARK(BM_ReleaseTail)->ArgNames({"engine"})->DenseRange(kScalar, kAvx2)->Unit(benchmark::kMillisecond);

// Six notes held half a second and released; seconds of what follows
// rendered untimed, then block after block of it timed. Args: engine,
// program, seconds.
void BM_AfterNotesEnd(benchmark::State& state) {
  auto rig = MakeRig(state, static_cast<int>(state.range(1)), 512);
  if (!rig) return;
  rig->Hold(6);
  rig->Render(kSampleRate / 2);
  rig->ReleaseAll();
  rig->Render(static_cast<int>(state.range(2)) * kSampleRate);
  Time(state, *rig);
}
// 20 s after six Vyrsh notes: chorus and delay run on, the repeats near
// 1e-16; 120 s after, they would be far below the smallest subnormal; a
// minute after six Default notes (no effects) costs what silence does.
BENCHMARK(BM_AfterNotesEnd)
    ->ArgNames({"engine", "program", "seconds"})
    ->ArgsProduct({{kSse2, kAvx2}, {14}, {20, 120}})
    ->ArgsProduct({{kSse2, kAvx2}, {0}, {60}});

// Six Default notes held a minute past a short decay (there is no sustain
// level): all six voices still run, their resonators fed only the saw's DC
// offset, which they reject, so their states decay as in a release.
void BM_DecayedHeldNotes(benchmark::State& state) {
  auto rig = MakeRig(state, 0, 512);
  if (!rig) return;
  rig->Set(Param::kDecay, 0.3f);  // 15/32 beat: about a quarter second at 120 bpm
  rig->Hold(6);
  rig->Render(60 * kSampleRate);
  Time(state, *rig);
}
BENCHMARK(BM_DecayedHeldNotes)->ArgNames({"engine"})->DenseRange(kSse2, kAvx2);

}  // namespace

BENCHMARK_MAIN();
