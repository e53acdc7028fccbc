#include "engine/sound_engine.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/history_slots.h"
#include "engine/numeric.h"
#include "engine/parameter_choices.h"
#include "engine/tables.h"

namespace {

constexpr float kNotANumber = std::numeric_limits<float>::quiet_NaN();

// The ring position k samples after position p.
int Advance(int p, int k) { return (p + k) % kHistorySlots; }

}  // namespace

void SoundEngine::Init(const ParamArray* param, TempoSource* tempoSource) {
  param_ = param;
  tempoSource_ = tempoSource;
  kernels_ = &KernelsFor(PreferredInstructionSet());
  curSampleRate.store(44100.0f, std::memory_order_relaxed);
  blockRate_ = 44100.0f;
  sampleCounter_ = 0;
  historyPosition_ = 0;
  tempo_ = 0.0f;
  rates_.Init();
  modulation_.Init();
  oscType_ = OscType::kSaw;
  stereoDelay_ = 0;
  outputGain_ = 0.0f;
  modulationRequest_ = ModulationControls{};
  modulationCounter_ = 0;
  modulationRate_ = 44100.0f;
  modulationPending_ = false;
  delayRequest_ = DelayControls{};
  delayRate_ = 44100.0f;
  delayTempo_ = kDefaultTempo;
  delayPending_ = false;
  // NaN: no control value matches it, so the first tick works them out.
  stereoAmount_ = volume_ = bandWidth_ = pitchInertia_ = vowelInertia_ = kNotANumber;
  rateControls_ = {kNotANumber, kNotANumber, kNotANumber, kNotANumber};
  rateSampleRate_ = rateTempo_ = kNotANumber;
  width_ = FormantWidth{};
  pitchGlide_ = vowelGlide_ = 0.0f;
  for (auto& key : keyDown_) key.store(0, std::memory_order_relaxed);
  lastVoice_ = 0;
  pedal_ = false;
  sustained_.fill(0);
  bendOctaves_ = 0.0f;
  std::memset(&lanes_, 0, sizeof lanes_);
  for (int v = 0; v < kVoiceSlots; ++v) {
    for (LaneFloats* from : {&lanes_.formantFromPosition, &lanes_.formantFromOctaves, &lanes_.formantFromVowelPitch,
                             &lanes_.formantFromWidthK, &lanes_.formantFromWidthA, &lanes_.formantFromRate,
                             &lanes_.stepFromOctaves, &lanes_.stepFromRate, &lanes_.lowpassFromEnv,
                             &lanes_.lowpassFromDepth, &lanes_.lowpassFromFreq, &lanes_.lowpassFromQ,
                             &lanes_.lowpassFromRate}) {
      (*from)[v] = kNotANumber;
    }
  }
  // The run buffers: kernels may read whole batches past a run's end.
  std::memset(excitation_.data(), 0, sizeof excitation_);
  std::memset(voiceOutput_.data(), 0, sizeof voiceOutput_);
  noiseDraws_.fill(0.0f);
  noise_.Init();
  noiseRead_ = noiseHeld_ = 0;
  chorus_.Init();
  delay_.Init();
  stereoLine_.fill(0.0f);
  stereoZeros_ = kStereoLineSize;
}

void SoundEngine::ClearLines() {
  delay_.Clear();
  chorus_.Clear();
  stereoLine_.fill(0.0f);
  stereoZeros_ = kStereoLineSize;
}

void SoundEngine::ResetRunningSound() {
  std::memset(lanes_.lowpassIn, 0, sizeof lanes_.lowpassIn);
  std::memset(lanes_.lowpassOut, 0, sizeof lanes_.lowpassOut);
  ClearLines();
}

// --- Notes -------------------------------------------------------------------

