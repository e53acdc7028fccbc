#include "engine/sound_engine.h"

#include <cmath>
#include <limits>

void SoundEngine::Init(const ParamArray* param, TempoSource* tempoSource) {
  param_ = param;
  tempoSource_ = tempoSource;
  curSampleRate.store(44100.0f, std::memory_order_relaxed);
  blockRate_ = 44100.0f;
  numVoices = kMaxVoices;
  for (int v = 0; v < kVoiceSlots; ++v) {
    const auto s = static_cast<std::size_t>(v);
    notes.keyDown[s].store(0, std::memory_order_relaxed);
    notes.attacking[s] = 0;
    notes.noteTarget[s] = 0.0f;
    notes.velocity[s] = 0.0f;
    notes.ampEnv[s] = 0.0f;
    notes.filterEnv[s] = 0.0f;
  }
  sampleCounter_ = 0;
  historyPosition_ = 0;
  slots_ = HistorySlots{};
  tempo_ = 0.0f;
  rates_.Init();
  modulation_.Init();
  oscType_ = OscType::kSaw;
  stereoDelay_ = 0;
  outputGain_ = 0.0f;
  formantControls_ = FormantControls{};
  filterControls_ = FilterControls{};
  pitchGlide_ = vowelGlide_ = vowel_ = 0.0f;
  voiceControlsPending_ = false;
  // NaN: no control value matches it, so the first tick works them out.
  stereoAmount_ = volume_ = bandWidth_ = std::numeric_limits<float>::quiet_NaN();
  for (Voice& voice : voices_) voice.Init();
  noise_.Init();
  chorus_.Init();
  delay_.Init();
  stereoLine_.fill(0.0f);
}

void SoundEngine::ClearLines() {
  delay_.Clear();
  chorus_.Clear();
  stereoLine_.fill(0.0f);
}

void SoundEngine::ResetRunningSound() {
  // The position itself stays; the slots follow it again at the next sample.
  slots_ = HistorySlots{};
  for (Voice& voice : voices_) voice.ClearLowpassHistory();
  ClearLines();
}

void SoundEngine::SeedNoise(std::uint32_t seed) { noise_.Seed(seed); }

int SoundEngine::ActiveVoices() const {
  if (numVoices < 0) return 0;
  return numVoices > kMaxVoices ? kMaxVoices : numVoices;
}

void SoundEngine::ControlTick() {
  const float rate = blockRate_;
  const std::int32_t n = static_cast<std::int32_t>(sampleCounter_);

  delay_.Configure({P(Param::kDelayLength), P(Param::kDelayFeed), P(Param::kDelayFilter),
                    P(Param::kDelayMix)},
                   rate, tempo_);
  chorus_.Configure({P(Param::kChorusLength), P(Param::kChorusWidth), P(Param::kChorusSpeed),
                     P(Param::kChorusFeed)},
                    n, rate);

  // The LFOs run at every tick: a voice that starts between two ticks takes
  // the tremolo of the last one at once.
  const ModulationControls mod{P(Param::kVibAmount),  P(Param::kVibSpeed),
                               P(Param::kTremAmount), P(Param::kTremSpeed),
                               P(Param::kWahAmount),  P(Param::kWahSpeed)};
  modulation_.ConfigureVibrato(mod, n, rate);
  modulation_.ConfigureTremolo(mod, n, rate);
  // Whole part of value x 2.99: 0 Saw, 1 Square, 2 Noise.
  std::int32_t type = FloorInt(2.99 * P(Param::kOscType));
  if (type < 0) type = 0;
  if (type > 2) type = 2;
  oscType_ = static_cast<OscType>(type);
  modulation_.ConfigureWah(mod, n, rate);

  // 2^(9 x amount) + 1: 2 to 513 samples. Worked out again only when the
  // control moves.
  const float stereoAmount = P(Param::kStereo);
  if (!(stereoAmount == stereoAmount_)) {
    stereoAmount_ = stereoAmount;
    std::int32_t stereo = FloorInt(Pow2(9.0 * stereoAmount) + 1.0);
    if (stereo < 0) stereo = 0;
    if (stereo > static_cast<std::int32_t>(kStereoMask)) stereo = static_cast<std::int32_t>(kStereoMask);
    stereoDelay_ = stereo;
  }

  rates_.Configure({P(Param::kAttack), P(Param::kDecay), P(Param::kRelease),
                    P(Param::kFilterRelease)},
                   rate, tempo_);
  // -40 dB to 0 dB.
  const float volume = P(Param::kVolume);
  if (!(volume == volume_)) {
    volume_ = volume;
    outputGain_ = DbToGain(volume, 40.0f, 40.0f);
  }

  // The glides, formant and filter controls only matter to running voices;
  // they are worked out at this tick when the first voice runs.
  voiceControlsPending_ = true;
}

