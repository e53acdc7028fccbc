// The per-sample work of the voices, every voice slot in one lane: the
// envelope and oscillator pass, the resonators and low-pass, and the output
// clipper. Written on the lane operations of lanes_*.inl and included after
// them. Every operation is the one the scalar formulas name, in their order,
// rounded as they round, so each lane gives exactly the scalar voice's
// samples.

inline constexpr float kGuard = 1e-15f;  // the denormal guard
// A resonator whose output leaves this range is taken as runaway.
inline constexpr float kRunawayLevel = 32.0f;
// All-ones lanes for the voices whose bits are set.
inline F8 LaneMask(int bits) {
  alignas(32) static constexpr std::int32_t kBit[kVoiceSlots] = {1, 2, 4, 8, 16, 32, 64, 128};
  return LtI(SplatI(0), AndI(SplatI(bits), LoadI(kBit)));
}

// Lanes of the voices whose keys are down.
inline F8 HeldLanes(const VoiceLanes& s) { return Gt(LoadF(s.held), SplatF(0.5f)); }

// One sample of the filter envelope: it falls while held, never below 0.
// Max(0, x) is the scalar clamp exactly: it keeps x when it is NaN or -0.
inline F8 FilterEnvelopeStep(F8 env, F8 held, F8 release) {
  return Select(held, Max(SplatF(0.0f), env - release), env);
}

// 2^-24: a 24-bit draw mapped onto [0, 1).
inline constexpr float kNoiseScale = 1.0f / 16777216.0f;

inline std::uint32_t NoiseDraws(const std::uint32_t* starts, float* draws) {
  I8 s = LoadI(reinterpret_cast<const std::int32_t*>(starts));
  alignas(32) float rows[16][kVoiceSlots];
#pragma GCC unroll 16
  for (int n = 0; n < 16; ++n) {
    // One xorshift32 step in every stretch.
    s = XorI(s, ShiftLeftI<13>(s));
    s = XorI(s, ShiftRightI<17>(s));
    s = XorI(s, ShiftLeftI<5>(s));
    StoreF(rows[n], SplatF(2.0f) * (ToFloat(ShiftRightI<8>(s)) * SplatF(kNoiseScale)) - SplatF(1.0f));
  }
  // rows[n][c] is draw 16c + n: transposed, each stretch's draws follow on.
#pragma GCC unroll 2
  for (int half = 0; half < 2; ++half) {
    F8 columns[kVoiceSlots];
    Transpose(rows + 8 * half, columns);
#pragma GCC unroll 8
    for (int c = 0; c < kVoiceSlots; ++c) StoreFU(draws + 16 * c + 8 * half, columns[c]);
  }
  alignas(32) std::int32_t last[kVoiceSlots];
  StoreI(last, s);
  return static_cast<std::uint32_t>(last[kVoiceSlots - 1]);
}