void SoundEngine::StartVoice(int v, int key, int velocity) {
  if (v < 0 || v >= numVoices) return;
  keyDown_[static_cast<std::size_t>(v)].store(1, std::memory_order_relaxed);
  sustained_[static_cast<std::size_t>(v)] = 0;
  lanes_.attacking[v] = 1.0f;
  lanes_.noteTarget[v] = static_cast<float>(key);
  lanes_.velocity[v] = static_cast<float>(velocity) / 127.0f;
  lanes_.ampEnv[v] = 0.0f;
  lanes_.filterEnv[v] = 1.0f;
}

void SoundEngine::NoteOn(int key, int velocity) {
  lastVoice_ = (lastVoice_ + 1) % numVoices;
  for (int n = 0; n < numVoices; ++n) {
    if (keyDown_[static_cast<std::size_t>(lastVoice_)].load(std::memory_order_relaxed) == 1) {
      lastVoice_ = (lastVoice_ + 1) % numVoices;
    }
  }
  StartVoice(lastVoice_, key, velocity);
}

void SoundEngine::NoteOff(int key) {
  for (int v = 0; v < numVoices; ++v) {
    const auto s = static_cast<std::size_t>(v);
    if (lanes_.noteTarget[v] != static_cast<float>(key)) continue;
    // With the pedal down a held key's voice sounds on, as if still held.
    if (pedal_ && keyDown_[s].load(std::memory_order_relaxed) == 1) {
      sustained_[s] = 1;
    } else {
      keyDown_[s].store(0, std::memory_order_relaxed);
    }
  }
}

void SoundEngine::ReleaseAll() {
  for (auto& key : keyDown_) key.store(0, std::memory_order_relaxed);
}

void SoundEngine::SetSustain(bool down) {
  pedal_ = down;
  if (down) return;
  for (std::size_t v = 0; v < sustained_.size(); ++v) {
    if (sustained_[v] != 0) keyDown_[v].store(0, std::memory_order_relaxed);
    sustained_[v] = 0;
  }
}

void SoundEngine::AllNotesOff() {
  ReleaseAll();
  sustained_.fill(0);
}

void SoundEngine::AllSoundOff() {
  AllNotesOff();
  for (int v = 0; v < kVoiceSlots; ++v) lanes_.ampEnv[v] = 0.0f;
  delay_.ClearFilter();
  ClearLines();
}

void SoundEngine::SetEnvelopeLevels(int v, float ampEnv, float filterEnv) {
  if (v < 0 || v >= kVoiceSlots) return;
  lanes_.ampEnv[v] = ampEnv;
  lanes_.filterEnv[v] = filterEnv;
}

VoiceView SoundEngine::voice(int v) const {
  const int s = v < 0 ? 0 : (v >= kVoiceSlots ? kVoiceSlots - 1 : v);
  return {keyDown_[static_cast<std::size_t>(s)].load(std::memory_order_relaxed) == 1,
          sustained_[static_cast<std::size_t>(s)] != 0,
          static_cast<std::uint8_t>(lanes_.attacking[s] > 0.5f ? 1 : 0),
          lanes_.noteTarget[s],
          lanes_.velocity[s],
          lanes_.ampEnv[s],
          lanes_.filterEnv[s],
          lanes_.pitch[s],
          lanes_.vowelPos[s],
          lanes_.pitchOctaves[s],
          static_cast<std::uint16_t>(lanes_.phase[s]),
          lanes_.phaseInc[s]};
}

// --- Control tick --------------------------------------------------------------

const Modulation& SoundEngine::modulation() {
  UpdateSweeps(false);
  return modulation_;
}

Chorus& SoundEngine::chorus() {
  UpdateSweeps(true);
  return chorus_;
}

const Delay& SoundEngine::delay() {
  UpdateDelay();
  return delay_;
}