void SoundEngine::UpdateVoiceControls() {
  voiceControlsPending_ = false;

  // Shared by every running voice at this tick.
  pitchGlide_ = Modulation::GlideWeight(P(Param::kPitchInertia));
  vowelGlide_ = Modulation::GlideWeight(P(Param::kVowelInertia));
  vowel_ = P(Param::kVowel);
  formantControls_.vowelPitch = P(Param::kVowelPitch);
  formantControls_.wah = modulation_.wah();
  const float width = P(Param::kBandWidth);
  if (!(width == bandWidth_)) {
    bandWidth_ = width;
    formantControls_.width = FormantWidth::FromControl(width);
  }
  filterControls_.freq = P(Param::kFilterFreq);
  filterControls_.q = P(Param::kFilterQ);
  filterControls_.envDepth = P(Param::kFilterEnvelope);
}

void SoundEngine::Render(const float* input, float* left, float* right, std::int32_t count,
                         bool replace) {
  if (count <= 0 || param_ == nullptr) return;
  const int voices = ActiveVoices();
  blockRate_ = curSampleRate.load(std::memory_order_relaxed);
  const float sampleRate = blockRate_;
  std::uint32_t counter = sampleCounter_;
  std::uint8_t position = historyPosition_;

  for (std::int32_t i = 0; i < count; ++i) {
    position = static_cast<std::uint8_t>(position == 2 ? 0 : position + 1);
    slots_ = HistorySlots::At(position);
    const HistorySlots h = slots_;

    float in = input != nullptr ? input[i] : 0.0f;
    if (!std::isfinite(in)) in = 0.0f;
    const float x = in + kDenormalGuard;

    if ((counter & kTempoMask) == 0) {
      const float t = tempoSource_ != nullptr ? tempoSource_->QueryTempo() : 0.0f;
      tempo_ = t >= 1.0f ? t : kDefaultTempo;
    }
    ++counter;
    const bool tick = (counter & kTickMask) == 0;
    if (tick) {
      sampleCounter_ = counter;
      ControlTick();
    }

    float mono = 0.0f;
    for (int v = 0; v < voices; ++v) {
      const auto s = static_cast<std::size_t>(v);
      const bool held = notes.keyDown[s].load(std::memory_order_relaxed) == 1;
      float ampEnv = notes.ampEnv[s];
      if (!held && ampEnv <= kSilentLevel) continue;
      Voice& voice = voices_[s];
      if (tick) {
        if (voiceControlsPending_) UpdateVoiceControls();
        voice.Glide(pitchGlide_, notes.noteTarget[s], vowelGlide_, vowel_);
        voice.ConfigureFormantsAndPitch(formantControls_, modulation_.vibrato(), sampleRate);
      }
      float filterEnv = notes.filterEnv[s];
      rates_.Step(held, notes.attacking[s], ampEnv, filterEnv);
      notes.ampEnv[s] = ampEnv;
      notes.filterEnv[s] = filterEnv;
      const float amp = notes.velocity[s] * ampEnv * modulation_.tremolo() + kDenormalGuard;
      if (tick) voice.ConfigureLowpass(filterControls_, filterEnv, sampleRate);
      mono += voice.Render(x, amp, oscType_, noise_, h);
    }

    // Switches are read every sample; a stage that is off is frozen.
    float out = mono;
    if (P(Param::kChorusSwitch) > 0.5f) out = chorus_.Process(out, counter);
    if (P(Param::kDelaySwitch) > 0.5f) out = delay_.Process(out, counter, h);

    stereoLine_[counter & kStereoMask] = out;
    const float r =
        stereoLine_[(counter - static_cast<std::uint32_t>(stereoDelay_)) & kStereoMask];
    const float l = SoftClip(outputGain_ * out);
    const float rr = SoftClip(outputGain_ * r);
    if (replace) {
      left[i] = l;
      right[i] = rr;
    } else {
      left[i] += l;
      right[i] += rr;
    }
  }
  sampleCounter_ = counter;
  historyPosition_ = position;
}