template <int kOscType>
inline int ExciteRun(VoiceLanes& s, const ExciteArgs& a, LaneRow* excitation, int count) {
  const F8 zero = SplatF(0.0f), one = SplatF(1.0f), half = SplatF(0.5f);
  const F8 silent = SplatF(kSilentLevel);
  const F8 held = HeldLanes(s);
  const F8 run = LaneMask(a.running);
  const F8 attack = SplatF(a.attack), decay = SplatF(a.decay), release = SplatF(a.release);
  const F8 filterRelease = SplatF(a.filterRelease), tremolo = SplatF(a.tremolo);
  const F8 velocity = LoadF(s.velocity);
  const I8 step = LoadI(s.phaseInc);
  F8 amp = LoadF(s.ampEnv), filterEnv = LoadF(s.filterEnv);
  F8 rising = Gt(LoadF(s.attacking), half);
  I8 phase = LoadI(s.phase);
  // Held: the level rises while attacking and decays after; released: it
  // falls at the release rate. Adding a rate is subtracting its negation.
  const F8 riseStep = Select(held, zero - attack, release);
  const F8 fallStep = Select(held, decay, release);
  // Lane v of a sample's noise is the draw of the rank of v among the
  // running voices.
  alignas(32) std::int32_t rank[kVoiceSlots] = {};
  if constexpr (kOscType == 2) {
    for (int v = 0; v < kVoiceSlots; ++v) rank[v] = CountVoices(a.running & ((1 << v) - 1));
  }
  const I8 noiseLane = LoadI(rank);
  const int voices = CountVoices(a.running);
  const bool prefix = a.running == (1 << voices) - 1;

  int done = 0;
  for (; done < count; ++done) {
    // A released voice stops once it is silent; the run ends before it.
    if (done > 0 && MaskBits(Or(held, Gt(amp, silent))) != a.running) break;

    // Min(1, x) is the scalar clamp exactly: it keeps x when it is NaN or -0.
    filterEnv = FilterEnvelopeStep(filterEnv, held, filterRelease);
    const F8 level = Max(zero, amp - Select(rising, riseStep, fallStep));
    amp = Min(one, level);
    // Past 1 the attack is over.
    rising = AndNot(Gt(level, one), rising);

    const F8 gain = velocity * amp * tremolo + SplatF(kGuard);
    const F8 x = SplatF(a.input[done]);
    phase = AndI(AddI(phase, step), SplatI(0xFFFF));
    F8 e;
    if constexpr (kOscType == 0) {
      // Saw; its -1 is DC, which the resonators do not pass.
      e = (x + gain * ToFloat(phase) * SplatF(1.0f / 32768.0f)) - one;
    } else if constexpr (kOscType == 1) {
      // Square; the low half of the period is the input alone.
      e = Select(LtI(phase, SplatI(32768)), x + gain, x);
    } else {
      // When the running voices are the first ones, their draws already sit
      // in their lanes.
      const F8 draws = LoadFU(a.noise + done * voices);
      e = x + gain * And(run, prefix ? draws : Permute(draws, noiseLane));
    }
    StoreF(excitation[done], e);
  }

  // Voices that do not run keep their state frozen.
  StoreF(s.ampEnv, Select(run, amp, LoadF(s.ampEnv)));
  StoreF(s.filterEnv, Select(run, filterEnv, LoadF(s.filterEnv)));
  StoreF(s.attacking, Select(run, And(rising, one), LoadF(s.attacking)));
  StoreI(s.phase, SelectI(run, phase, LoadI(s.phase)));
  return done;
}

inline int ExciteVoices(VoiceLanes& s, const ExciteArgs& a, LaneRow* excitation, int count) {
  switch (a.oscType) {
    case 0: return ExciteRun<0>(s, a, excitation, count);
    case 1: return ExciteRun<1>(s, a, excitation, count);
    default: return ExciteRun<2>(s, a, excitation, count);
  }
}

// --- Resonators and low-pass ------------------------------------------------

struct FilterCoefficients {
  F8 b0, b1, b2, a2;
  F8 a1[kFormantSections];
  F8 lowB0, lowB1, lowB2, lowA1, lowA2;
  F8 configured;
};

inline FilterCoefficients LoadCoefficients(const VoiceLanes& s) {
  FilterCoefficients c;
  c.b0 = LoadF(s.formantB0);
  c.b1 = LoadF(s.formantB1);
  c.b2 = LoadF(s.formantB2);
  c.a2 = LoadF(s.formantA2);
#pragma GCC unroll 4
  for (int i = 0; i < kFormantSections; ++i) c.a1[i] = LoadF(s.formantA1[i]);
  c.lowB0 = LoadF(s.lowpassB0);
  c.lowB1 = LoadF(s.lowpassB1);
  c.lowB2 = LoadF(s.lowpassB2);
  c.lowA1 = LoadF(s.lowpassA1);
  c.lowA2 = LoadF(s.lowpassA2);
  c.configured = BitsF(LoadI(s.lowpassConfigured));
  return c;
}

// The four sections' outputs summed in the scalar voice's order. 0 + y0 is
// y0: a section's output, the sum of something and the guard, is never -0.
inline F8 SectionSum(const F8 (&section)[kFormantSections], F8 guard) {
  F8 sum = section[0] + guard;
  sum = sum + section[1] + guard;
  sum = sum + section[2] + guard;
  return sum + section[3] + guard;
}

// One low-pass sample from its input x and its rings one and two back.
inline F8 LowpassStep(const FilterCoefficients& c, F8 x, F8 in1, F8 in2, F8 out1, F8 out2, F8 guard) {
  return c.lowB0 * x + c.lowB1 * in1 + c.lowB2 * in2 - c.lowA1 * out1 - c.lowA2 * out2 + guard;
}