void SoundEngine::ControlTick() {
  const float rate = blockRate_;
  const std::int32_t n = static_cast<std::int32_t>(sampleCounter_);

  // The delay and the LFOs are worked out from this tick's controls when
  // something first needs them: a delay that is switched on, a voice that
  // runs. The chorus defers its own work likewise.
  delayRequest_ = {P(Param::kDelayLength), P(Param::kDelayFeed), P(Param::kDelayFilter), P(Param::kDelayMix)};
  delayRate_ = rate;
  delayTempo_ = tempo_;
  delayPending_ = true;
  chorus_.Configure({P(Param::kChorusLength), P(Param::kChorusWidth), P(Param::kChorusSpeed),
                     P(Param::kChorusFeed)},
                    n, rate);
  modulationRequest_ = {P(Param::kVibAmount),  P(Param::kVibSpeed),  P(Param::kTremAmount),
                        P(Param::kTremSpeed), P(Param::kWahAmount), P(Param::kWahSpeed)};
  modulationCounter_ = n;
  modulationRate_ = rate;
  modulationPending_ = true;

  oscType_ = ExcitationType(P(Param::kOscType));

  // 2^(9 x amount) + 1: 2 to 513 samples.
  const float stereoAmount = P(Param::kStereo);
  if (!(stereoAmount == stereoAmount_)) {
    stereoAmount_ = stereoAmount;
    std::int32_t stereo = FloorInt(Pow2(9.0 * stereoAmount) + 1.0);
    if (stereo < 0) stereo = 0;
    if (stereo > static_cast<std::int32_t>(kStereoMask)) stereo = static_cast<std::int32_t>(kStereoMask);
    stereoDelay_ = stereo;
  }

  const EnvelopeControls envelope{P(Param::kAttack), P(Param::kDecay), P(Param::kRelease),
                                  P(Param::kFilterRelease)};
  if (!(envelope.attack == rateControls_.attack && envelope.decay == rateControls_.decay &&
        envelope.release == rateControls_.release && envelope.filterRelease == rateControls_.filterRelease &&
        rate == rateSampleRate_ && tempo_ == rateTempo_)) {
    rateControls_ = envelope;
    rateSampleRate_ = rate;
    rateTempo_ = tempo_;
    rates_.Configure(envelope, rate, tempo_);
  }

  // -40 dB to 0 dB.
  const float volume = P(Param::kVolume);
  if (!(volume == volume_)) {
    volume_ = volume;
    outputGain_ = DbToGain(volume, 40.0f, 40.0f);
  }
}

// The LFOs (and, when asked, the chorus sweep) of the last tick, worked out
// when first needed: their three sines and the chorus's cosine in one batch.
void SoundEngine::UpdateSweeps(bool withChorus) {
  const bool chorus = withChorus && chorus_.pending();
  if (!modulationPending_ && !chorus) return;
  const ModulationControls& m = modulationRequest_;
  const bool lfos = modulationPending_ && (m.vibAmount != 0.0f || m.tremAmount != 0.0f || m.wahAmount != 0.0f);
  alignas(32) double angles[4] = {}, sines[4] = {}, cosines[4] = {};
  if (lfos) modulation_.Angles(m, modulationCounter_, modulationRate_, angles);
  if (chorus) angles[3] = chorus_.PendingAngle();
  if (lfos || chorus) kernels_->sinCos(angles, sines, cosines, 4);
  if (modulationPending_) {
    modulationPending_ = false;
    modulation_.Complete(m, angles, sines);
  }
  if (chorus) chorus_.Complete(cosines[3]);
}

void SoundEngine::UpdateDelay() {
  if (!delayPending_) return;
  delayPending_ = false;
  delay_.Configure(delayRequest_, delayRate_, delayTempo_);
}

