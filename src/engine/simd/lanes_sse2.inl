// Lane vectors of the SSE2 instruction set, the baseline of every x86 build
// (the 64-bit builds and the 32-bit Windows one). Included inside the
// namespace of the translation unit that instantiates the kernels, after
// <emmintrin.h>; it includes nothing itself.
//
// F8: eight float lanes, one per voice slot, as two 4-lane halves.
// I8: eight int32 lanes. D: a batch of two doubles.

struct F8 {
  __m128 lo, hi;
};
struct I8 {
  __m128i lo, hi;
};
struct D {
  __m128d v;
  static constexpr int kWidth = 2;
};

// --- Eight float lanes ----------------------------------------------------
inline F8 LoadF(const float* p) { return {_mm_load_ps(p), _mm_load_ps(p + 4)}; }
inline void StoreF(float* p, F8 x) {
  _mm_store_ps(p, x.lo);
  _mm_store_ps(p + 4, x.hi);
}
// Unaligned, for the host's buffers.
inline F8 LoadFU(const float* p) { return {_mm_loadu_ps(p), _mm_loadu_ps(p + 4)}; }
inline void StoreFU(float* p, F8 x) {
  _mm_storeu_ps(p, x.lo);
  _mm_storeu_ps(p + 4, x.hi);
}
inline F8 SplatF(float x) { return {_mm_set1_ps(x), _mm_set1_ps(x)}; }
inline F8 operator+(F8 a, F8 b) { return {_mm_add_ps(a.lo, b.lo), _mm_add_ps(a.hi, b.hi)}; }
inline F8 operator-(F8 a, F8 b) { return {_mm_sub_ps(a.lo, b.lo), _mm_sub_ps(a.hi, b.hi)}; }
inline F8 operator*(F8 a, F8 b) { return {_mm_mul_ps(a.lo, b.lo), _mm_mul_ps(a.hi, b.hi)}; }
inline F8 And(F8 a, F8 b) { return {_mm_and_ps(a.lo, b.lo), _mm_and_ps(a.hi, b.hi)}; }
inline F8 Or(F8 a, F8 b) { return {_mm_or_ps(a.lo, b.lo), _mm_or_ps(a.hi, b.hi)}; }
inline F8 AndNot(F8 a, F8 b) { return {_mm_andnot_ps(a.lo, b.lo), _mm_andnot_ps(a.hi, b.hi)}; }
// Comparisons are ordered: a NaN lane compares false.
inline F8 Lt(F8 a, F8 b) { return {_mm_cmplt_ps(a.lo, b.lo), _mm_cmplt_ps(a.hi, b.hi)}; }
inline F8 Le(F8 a, F8 b) { return {_mm_cmple_ps(a.lo, b.lo), _mm_cmple_ps(a.hi, b.hi)}; }
inline F8 Gt(F8 a, F8 b) { return Lt(b, a); }
inline F8 Eq(F8 a, F8 b) { return {_mm_cmpeq_ps(a.lo, b.lo), _mm_cmpeq_ps(a.hi, b.hi)}; }
// m ? a : b, lane by lane; m holds all-ones or all-zero lanes.
inline F8 Select(F8 m, F8 a, F8 b) { return Or(And(m, a), AndNot(m, b)); }
inline F8 Abs(F8 x) { return AndNot(SplatF(-0.0f), x); }
// The larger of each pair of lanes (b where either is NaN).
inline F8 Max(F8 a, F8 b) { return {_mm_max_ps(a.lo, b.lo), _mm_max_ps(a.hi, b.hi)}; }
// The smaller of each pair of lanes (b where either is NaN).
inline F8 Min(F8 a, F8 b) { return {_mm_min_ps(a.lo, b.lo), _mm_min_ps(a.hi, b.hi)}; }
inline int MaskBits(F8 m) { return _mm_movemask_ps(m.lo) | (_mm_movemask_ps(m.hi) << 4); }

// The columns of eight rows of eight lanes: column v holds lane v of rows
// 0..7.
// Unrolled, so that nothing goes through memory in halves.
inline void Transpose(const float (*rows)[8], F8* columns) {
#pragma GCC unroll 2
  for (int half = 0; half < 2; ++half) {      // lanes 0..3, 4..7
#pragma GCC unroll 2
    for (int block = 0; block < 2; ++block) {  // rows 0..3, 4..7
      __m128 a = _mm_load_ps(rows[4 * block] + 4 * half), b = _mm_load_ps(rows[4 * block + 1] + 4 * half);
      __m128 c = _mm_load_ps(rows[4 * block + 2] + 4 * half), d = _mm_load_ps(rows[4 * block + 3] + 4 * half);
      _MM_TRANSPOSE4_PS(a, b, c, d);
      __m128 F8::*part = block == 0 ? &F8::lo : &F8::hi;
      columns[4 * half].*part = a;
      columns[4 * half + 1].*part = b;
      columns[4 * half + 2].*part = c;
      columns[4 * half + 3].*part = d;
    }
  }
}