// A run of samples with the rings unrolled into rows, one per sample: rows
// 0..2 hold the rings' slots for the samples three, two and one back, row
// t + 3 what sample t stores. Only the values one sample back travel from
// sample to sample in registers; the rest is read from the rows, so the
// dependency chain of each resonator is its own recursion and no more.
struct FilterRows {
  static constexpr int kRows = kMaxRun + kHistorySlots;
  alignas(32) float in[kRows][kVoiceSlots];
  alignas(32) float out[kFormantSections][kRows][kVoiceSlots];
  alignas(32) float lowIn[kRows][kVoiceSlots];
  alignas(32) float lowOut[kRows][kVoiceSlots];
};

// Lanes where no section is beyond the runaway level, and lanes whose
// output is finite. A NaN section may slip past the maximum, but not past
// the sum and the output it makes NaN.
inline F8 SectionsTame(const F8 (&section)[kFormantSections]) {
  const F8 largest = Max(Max(Abs(section[0]), Abs(section[1])), Max(Abs(section[2]), Abs(section[3])));
  return Le(largest, SplatF(kRunawayLevel));
}
inline F8 Finite(F8 voice) { return Le(Abs(voice), SplatF(__FLT_MAX__)); }
inline F8 Tame(const F8 (&section)[kFormantSections], F8 voice) { return And(SectionsTame(section), Finite(voice)); }

// The four resonators of the sample in row r, from its input rows and the
// outputs one sample back; the same input terms serve all four.
inline void Resonate(const FilterCoefficients& c, const FilterRows& w, const F8 (&back)[kFormantSections], int r,
                     F8 (&section)[kFormantSections]) {
  const F8 guard = SplatF(kGuard);
  const F8 common = c.b0 * LoadF(w.in[r]) + c.b1 * LoadF(w.in[r - 1]) + c.b2 * LoadF(w.in[r - 2]);
#pragma GCC unroll 4
  for (int i = 0; i < kFormantSections; ++i) {
    section[i] = common - c.a1[i] * back[i] - c.a2 * LoadF(w.out[i][r - 2]) + guard;
  }
}
// Keeps the resonators' outputs of row r, in the rows and one sample back.
inline void KeepSections(FilterRows& w, F8 (&back)[kFormantSections], int r,
                         const F8 (&section)[kFormantSections]) {
#pragma GCC unroll 4
  for (int i = 0; i < kFormantSections; ++i) {
    StoreF(w.out[i][r], section[i]);
    back[i] = section[i];
  }
}

// True when, for every running voice, the four resonators' input rings hold
// the same bits: then one ring serves them all. They differ only for three
// samples after a runaway section was cleared.
inline bool InputsShared(const VoiceLanes& s, F8 run) {
  F8 same = run;
#pragma GCC unroll 4
  for (int i = 1; i < kFormantSections; ++i) {
  #pragma GCC unroll 4
    for (int j = 0; j < kHistorySlots; ++j) {
      same = And(same, EqI(BitsI(LoadF(s.formantIn[i][j])), BitsI(LoadF(s.formantIn[0][j]))));
    }
  }
  return MaskBits(same) == MaskBits(run);
}


// The resonators and low-passes when every running voice's low-pass is
// designed. The low-pass follows the resonators kFilterLag samples behind:
// a sample's sum and low-pass wait on its resonators for longer than a
// resonator step takes, and issued in step with them, their waiting
// operations would fill the processor's scheduler and hold the resonators
// back. Answers the samples done, stopping before the first that needs the
// careful kernel: one whose sections run away (found when its resonators
// run) or whose output is not finite (found at its low-pass). Nothing of
// that sample or any after it is stored in rows below done + 3.
inline constexpr int kFilterLag = 2;
[[gnu::always_inline]] inline int FilterLagged(const FilterCoefficients& c, FilterRows& w,
                                               F8 (&back)[kFormantSections], F8& lowBack, LaneRow* output,
                                               int count, F8 run) {
  constexpr int kBack = kHistorySlots;
  const F8 guard = SplatF(kGuard);
  // The low-pass of sample t, false where its output is not finite.
  const auto lowpass = [&](int t) __attribute__((always_inline)) {
    const int r = t + kBack;
    const F8 filtered = LowpassStep(c, LoadF(w.lowIn[r]), LoadF(w.lowIn[r - 1]), LoadF(w.lowIn[r - 2]), lowBack,
                                    LoadF(w.lowOut[r - 2]), guard);
    if (MaskBits(AndNot(Finite(filtered), run)) != 0) return false;
    lowBack = filtered;
    StoreF(w.lowOut[r], filtered);
    StoreF(output[t], And(run, filtered));
    return true;
  };
  int t = 0, done = 0;
  bool tame = true;
  for (; t < count; ++t) {
    const int r = t + kBack;
    F8 section[kFormantSections];
    Resonate(c, w, back, r, section);
    if (MaskBits(AndNot(SectionsTame(section), run)) != 0) break;
    KeepSections(w, back, r, section);
    StoreF(w.lowIn[r], SectionSum(section, guard));
    if (t >= kFilterLag) {
      tame = lowpass(done);
      if (!tame) break;
      ++done;
    }
  }
  // The low-passes still behind.
  while (tame && done < t) {
    tame = lowpass(done);
    if (tame) ++done;
  }
  return done;
}