// The glide, formant and filter controls are read when the first voice runs
// at a tick.
void SoundEngine::TickVoices(int running) {
  const float pitchInertia = P(Param::kPitchInertia);
  if (!(pitchInertia == pitchInertia_)) {
    pitchInertia_ = pitchInertia;
    pitchGlide_ = Modulation::GlideWeight(pitchInertia);
  }
  const float vowelInertia = P(Param::kVowelInertia);
  if (!(vowelInertia == vowelInertia_)) {
    vowelInertia_ = vowelInertia;
    vowelGlide_ = Modulation::GlideWeight(vowelInertia);
  }
  const float width = P(Param::kBandWidth);
  if (!(width == bandWidth_)) {
    bandWidth_ = width;
    width_ = FormantWidth::FromControl(width);
  }
  const VoiceTickControls controls{pitchGlide_,       vowelGlide_,        P(Param::kVowel),
                                   P(Param::kVowelPitch), modulation_.wah(), modulation_.vibrato(),
                                   bendOctaves_,      width_.k,           width_.a,
                                   blockRate_,        kFormantTable[0].data()};
  kernels_->configureVoices(lanes_, controls, running);
  const LowpassTickControls lowpasses{P(Param::kFilterFreq), P(Param::kFilterQ), P(Param::kFilterEnvelope),
                                      blockRate_, rates_.filterRelease()};
  kernels_->configureLowpasses(lanes_, lowpasses, running);
}

// --- Rendering -----------------------------------------------------------------

int SoundEngine::RunningVoices() const {
  int bits = 0;
  for (int v = 0; v < numVoices; ++v) {
    if (lanes_.held[v] != 0.0f || lanes_.ampEnv[v] > kSilentLevel) bits |= 1 << v;
  }
  return bits;
}

void SoundEngine::Render(const float* input, float* left, float* right, std::int32_t count, bool replace) {
  if (count <= 0 || param_ == nullptr) return;
  blockRate_ = curSampleRate.load(std::memory_order_relaxed);
  // Keys change between blocks (a program change on another thread may
  // release them at any time; it is heard from the next block).
  for (int v = 0; v < kVoiceSlots; ++v) {
    lanes_.held[v] = keyDown_[static_cast<std::size_t>(v)].load(std::memory_order_relaxed) == 1 ? 1.0f : 0.0f;
  }
  const float volume = P(Param::kVolume);
  if (RunningVoices() == 0 && !SwitchIsOn(P(Param::kChorusSwitch)) && !SwitchIsOn(P(Param::kDelaySwitch)) &&
      stereoZeros_ >= kStereoLineSize && volume >= 0.0f && volume <= 1.0f) {
    RenderSilence(left, right, count, replace);
    return;
  }
  // Runs end before each control tick, which starts the next run; the
  // outputs of a chunk of runs are clipped together.
  std::int32_t done = 0;
  while (done < count) {
    const int chunk = std::min<std::int32_t>(count - done, kChunk);
    for (int at = 0; at < chunk;) {
      const std::uint32_t phase = (sampleCounter_ + 1u) & kTickMask;
      const int length = std::min(static_cast<int>(16u - phase), chunk - at);
      RenderRun(input != nullptr ? input + done + at : nullptr, at, length, phase == 0);
      at += length;
    }
    kernels_->clipOut(scaledLeft_.data(), scaledRight_.data(), left + done, right + done, chunk, replace);
    done += chunk;
  }
}

// No voice sounds, both effects are off and the stereo line holds only +0,
// so every output sample is SoftClip(gain x 0) = +0 for any gain the volume
// control gives. Of the block's control ticks only the last matters (each
// sets what the next overwrites); the tempo is asked at the same samples as
// in a rendered block, each answer reaching the ticks after it.
void SoundEngine::RenderSilence(float* left, float* right, std::int32_t count, bool replace) {
  const std::uint32_t start = sampleCounter_;
  const auto frames = static_cast<std::uint32_t>(count);
  // Samples (from 0) whose incremented counter is the block's last tick, and
  // the first whose counter before its increment is a multiple of 1024.
  const std::uint32_t lastTick = (start + frames) & kTickMask;  // samples after the last tick's
  const bool ticks = lastTick < frames;
  const std::uint32_t tickSample = frames - 1u - lastTick;
  std::uint32_t query = (0u - start) & kTempoMask;
  auto askTempo = [&](std::uint32_t before) {
    for (; query < before; query += kTempoMask + 1u) {
      const float t = tempoSource_ != nullptr ? tempoSource_->QueryTempo() : 0.0f;
      tempo_ = t >= 1.0f ? t : kDefaultTempo;
    }
  };
  if (ticks) {
    askTempo(tickSample);
    sampleCounter_ = start + tickSample + 1u;
    ControlTick();
  }
  askTempo(frames);
  sampleCounter_ = start + frames;
  historyPosition_ = static_cast<std::uint8_t>(Advance(historyPosition_, static_cast<int>(frames % 3u)));
  for (std::int32_t i = 0; i < count; ++i) {
    left[i] = replace ? 0.0f : left[i] + 0.0f;
    right[i] = replace ? 0.0f : right[i] + 0.0f;
  }
}

