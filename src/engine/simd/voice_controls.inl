// Control-tick work of the running voices, all together: glides, formant
// coefficients, pitch and oscillator step, and the low-pass design. The
// powers and cosines come from the batch functions of batch_math.inl; each
// value is then rounded to single precision as the scalar formulas round it,
// with a check that the rounding cannot differ from the one the library's
// exact functions give, and the library is asked where it could. Every
// float stored is therefore the one the scalar formulas store.
//
// Written on the lane operations of lanes_*.inl; included after
// batch_math.inl.

// Work lists hold at most eight voices of four formants, padded to whole
// batches.
inline constexpr int kMaxItems = kVoiceSlots * kFormantSections;

// Bounds of the difference between a value worked out from the batch
// functions and the same value worked out from the library's (relative, or
// absolute near 0): 2^-44 for powers and formants (errors near 2^-50),
// 2^-40 for the low-pass, whose coefficients amplify the error of k.
inline constexpr double kRoundingBound = 0x1p-44;
inline constexpr double kLowpassRoundingBound = 0x1p-40;

// 2^x as the engine computes it: e^(0.6931472 x).
inline constexpr double kLn2Approx = 0.6931472;

inline int Batches(int count) { return (count + D::kWidth - 1) / D::kWidth; }

// The largest integer not above x as the engine's FloorInt gives it: the
// nearest to x - 0.4999999, ties to even (the conversion rounds as nearbyint
// does), saturated, and 0 for NaN.
inline std::int32_t FloorIntLane(double x) {
  const double r = x - 0.4999999;
  if (r > -2147483648.0 && r < 2147483647.0) return _mm_cvtsd_si32(_mm_set_sd(r));
  if (!(r == r)) return 0;
  return r > 0.0 ? 2147483647 : -2147483647 - 1;
}

// Stores each lane of value rounded to single precision into out, and
// answers the bits of the lanes where an error up to margin could have
// rounded it the other way.
inline int StoreIfCertain(D value, D margin, float* out) {
  StoreRounded(out, value);
  return ~SameFloats(value - margin, value + margin) & ((1 << D::kWidth) - 1);
}
// The margin of a value whose error is at most bound x |value| (relative)
// or bound x (1 + |value|) (absolute near 0).
inline D Relative(D value, double bound) { return SplatD(bound) * AbsD(value); }
inline D Absolute(D value, double bound) { return SplatD(bound) * (SplatD(1.0) + AbsD(value)); }

// e^(args[i]) rounded to single precision, as std::exp gives it.
inline void ExpToFloats(const double* args, float* out, int count) {
  alignas(32) double values[kMaxItems];
  ExpArray(args, values, count);
  for (int b = 0; b < Batches(count); ++b) {
    const int at = b * D::kWidth;
    const D value = LoadD(values + at);
    int failed = StoreIfCertain(value, Relative(value, kRoundingBound), out + at);
    for (; failed != 0; failed &= failed - 1) {
      const int i = at + __builtin_ctz(static_cast<unsigned>(failed));
      out[i] = static_cast<float>(std::exp(args[i]));
    }
  }
}