// The same, sample by sample, where some running voice's low-pass is not
// designed yet: it passes its input and keeps its rings.
inline int FilterInStep(const FilterCoefficients& c, FilterRows& w, F8 (&back)[kFormantSections], F8& lowBack,
                        LaneRow* output, int count, F8 run) {
  constexpr int kBack = kHistorySlots;
  const F8 guard = SplatF(kGuard);
  int done = 0;
  for (; done < count; ++done) {
    const int r = done + kBack;
    F8 section[kFormantSections];
    Resonate(c, w, back, r, section);
    const F8 sum = SectionSum(section, guard);
    const F8 filtered =
        LowpassStep(c, sum, LoadF(w.lowIn[r - 1]), LoadF(w.lowIn[r - 2]), lowBack, LoadF(w.lowOut[r - 2]), guard);
    const F8 voice = Select(c.configured, filtered, sum + guard);
    if (MaskBits(AndNot(Tame(section, voice), run)) != 0) break;
    KeepSections(w, back, r, section);
    // Its slot holds what it held three samples back.
    StoreF(w.lowIn[r], Select(c.configured, sum, LoadF(w.lowIn[r - kBack])));
    lowBack = Select(c.configured, filtered, LoadF(w.lowOut[r - kBack]));
    StoreF(w.lowOut[r], lowBack);
    StoreF(output[done], And(run, voice));
  }
  return done;
}

// Resonators and low-passes over a run, on its rings unrolled into rows.
// Stops, storing nothing of it, before a sample that needs the careful
// kernel.
template <bool kAllConfigured>
inline int FilterRun(VoiceLanes& s, int position, const LaneRow* excitation, LaneRow* output, int count,
                     F8 run) {
  constexpr int kBack = kHistorySlots;
  FilterRows w;
  // Row r belongs to ring slot (position + r + 1) mod 3.
  for (int r = 0; r < kBack; ++r) {
    const int slot = (position + r + 1) % 3;
    StoreF(w.in[r], LoadF(s.formantIn[0][slot]));
#pragma GCC unroll 4
    for (int i = 0; i < kFormantSections; ++i) StoreF(w.out[i][r], LoadF(s.formantOut[i][slot]));
    StoreF(w.lowIn[r], LoadF(s.lowpassIn[slot]));
    StoreF(w.lowOut[r], LoadF(s.lowpassOut[slot]));
  }
  for (int t = 0; t < count; ++t) StoreF(w.in[t + kBack], LoadF(excitation[t]));

  const FilterCoefficients c = LoadCoefficients(s);
  F8 back[kFormantSections];
#pragma GCC unroll 4
  for (int i = 0; i < kFormantSections; ++i) back[i] = LoadF(w.out[i][kBack - 1]);
  F8 lowBack = LoadF(w.lowOut[kBack - 1]);
  int done;
  if constexpr (kAllConfigured) {
    done = FilterLagged(c, w, back, lowBack, output, count, run);
  } else {
    done = FilterInStep(c, w, back, lowBack, output, count, run);
  }

  // The last three rows back into their ring slots, for the running voices.
  for (int r = done; r < done + kBack; ++r) {
    const int slot = (position + r + 1) % 3;
#pragma GCC unroll 4
    for (int i = 0; i < kFormantSections; ++i) {
      StoreF(s.formantIn[i][slot], Select(run, LoadF(w.in[r]), LoadF(s.formantIn[i][slot])));
      StoreF(s.formantOut[i][slot], Select(run, LoadF(w.out[i][r]), LoadF(s.formantOut[i][slot])));
    }
    StoreF(s.lowpassIn[slot], Select(run, LoadF(w.lowIn[r]), LoadF(s.lowpassIn[slot])));
    StoreF(s.lowpassOut[slot], Select(run, LoadF(w.lowOut[r]), LoadF(s.lowpassOut[slot])));
  }
  return done;
}