void SoundEngine::RenderRun(const float* input, int offset, int count, bool tick) {
  const std::uint32_t start = sampleCounter_;
  if (tick) {
    sampleCounter_ = start + 1u;
    ControlTick();
  }
  // The tempo is asked at the sample whose counter, before its increment, is
  // a multiple of 1024; never a tick's sample, so always after this run's
  // tick and before the next.
  if (((0u - start) & kTempoMask) < static_cast<std::uint32_t>(count)) {
    const float t = tempoSource_ != nullptr ? tempoSource_->QueryTempo() : 0.0f;
    tempo_ = t >= 1.0f ? t : kDefaultTempo;
  }

  // The input, with anything not finite (all exponent bits set) taken as
  // silence; tested on the bits, so that the loop runs in vectors.
  if (input != nullptr) {
    for (int i = 0; i < count; ++i) {
      const float in = input[i];
      const bool finite = (std::bit_cast<std::uint32_t>(in) & 0x7F800000u) != 0x7F800000u;
      excitationInput_[static_cast<std::size_t>(i)] = (finite ? in : 0.0f) + kDenormalGuard;
    }
  } else {
    std::fill_n(excitationInput_.begin(), count, 0.0f + kDenormalGuard);
  }
  std::fill_n(mono_.begin(), count, 0.0f);
  const bool voiced = RenderVoices(count, tick);

  // The switches hold for the run; a stage that is off is frozen. With no
  // voice, no effect and a stereo line that holds only +0, every output
  // sample is SoftClip(gain x 0) = +0 and the line stays as it is.
  const bool chorusOn = SwitchIsOn(P(Param::kChorusSwitch));
  const bool delayOn = SwitchIsOn(P(Param::kDelaySwitch));
  const float gain = outputGain_;
  float* scaledLeft = scaledLeft_.data() + offset;
  float* scaledRight = scaledRight_.data() + offset;
  if (!voiced && !chorusOn && !delayOn && stereoZeros_ >= kStereoLineSize) {
    for (int i = 0; i < count; ++i) scaledLeft[i] = scaledRight[i] = gain * 0.0f;
  } else {
    if (chorusOn) UpdateSweeps(true);
    if (delayOn) UpdateDelay();
    if (chorusOn) {
      delayOn ? MixRun<true, true>(scaledLeft, scaledRight, count, start)
              : MixRun<true, false>(scaledLeft, scaledRight, count, start);
    } else {
      delayOn ? MixRun<false, true>(scaledLeft, scaledRight, count, start)
              : MixRun<false, false>(scaledLeft, scaledRight, count, start);
    }
  }
  sampleCounter_ = start + static_cast<std::uint32_t>(count);
  historyPosition_ = static_cast<std::uint8_t>(Advance(historyPosition_, count));
}