inline void ConfigureVoices(VoiceLanes& s, const VoiceTickControls& k, int running) {
  // Every lane at once, straight from the lane arrays; only the running
  // voices' results are kept.
  // Glides: 1 / (g + 1) of the remaining way, in double, rounded once. The
  // formants follow the pitch of the previous tick; then the new one is
  // worked out ((pitch - 57) / 12 + vibrato + bend, the difference in single
  // precision).
  alignas(32) float pitch[kVoiceSlots], vowelPos[kVoiceSlots], position[kVoiceSlots], newOctaves[kVoiceSlots];
  alignas(32) double scaleArgs[kVoiceSlots], stepArgs[kVoiceSlots];
  const D pitchWeight = SplatD(k.pitchWeight), vowelWeight = SplatD(k.vowelWeight), one = SplatD(1.0);
  for (int at = 0; at < kVoiceSlots; at += D::kWidth) {
    const D newPitch =
        ToSingle((FromFloats(s.pitch + at) * pitchWeight + FromFloats(s.noteTarget + at)) / (pitchWeight + one));
    const D newVowel = ToSingle((FromFloats(s.vowelPos + at) * vowelWeight + SplatD(k.vowel)) / (vowelWeight + one));
    StoreRounded(pitch + at, newPitch);
    StoreRounded(vowelPos + at, newVowel);
    StoreRounded(position + at, one + newVowel + SplatD(k.wah));
    const D newOctave =
        ToSingle(ToSingle(newPitch - SplatD(57.0)) / SplatD(12.0) + SplatD(k.vibrato) + SplatD(k.bend));
    StoreRounded(newOctaves + at, newOctave);
    StoreD(scaleArgs + at,
           SplatD(kLn2Approx) * (SplatD(4.0 * k.vowelPitch) + FromFloats(s.pitchOctaves + at) - SplatD(2.0)));
    StoreD(stepArgs + at, SplatD(kLn2Approx) * newOctave);
  }

  // The running voices take the new glides and pitch; what moved since
  // their coefficients were last worked out is due (a NaN never matches).
  const F8 run = LaneMask(running);
  const F8 previousOctaves = LoadF(s.pitchOctaves), octaves = LoadF(newOctaves), rate8 = SplatF(k.rate);
  StoreF(s.pitch, Select(run, LoadF(pitch), LoadF(s.pitch)));
  StoreF(s.vowelPos, Select(run, LoadF(vowelPos), LoadF(s.vowelPos)));
  StoreF(s.pitchOctaves, Select(run, octaves, previousOctaves));
  const F8 formantsKept =
      And(And(Eq(LoadF(position), LoadF(s.formantFromPosition)), Eq(previousOctaves, LoadF(s.formantFromOctaves))),
          And(And(Eq(SplatF(k.vowelPitch), LoadF(s.formantFromVowelPitch)),
                  Eq(SplatF(k.widthK), LoadF(s.formantFromWidthK))),
              And(Eq(SplatF(k.widthA), LoadF(s.formantFromWidthA)), Eq(rate8, LoadF(s.formantFromRate)))));
  const int formantsDue = running & ~MaskBits(formantsKept);
  const int stepsDue =
      running & ~MaskBits(And(Eq(octaves, LoadF(s.stepFromOctaves)), Eq(rate8, LoadF(s.stepFromRate))));
  if ((formantsDue | stepsDue) == 0) return;

  // The due voices' powers in one list: the formants' first, then, from a
  // whole batch on, the steps'. Zeros fill the last batch of each.
  alignas(32) double expArgs[3 * kVoiceSlots];
#pragma GCC unroll 12
  for (int i = 0; i < 3 * kVoiceSlots; i += D::kWidth) StoreD(expArgs + i, SplatD(0.0));
  alignas(32) float powers[3 * kVoiceSlots];
  int formantVoices[kVoiceSlots], stepVoices[kVoiceSlots];
  int formants = 0, steps = 0;
  for (int bits = formantsDue; bits != 0; bits &= bits - 1) {
    const int v = __builtin_ctz(static_cast<unsigned>(bits));
    expArgs[formants] = scaleArgs[v];
    formantVoices[formants++] = v;
  }
  const int stepsAt = Batches(formants) * D::kWidth;
  for (int bits = stepsDue; bits != 0; bits &= bits - 1) {
    const int v = __builtin_ctz(static_cast<unsigned>(bits));
    expArgs[stepsAt + steps] = stepArgs[v];
    stepVoices[steps++] = v;
  }
  ExpToFloats(expArgs, powers, stepsAt + steps);

  // Oscillator steps, truncated: every pitch runs slightly flat.
  if (steps > 0) {
    alignas(32) std::int32_t increments[kVoiceSlots];
    for (int b = 0; b < Batches(steps); ++b) {
      const int at = b * D::kWidth;
      // FloorInt: the nearest integer to x - 0.4999999, ties to even.
      const D x = FromFloats(powers + stepsAt + at) * SplatD(7208960.0) / SplatD(static_cast<double>(k.rate)) -
                  SplatD(0.4999999);
      StoreInts(increments + at, x);
      int outside = MaskBitsD(LtD(AbsD(x), SplatD(2147483647.0))) ^ ((1 << D::kWidth) - 1);
      for (; outside != 0; outside &= outside - 1) {
        const int i = at + __builtin_ctz(static_cast<unsigned>(outside));
        increments[i] = FloorIntLane(static_cast<double>(powers[stepsAt + i]) * 7208960.0 / k.rate);
      }
    }
    for (int i = 0; i < steps; ++i) s.phaseInc[stepVoices[i]] = increments[i];
    const F8 take = LaneMask(stepsDue);
    StoreF(s.stepFromOctaves, Select(take, octaves, LoadF(s.stepFromOctaves)));
    StoreF(s.stepFromRate, Select(take, rate8, LoadF(s.stepFromRate)));
  }
  if (formants == 0) return;

  // Formant centres from the vowel position (4.999 rather than 5: a
  // position of exactly 1 lands just before vowel 0), between two rows of
  // the table, the vowels taken round and round; then their angles per
  // sample.
  const int items = formants * kFormantSections;
  alignas(32) double angles[kMaxItems], cosines[kMaxItems];
  alignas(32) float a1[kMaxItems];
  const D rate = SplatD(static_cast<double>(k.rate));
  for (int i = 0; i < formants; ++i) {
    const double d = 4.999 * position[formantVoices[i]];
    const std::int32_t e = FloorIntLane(d);
    const D f = SplatD(d - e);
    std::int32_t vowel = e % 5;
    if (vowel < 0) vowel += 5;
    // The next vowel, 4 wrapping round to 0, without a branch: the position
    // moves with the wah and no pattern predicts it.
    const std::int32_t next = (vowel + 1) & -static_cast<std::int32_t>(vowel != 4);
    const float* row0 = k.formantTable + vowel * kFormantSections;
    const float* row1 = k.formantTable + next * kFormantSections;
    const D scale = SplatD(powers[i]);
    for (int n = 0; n < kFormantSections; n += D::kWidth) {
      const D centre = (one - f) * FromFloats(row0 + n) + f * FromFloats(row1 + n);
      StoreD(angles + i * kFormantSections + n, SplatD(6.28318) * (scale * centre / rate));
    }
  }
  const double widthK = k.widthK, widthA = k.widthA;
  SinCosArray(angles, nullptr, cosines, items);
  for (int b = 0; b < Batches(items); ++b) {
    const int at = b * D::kWidth;
    const D c = SplatD(2.0) * LoadD(cosines + at) + SplatD(1e-15);
    const D value = SplatD(-widthK) * c * SplatD(widthA) + SplatD(1e-15);
    int failed = StoreIfCertain(value, Absolute(value, kRoundingBound), a1 + at);
    for (; failed != 0; failed &= failed - 1) {
      const int i = at + __builtin_ctz(static_cast<unsigned>(failed));
      const double exact = 2.0 * std::cos(angles[i]) + 1e-15;
      a1[i] = static_cast<float>(-widthK * exact * widthA + 1e-15);
    }
  }
  for (int i = 0; i < formants; ++i) {
    for (int n = 0; n < kFormantSections; ++n) s.formantA1[n][formantVoices[i]] = a1[i * kFormantSections + n];
  }
  const F8 take = LaneMask(formantsDue);
  const float a2 = static_cast<float>((widthK - 1.0) * widthA + 1e-15);
  StoreF(s.formantB0, Select(take, SplatF(k.widthA + kGuard), LoadF(s.formantB0)));
  StoreF(s.formantB1, Select(take, SplatF(kGuard), LoadF(s.formantB1)));
  StoreF(s.formantB2, Select(take, SplatF(-k.widthA + kGuard), LoadF(s.formantB2)));
  StoreF(s.formantA2, Select(take, SplatF(a2), LoadF(s.formantA2)));
  StoreF(s.formantFromPosition, Select(take, LoadF(position), LoadF(s.formantFromPosition)));
  StoreF(s.formantFromOctaves, Select(take, previousOctaves, LoadF(s.formantFromOctaves)));
  StoreF(s.formantFromVowelPitch, Select(take, SplatF(k.vowelPitch), LoadF(s.formantFromVowelPitch)));
  StoreF(s.formantFromWidthK, Select(take, SplatF(k.widthK), LoadF(s.formantFromWidthK)));
  StoreF(s.formantFromWidthA, Select(take, SplatF(k.widthA), LoadF(s.formantFromWidthA)));
  StoreF(s.formantFromRate, Select(take, rate8, LoadF(s.formantFromRate)));
}