// The same for runs of a sample or two (a block that ends just after a
// tick): straight on the rings in memory, without unrolling them into rows.
inline int FilterFew(VoiceLanes& s, int position, const LaneRow* excitation, LaneRow* output, int count, F8 run) {
  const FilterCoefficients c = LoadCoefficients(s);
  const F8 guard = SplatF(kGuard);
  int done = 0;
  for (int p = position; done < count; ++done) {
    p = p == 2 ? 0 : p + 1;
    const int one = (p + 2) % 3, two = (p + 1) % 3;
    const F8 ex = LoadF(excitation[done]);
    const F8 common = c.b0 * ex + c.b1 * LoadF(s.formantIn[0][one]) + c.b2 * LoadF(s.formantIn[0][two]);
    F8 section[kFormantSections];
#pragma GCC unroll 4
    for (int i = 0; i < kFormantSections; ++i) {
      section[i] = common - c.a1[i] * LoadF(s.formantOut[i][one]) - c.a2 * LoadF(s.formantOut[i][two]) + guard;
    }
    const F8 sum = SectionSum(section, guard);
    const F8 filtered = LowpassStep(c, sum, LoadF(s.lowpassIn[one]), LoadF(s.lowpassIn[two]),
                                    LoadF(s.lowpassOut[one]), LoadF(s.lowpassOut[two]), guard);
    const F8 voice = Select(c.configured, filtered, sum + guard);
    if (MaskBits(AndNot(Tame(section, voice), run)) != 0) break;
#pragma GCC unroll 4
    for (int i = 0; i < kFormantSections; ++i) {
      StoreF(s.formantIn[i][p], Select(run, ex, LoadF(s.formantIn[i][p])));
      StoreF(s.formantOut[i][p], Select(run, section[i], LoadF(s.formantOut[i][p])));
    }
    const F8 writes = And(run, c.configured);
    StoreF(s.lowpassIn[p], Select(writes, sum, LoadF(s.lowpassIn[p])));
    StoreF(s.lowpassOut[p], Select(writes, filtered, LoadF(s.lowpassOut[p])));
    StoreF(output[done], And(run, voice));
  }
  return done;
}

inline int FilterVoices(VoiceLanes& s, int position, const LaneRow* excitation, LaneRow* output, int count,
                        int running) {
  const F8 run = LaneMask(running);
  if ((s.divergedInputs & running) != 0) {
    if (!InputsShared(s, run)) return 0;
    s.divergedInputs &= ~running;
  }
  if (count <= 2) return FilterFew(s, position, excitation, output, count, run);
  const int configured = MaskBits(BitsF(LoadI(s.lowpassConfigured)));
  if ((configured & running) == running) return FilterRun<true>(s, position, excitation, output, count, run);
  return FilterRun<false>(s, position, excitation, output, count, run);
}

// Sample by sample on the rings in memory, every exception handled as the
// scalar voice handles it.
inline void FilterVoicesCareful(VoiceLanes& s, int position, const LaneRow* excitation, LaneRow* output,
                                int count, int running) {
  const F8 run = LaneMask(running);
  const F8 zero = SplatF(0.0f), guard = SplatF(kGuard);
  const FilterCoefficients c = LoadCoefficients(s);
  int p = position;
  for (int k = 0; k < count; ++k) {
    p = p == 2 ? 0 : p + 1;
    const int one = (p + 2) % 3, two = (p + 1) % 3;
    const F8 ex = LoadF(excitation[k]);
    F8 sum = zero;
    for (int i = 0; i < kFormantSections; ++i) {
      LaneRing& in = s.formantIn[i];
      LaneRing& out = s.formantOut[i];
      const F8 y = c.b0 * ex + c.b1 * LoadF(in[one]) + c.b2 * LoadF(in[two]) - c.a1[i] * LoadF(out[one]) -
                   c.a2 * LoadF(out[two]) + guard;
      const F8 tame = Le(Abs(y), SplatF(kRunawayLevel));
      // A section that runs away is cleared, input and output, and left out.
      const F8 cleared = AndNot(tame, run);
      s.divergedInputs |= MaskBits(cleared);
      StoreF(in[p], Select(run, ex, LoadF(in[p])));
      StoreF(out[p], Select(run, y, LoadF(out[p])));
      for (int j = 0; j < kHistorySlots; ++j) {
        StoreF(in[j], Select(cleared, zero, LoadF(in[j])));
        StoreF(out[j], Select(cleared, zero, LoadF(out[j])));
      }
      sum = Select(tame, sum + y + guard, sum);
    }
    const F8 filtered = LowpassStep(c, sum, LoadF(s.lowpassIn[one]), LoadF(s.lowpassIn[two]),
                                    LoadF(s.lowpassOut[one]), LoadF(s.lowpassOut[two]), guard);
    const F8 writes = And(run, c.configured);
    StoreF(s.lowpassIn[p], Select(writes, sum, LoadF(s.lowpassIn[p])));
    StoreF(s.lowpassOut[p], Select(writes, filtered, LoadF(s.lowpassOut[p])));
    F8 voice = Select(c.configured, filtered, sum + guard);
    // A voice whose output is not finite is cleared and gives nothing.
    const F8 broken = AndNot(Le(Abs(voice), SplatF(__FLT_MAX__)), run);
    if (MaskBits(broken) != 0) {
      for (int j = 0; j < kHistorySlots; ++j) {
        for (int i = 0; i < kFormantSections; ++i) {
          StoreF(s.formantIn[i][j], Select(broken, zero, LoadF(s.formantIn[i][j])));
          StoreF(s.formantOut[i][j], Select(broken, zero, LoadF(s.formantOut[i][j])));
        }
        StoreF(s.lowpassIn[j], Select(broken, zero, LoadF(s.lowpassIn[j])));
        StoreF(s.lowpassOut[j], Select(broken, zero, LoadF(s.lowpassOut[j])));
      }
      voice = Select(broken, zero, voice);
    }
    StoreF(output[k], And(run, voice));
  }
}

