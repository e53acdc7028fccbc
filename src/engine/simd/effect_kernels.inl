// Stretches of the chorus and the delay that work on many samples at once:
// every array is contiguous and none overlaps another, so the order of the
// samples does not matter, and each sample is computed as the effects'
// per-sample steps compute it.
//
// Written on the lane operations of lanes_*.inl, eight samples at a time,
// the rest one by one.

// The chorus line's hard clip after the denormal guard. Min and Max answer
// their second operand for a NaN, which therefore passes, as it does the
// per-sample step's comparisons.
inline F8 ClipLanes(F8 x) { return Max(SplatF(-1.0f), Min(SplatF(1.0f), x + SplatF(kGuard))); }
inline float ClipOneSample(float x) {
  x += kGuard;
  if (x > 1.0f) return 1.0f;
  if (x < -1.0f) return -1.0f;
  return x;
}

// Chorus: older[i] and older[i + 1] are the line one sample beyond the
// delay and at it for sample i. y = (1 - fraction) x at + fraction x beyond;
// line[i] takes the clipped s - feedback x y plus the guard; the sample
// becomes s + y + guard.
inline void ChorusSpan(float* samples, const float* older, float* line, int count, float fraction, float feedback) {
  const float keep = 1.0f - fraction;
  const F8 keepLanes = SplatF(keep), fractionLanes = SplatF(fraction), feedbackLanes = SplatF(feedback);
  const F8 guard = SplatF(kGuard);
  int i = 0;
  for (; i + kVoiceSlots <= count; i += kVoiceSlots) {
    const F8 s = LoadFU(samples + i);
    const F8 y = keepLanes * LoadFU(older + i + 1) + fractionLanes * LoadFU(older + i);
    StoreFU(line + i, ClipLanes(s - feedbackLanes * y) + guard);
    StoreFU(samples + i, s + y + guard);
  }
  for (; i < count; ++i) {
    const float s = samples[i];
    const float y = keep * older[i + 1] + fraction * older[i];
    line[i] = ClipOneSample(s - feedback * y) + kGuard;
    samples[i] = s + y + kGuard;
  }
}

// Delay: taps[i] is the line one delay back from sample i. filterIn[i]
// receives s - feedback x tap, what the feedback filter takes; the sample
// becomes wet x tap + dry x s.
inline void DelaySpan(float* samples, const float* taps, float* filterIn, int count, float feedback, float wet,
                      float dry) {
  const F8 feedbackLanes = SplatF(feedback), wetLanes = SplatF(wet), dryLanes = SplatF(dry);
  int i = 0;
  for (; i + kVoiceSlots <= count; i += kVoiceSlots) {
    const F8 s = LoadFU(samples + i), y = LoadFU(taps + i);
    StoreFU(filterIn + i, s - feedbackLanes * y);
    StoreFU(samples + i, wetLanes * y + dryLanes * s);
  }
  for (; i < count; ++i) {
    const float s = samples[i], y = taps[i];
    filterIn[i] = s - feedback * y;
    samples[i] = wet * y + dry * s;
  }
}