// --- Eight int32 lanes ------------------------------------------------------
inline I8 LoadI(const std::int32_t* p) {
  return {_mm_load_si128(reinterpret_cast<const __m128i*>(p)),
          _mm_load_si128(reinterpret_cast<const __m128i*>(p + 4))};
}
inline void StoreI(std::int32_t* p, I8 x) {
  _mm_store_si128(reinterpret_cast<__m128i*>(p), x.lo);
  _mm_store_si128(reinterpret_cast<__m128i*>(p + 4), x.hi);
}
inline I8 SplatI(std::int32_t x) { return {_mm_set1_epi32(x), _mm_set1_epi32(x)}; }
inline I8 AddI(I8 a, I8 b) { return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)}; }
inline I8 AndI(I8 a, I8 b) { return {_mm_and_si128(a.lo, b.lo), _mm_and_si128(a.hi, b.hi)}; }
inline F8 LtI(I8 a, I8 b) {
  return {_mm_castsi128_ps(_mm_cmplt_epi32(a.lo, b.lo)), _mm_castsi128_ps(_mm_cmplt_epi32(a.hi, b.hi))};
}
inline F8 ToFloat(I8 x) { return {_mm_cvtepi32_ps(x.lo), _mm_cvtepi32_ps(x.hi)}; }
inline F8 BitsF(I8 x) { return {_mm_castsi128_ps(x.lo), _mm_castsi128_ps(x.hi)}; }
inline I8 BitsI(F8 x) { return {_mm_castps_si128(x.lo), _mm_castps_si128(x.hi)}; }
inline F8 EqI(I8 a, I8 b) {
  return {_mm_castsi128_ps(_mm_cmpeq_epi32(a.lo, b.lo)), _mm_castsi128_ps(_mm_cmpeq_epi32(a.hi, b.hi))};
}
inline I8 XorI(I8 a, I8 b) { return {_mm_xor_si128(a.lo, b.lo), _mm_xor_si128(a.hi, b.hi)}; }
template <int kShift>
inline I8 ShiftLeftI(I8 a) { return {_mm_slli_epi32(a.lo, kShift), _mm_slli_epi32(a.hi, kShift)}; }
template <int kShift>
inline I8 ShiftRightI(I8 a) { return {_mm_srli_epi32(a.lo, kShift), _mm_srli_epi32(a.hi, kShift)}; }
// Lane v of the answer is lane index[v] of x (through memory: SSE2 has no
// lane permutation across eight lanes).
inline F8 Permute(F8 x, I8 index) {
  alignas(16) float in[8], out[8];
  alignas(16) std::int32_t at[8];
  StoreF(in, x);
  _mm_store_si128(reinterpret_cast<__m128i*>(at), index.lo);
  _mm_store_si128(reinterpret_cast<__m128i*>(at + 4), index.hi);
  for (int v = 0; v < 8; ++v) out[v] = in[at[v] & 7];
  return LoadF(out);
}
inline I8 SelectI(F8 m, I8 a, I8 b) { return BitsI(Select(m, BitsF(a), BitsF(b))); }

// --- Batches of doubles -----------------------------------------------------
inline D LoadD(const double* p) { return {_mm_load_pd(p)}; }
inline void StoreD(double* p, D x) { _mm_store_pd(p, x.v); }
inline D SplatD(double x) { return {_mm_set1_pd(x)}; }
inline D FromFloats(const float* p) { return {_mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))))}; }
// Rounds each lane to single precision as a cast does, into p[0..1].
inline void StoreRounded(float* p, D x) { _mm_storel_pi(reinterpret_cast<__m64*>(p), _mm_cvtpd_ps(x.v)); }
// Each lane rounded to single precision, as a double again.
inline D ToSingle(D x) { return {_mm_cvtps_pd(_mm_cvtpd_ps(x.v))}; }
// Each lane rounded to the nearest integer, ties to even (the current
// rounding mode); lanes outside the 32-bit range give INT32_MIN.
inline void StoreInts(std::int32_t* p, D x) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_cvtpd_epi32(x.v)); }
inline D operator+(D a, D b) { return {_mm_add_pd(a.v, b.v)}; }
inline D operator-(D a, D b) { return {_mm_sub_pd(a.v, b.v)}; }
inline D operator*(D a, D b) { return {_mm_mul_pd(a.v, b.v)}; }
inline D operator/(D a, D b) { return {_mm_div_pd(a.v, b.v)}; }
inline D AndD(D a, D b) { return {_mm_and_pd(a.v, b.v)}; }
inline D XorD(D a, D b) { return {_mm_xor_pd(a.v, b.v)}; }
inline D AbsD(D x) { return {_mm_andnot_pd(_mm_set1_pd(-0.0), x.v)}; }
inline D LtD(D a, D b) { return {_mm_cmplt_pd(a.v, b.v)}; }
inline D GtD(D a, D b) { return {_mm_cmplt_pd(b.v, a.v)}; }
inline D SelectD(D m, D a, D b) { return {_mm_or_pd(_mm_and_pd(m.v, a.v), _mm_andnot_pd(m.v, b.v))}; }
inline int MaskBitsD(D m) { return _mm_movemask_pd(m.v); }
// The lanes of a and b rounded to single precision compare equal (a NaN
// never does): bit i of the answer for lane i.
inline int SameFloats(D a, D b) {
  return _mm_movemask_ps(_mm_cmpeq_ps(_mm_cvtpd_ps(a.v), _mm_cvtpd_ps(b.v))) & 3;
}

// The 64-bit integer view of each double lane.
inline D AddBits(D a, std::int64_t b) { return {_mm_castsi128_pd(_mm_add_epi64(_mm_castpd_si128(a.v), _mm_set1_epi64x(b)))}; }
template <int kShift>
inline D ShiftBitsLeft(D a) { return {_mm_castsi128_pd(_mm_slli_epi64(_mm_castpd_si128(a.v), kShift))}; }
// Lanes whose bit 0 is set take a, the others b.
inline D SelectByBit0(D bits, D a, D b) {
  const __m128i top = _mm_slli_epi64(_mm_castpd_si128(bits.v), 63);
  const __m128i mask = _mm_shuffle_epi32(_mm_srai_epi32(top, 31), _MM_SHUFFLE(3, 3, 1, 1));
  return SelectD({_mm_castsi128_pd(mask)}, a, b);
}