// The low-pass of each running voice: the cutoff closes with the filter
// envelope by the Filter Envelope depth; then the bilinear design. Worked
// out for every lane at once, straight from the lane arrays; only the
// running voices whose inputs moved take the results.
inline void ConfigureLowpasses(VoiceLanes& s, const LowpassTickControls& k, int running) {
  // The filter envelopes after the run's first sample, worked out as the
  // envelope pass works them out.
  alignas(32) float filterEnv[kVoiceSlots];
  StoreF(filterEnv, FilterEnvelopeStep(LoadF(s.filterEnv), HeldLanes(s), SplatF(k.filterRelease)));
  const F8 kept = And(And(Eq(LoadF(filterEnv), LoadF(s.lowpassFromEnv)), Eq(SplatF(k.envDepth), LoadF(s.lowpassFromDepth))),
                      And(And(Eq(SplatF(k.freq), LoadF(s.lowpassFromFreq)), Eq(SplatF(k.q), LoadF(s.lowpassFromQ))),
                          Eq(SplatF(k.rate), LoadF(s.lowpassFromRate))));
  const int due = running & ~MaskBits(kept);
  if (due == 0) return;

  // The lanes of the voices that play, in whole batches: the slots beyond
  // them never run.
  constexpr int kLanes = (kMaxVoices + D::kWidth - 1) / D::kWidth * D::kWidth;
  const D one = SplatD(1.0), rate = SplatD(static_cast<double>(k.rate));
  alignas(32) double expArgs[kLanes], angles[kLanes], sines[kLanes], cosines[kLanes];
  alignas(32) float powers[kLanes];
  for (int at = 0; at < kLanes; at += D::kWidth) {
    const D amount = (one - (one - FromFloats(filterEnv + at)) * SplatD(k.envDepth)) * SplatD(k.freq);
    StoreD(expArgs + at, SplatD(kLn2Approx) * (SplatD(10.0) * amount));
  }
  ExpToFloats(expArgs, powers, kLanes);
  for (int at = 0; at < kLanes; at += D::kWidth) {
    // The cutoff in single precision, 1 Hz up; at most 0.4 x rate (the
    // bilinear warp is steep beyond it), at least 20 Hz.
    D f = ToSingle(SplatD(20.0) * FromFloats(powers + at)) + one;
    const D highest = SplatD(0.4) * rate;
    f = SelectD(GtD(f, highest), highest, f);
    f = SelectD(LtD(f, SplatD(20.0)), SplatD(20.0), f);
    StoreD(angles + at, SplatD(3.14159) * (f / rate + SplatD(1e-15)));
  }
  SinCosArray(angles, sines, cosines, kLanes);

  // q at most 0.999 keeps the damping above zero: always stable.
  double q = static_cast<double>(k.q) + 0.001;
  if (q > 0.999) q = 0.999;
  // sqrt(8) |1 - q|: damping 2.83 at q = 0, sqrt(2) at 0.5, near 0 at 0.999.
  const double damping = 2.8284271247461903 * __builtin_fabs(1.0 - q);
  alignas(32) float b0[kVoiceSlots] = {}, b1[kVoiceSlots] = {}, a1[kVoiceSlots] = {}, a2[kVoiceSlots] = {};
  const D r = SplatD(damping), guard = SplatD(1e-15);
  for (int at = 0; at < kLanes; at += D::kWidth) {
    // 0.005 bounds k at the bottom of the range.
    const D kk = LoadD(cosines + at) / (LoadD(sines + at) + SplatD(0.005));
    const D a = one / (r * kk + SplatD(1.001) + kk * kk);
    // b0 and b1 follow a's relative error; a1 and a2 are differences of
    // terms near 1, so their error is bounded in absolute terms.
    const D b0Value = a + guard, b1Value = SplatD(2.0) * a + guard;
    const D a1Value = SplatD(2.0) * (one - kk * kk) * a + guard;
    const D a2Value = (one - r * kk + kk * kk) * a + guard;
    int failed = StoreIfCertain(b0Value, Relative(b0Value, kLowpassRoundingBound), b0 + at);
    failed |= StoreIfCertain(b1Value, Relative(b1Value, kLowpassRoundingBound), b1 + at);
    failed |= StoreIfCertain(a1Value, Absolute(a1Value, kLowpassRoundingBound), a1 + at);
    failed |= StoreIfCertain(a2Value, Absolute(a2Value, kLowpassRoundingBound), a2 + at);
    for (failed &= due >> at; failed != 0; failed &= failed - 1) {
      const int i = at + __builtin_ctz(static_cast<unsigned>(failed));
      const double exactK = std::cos(angles[i]) / (std::sin(angles[i]) + 0.005);
      const double exactA = 1.0 / (damping * exactK + 1.001 + exactK * exactK);
      b0[i] = static_cast<float>(exactA + 1e-15);
      b1[i] = static_cast<float>(2.0 * exactA + 1e-15);
      a1[i] = static_cast<float>(2.0 * (1.0 - exactK * exactK) * exactA + 1e-15);
      a2[i] = static_cast<float>((1.0 - damping * exactK + exactK * exactK) * exactA + 1e-15);
    }
  }
  const F8 take = LaneMask(due);
  StoreF(s.lowpassB0, Select(take, LoadF(b0), LoadF(s.lowpassB0)));
  StoreF(s.lowpassB1, Select(take, LoadF(b1), LoadF(s.lowpassB1)));
  StoreF(s.lowpassB2, Select(take, LoadF(b0), LoadF(s.lowpassB2)));
  StoreF(s.lowpassA1, Select(take, LoadF(a1), LoadF(s.lowpassA1)));
  StoreF(s.lowpassA2, Select(take, LoadF(a2), LoadF(s.lowpassA2)));
  StoreI(s.lowpassConfigured, SelectI(take, SplatI(-1), LoadI(s.lowpassConfigured)));
  StoreF(s.lowpassFromEnv, Select(take, LoadF(filterEnv), LoadF(s.lowpassFromEnv)));
  StoreF(s.lowpassFromDepth, Select(take, SplatF(k.envDepth), LoadF(s.lowpassFromDepth)));
  StoreF(s.lowpassFromFreq, Select(take, SplatF(k.freq), LoadF(s.lowpassFromFreq)));
  StoreF(s.lowpassFromQ, Select(take, SplatF(k.q), LoadF(s.lowpassFromQ)));
  StoreF(s.lowpassFromRate, Select(take, SplatF(k.rate), LoadF(s.lowpassFromRate)));
}