// The voices' sum through the effects that are on, then the right channel
// from the stereo line, stereoDelay_ samples back, and both scaled. The
// stereo step of each sample runs beside the delay filter's, whose chain of
// dependent steps leaves the processor room for it.
template <bool kChorus, bool kDelay>
void SoundEngine::MixRun(float* scaledLeft, float* scaledRight, int count, std::uint32_t start) {
  float* mono = mono_.data();
  if constexpr (kChorus) chorus_.ProcessRun(mono, count, start, kernels_->chorusSpan);
  const auto back = static_cast<std::uint32_t>(stereoDelay_);
  const float gain = outputGain_;
  std::uint32_t zeros = stereoZeros_;
  const auto stereo = [&](int i) __attribute__((always_inline)) {
    const std::uint32_t n = start + static_cast<std::uint32_t>(i) + 1u;
    const float out = mono[i];
    stereoLine_[n & kStereoMask] = out;
    zeros = std::bit_cast<std::uint32_t>(out) == 0u ? zeros + 1u : 0u;
    scaledLeft[i] = gain * out;
    scaledRight[i] = gain * stereoLine_[(n - back) & kStereoMask];
  };
  if constexpr (kDelay) {
    delay_.ProcessRun(mono, count, start, historyPosition_, kernels_->delaySpan, stereo);
  } else {
    for (int i = 0; i < count; ++i) stereo(i);
  }
  stereoZeros_ = std::min(zeros, static_cast<std::uint32_t>(kStereoLineSize));
}

// Makes sure at least `needed` draws wait: eight stretches of 16 more at a
// time, each stretch started by a jump of 16 steps, so that their chains run
// side by side. The generator then stands after the last draw made. A batch
// goes after the draws that wait; only where it would not fit are they
// moved to the front first.
void SoundEngine::DrawNoise(int needed) {
  if (noiseHeld_ >= needed) return;
  if (noiseRead_ + noiseHeld_ + kNoiseBatch > kNoiseRoom) {
    std::memmove(noiseDraws_.data(), noiseDraws_.data() + noiseRead_,
                 sizeof(float) * static_cast<std::size_t>(noiseHeld_));
    noiseRead_ = 0;
  }
  alignas(32) std::uint32_t starts[kVoiceSlots];
  noise_.Stretches(kVoiceSlots, starts);
  noise_.Resume(kernels_->noiseDraws(starts, noiseDraws_.data() + noiseRead_ + noiseHeld_));
  noiseHeld_ += kNoiseBatch;
}

bool SoundEngine::RenderVoices(int count, bool tick) {
  int running = RunningVoices();
  if (running == 0) return false;
  UpdateSweeps(SwitchIsOn(P(Param::kChorusSwitch)));
  ExciteArgs args{nullptr,          static_cast<int>(oscType_), rates_.attack(),       rates_.decay(),
                  rates_.release(), rates_.filterRelease(),   modulation_.tremolo(), nullptr,
                  0};
  int position = historyPosition_;
  int s = 0;
  while (s < count) {
    if (s > 0) {
      running = RunningVoices();
      if (running == 0) break;
    }
    // Noise: one draw per running voice and sample, taken in order from
    // draws made ahead (before the tick's work, which the processor can
    // overlap with their making).
    const int voices = CountVoices(running);
    const bool noise = oscType_ == OscType::kNoise;
    if (noise) DrawNoise(voices * (count - s));
    args.noise = noiseDraws_.data() + noiseRead_;
    const bool first = tick && s == 0;
    if (first) TickVoices(running);
    args.input = excitationInput_.data() + s;
    args.running = running;
    const int m = kernels_->excite(lanes_, args, excitation_.data(), count - s);
    if (noise) {
      noiseRead_ += voices * m;
      noiseHeld_ -= voices * m;
    }
    // The fast kernel stops where a sample needs the careful one; that one
    // takes up to three samples, after which the resonators' input rings
    // agree again.
    int filtered = 0;
    while (filtered < m) {
      filtered += kernels_->filter(lanes_, Advance(position, filtered), excitation_.data() + filtered,
                                   voiceOutput_.data() + filtered, m - filtered, running);
      if (filtered < m) {
        const int careful = std::min(3, m - filtered);
        kernels_->filterCareful(lanes_, Advance(position, filtered), excitation_.data() + filtered,
                                voiceOutput_.data() + filtered, careful, running);
        filtered += careful;
      }
    }
    kernels_->sumVoices(voiceOutput_.data(), mono_.data() + s, m);
    position = Advance(position, m);
    s += m;
  }
  return true;
}