// The voices' outputs summed sample by sample, in voice order (as the scalar
// loop adds them; voices that do not run give +0): eight rows at a time
// through a transpose, the last few one by one.
inline F8 RowSums(const LaneRow* rows) {
  F8 column[kVoiceSlots];
  Transpose(rows, column);
  F8 sum = column[0];
#pragma GCC unroll 8
  for (int v = 1; v < kMaxVoices; ++v) sum = sum + column[v];
  return sum;
}

inline void SumVoices(const LaneRow* output, float* mono, int count) {
  int at = 0;
  for (; at + 8 <= count; at += 8) StoreFU(mono + at, RowSums(output + at));
  if (count - at >= 4) {
    alignas(32) float sums[8];
    StoreF(sums, RowSums(output + at));
    for (int i = at; i < count; ++i) mono[i] = sums[i - at];
    return;
  }
  for (; at < count; ++at) {
    float sum = output[at][0];
    for (int v = 1; v < kMaxVoices; ++v) sum += output[at][v];
    mono[at] = sum;
  }
}

// --- Output -----------------------------------------------------------------

// (3|x| - x^2) / 2 with the sign of x, 1 beyond |x| = 1: the scalar
// clipper's steps, lane by lane.
inline F8 SoftClipLanes(F8 x) {
  const F8 zero = SplatF(0.0f), one = SplatF(1.0f);
  const F8 a = Abs(x);
  const F8 sign = Select(Gt(x, zero), one, Select(Lt(x, zero), SplatF(-1.0f), zero));
  const F8 curve = (SplatF(3.0f) * a - a * a) * SplatF(0.5f);
  return sign * Select(Gt(a, one), one, curve);
}

// The scalar clipper for the last few samples. A copy, not the engine's
// shared SoftClip: an inline function compiled here, for this instruction
// set, could be the copy the linker keeps for every caller.
inline float SoftClipOne(float x) {
  const float a = x < 0.0f ? -x : x;
  const float s = x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f);
  return s * (a > 1.0f ? 1.0f : (3.0f * a - a * a) * 0.5f);
}

inline void ClipOut(const float* scaledLeft, const float* scaledRight, float* left, float* right, int count,
                    bool replace) {
  int i = 0;
  for (; i + kVoiceSlots <= count; i += kVoiceSlots) {
    const F8 l = SoftClipLanes(LoadFU(scaledLeft + i));
    const F8 r = SoftClipLanes(LoadFU(scaledRight + i));
    StoreFU(left + i, replace ? l : LoadFU(left + i) + l);
    StoreFU(right + i, replace ? r : LoadFU(right + i) + r);
  }
  for (; i < count; ++i) {
    const float l = SoftClipOne(scaledLeft[i]);
    const float r = SoftClipOne(scaledRight[i]);
    left[i] = replace ? l : left[i] + l;
    right[i] = replace ? r : right[i] + r;
  }
}
