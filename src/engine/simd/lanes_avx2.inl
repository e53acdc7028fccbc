// Lane vectors of the AVX2 instruction set (without FMA, so that every
// product is rounded before it is added, as in the scalar formulas).
// Included inside the namespace of the translation unit that instantiates
// the kernels, after <immintrin.h>; it includes nothing itself.
//
// F8: eight float lanes, one per voice slot. I8: eight int32 lanes.
// D: a batch of four doubles.

struct F8 {
  __m256 v;
};
struct I8 {
  __m256i v;
};
struct D {
  __m256d v;
  static constexpr int kWidth = 4;
};

// --- Eight float lanes ----------------------------------------------------
inline F8 LoadF(const float* p) { return {_mm256_load_ps(p)}; }
inline void StoreF(float* p, F8 x) { _mm256_store_ps(p, x.v); }
// Unaligned, for the host's buffers.
inline F8 LoadFU(const float* p) { return {_mm256_loadu_ps(p)}; }
inline void StoreFU(float* p, F8 x) { _mm256_storeu_ps(p, x.v); }
inline F8 SplatF(float x) { return {_mm256_set1_ps(x)}; }
inline F8 operator+(F8 a, F8 b) { return {_mm256_add_ps(a.v, b.v)}; }
inline F8 operator-(F8 a, F8 b) { return {_mm256_sub_ps(a.v, b.v)}; }
inline F8 operator*(F8 a, F8 b) { return {_mm256_mul_ps(a.v, b.v)}; }
inline F8 And(F8 a, F8 b) { return {_mm256_and_ps(a.v, b.v)}; }
inline F8 Or(F8 a, F8 b) { return {_mm256_or_ps(a.v, b.v)}; }
inline F8 AndNot(F8 a, F8 b) { return {_mm256_andnot_ps(a.v, b.v)}; }
// Comparisons are ordered and quiet: a NaN lane compares false.
inline F8 Lt(F8 a, F8 b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LT_OQ)}; }
inline F8 Le(F8 a, F8 b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LE_OQ)}; }
inline F8 Gt(F8 a, F8 b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_GT_OQ)}; }
inline F8 Eq(F8 a, F8 b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_EQ_OQ)}; }
// m ? a : b, lane by lane; m holds all-ones or all-zero lanes.
inline F8 Select(F8 m, F8 a, F8 b) { return {_mm256_blendv_ps(b.v, a.v, m.v)}; }
inline F8 Abs(F8 x) { return AndNot(SplatF(-0.0f), x); }
// The larger of each pair of lanes (b where either is NaN).
inline F8 Max(F8 a, F8 b) { return {_mm256_max_ps(a.v, b.v)}; }
// The smaller of each pair of lanes (b where either is NaN).
inline F8 Min(F8 a, F8 b) { return {_mm256_min_ps(a.v, b.v)}; }
inline int MaskBits(F8 m) { return _mm256_movemask_ps(m.v); }

// The columns of eight rows of eight lanes: column v holds lane v of rows
// 0..7.
// Every loop unrolled, so that r and t live in registers: kept as arrays in
// memory, their halves' stores stall the whole loads that follow.
inline void Transpose(const float (*rows)[8], F8* columns) {
  __m256 r[8], t[8];
#pragma GCC unroll 8
  for (int i = 0; i < 8; ++i) r[i] = _mm256_load_ps(rows[i]);
#pragma GCC unroll 4
  for (int i = 0; i < 8; i += 2) {
    t[i] = _mm256_unpacklo_ps(r[i], r[i + 1]);
    t[i + 1] = _mm256_unpackhi_ps(r[i], r[i + 1]);
  }
#pragma GCC unroll 2
  for (int i = 0; i < 8; i += 4) {
    r[i] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(1, 0, 1, 0));
    r[i + 1] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(3, 2, 3, 2));
    r[i + 2] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(1, 0, 1, 0));
    r[i + 3] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(3, 2, 3, 2));
  }
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    columns[i].v = _mm256_permute2f128_ps(r[i], r[i + 4], 0x20);
    columns[i + 4].v = _mm256_permute2f128_ps(r[i], r[i + 4], 0x31);
  }
}

// --- Eight int32 lanes ------------------------------------------------------
inline I8 LoadI(const std::int32_t* p) { return {_mm256_load_si256(reinterpret_cast<const __m256i*>(p))}; }
inline void StoreI(std::int32_t* p, I8 x) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), x.v); }
inline I8 SplatI(std::int32_t x) { return {_mm256_set1_epi32(x)}; }
inline I8 AddI(I8 a, I8 b) { return {_mm256_add_epi32(a.v, b.v)}; }
inline I8 AndI(I8 a, I8 b) { return {_mm256_and_si256(a.v, b.v)}; }
inline F8 LtI(I8 a, I8 b) { return {_mm256_castsi256_ps(_mm256_cmpgt_epi32(b.v, a.v))}; }
inline F8 ToFloat(I8 x) { return {_mm256_cvtepi32_ps(x.v)}; }
inline F8 BitsF(I8 x) { return {_mm256_castsi256_ps(x.v)}; }
inline I8 BitsI(F8 x) { return {_mm256_castps_si256(x.v)}; }
inline F8 EqI(I8 a, I8 b) { return {_mm256_castsi256_ps(_mm256_cmpeq_epi32(a.v, b.v))}; }
inline I8 XorI(I8 a, I8 b) { return {_mm256_xor_si256(a.v, b.v)}; }
template <int kShift>
inline I8 ShiftLeftI(I8 a) { return {_mm256_slli_epi32(a.v, kShift)}; }
template <int kShift>
inline I8 ShiftRightI(I8 a) { return {_mm256_srli_epi32(a.v, kShift)}; }
// Lane v of the answer is lane index[v] of x.
inline F8 Permute(F8 x, I8 index) { return {_mm256_permutevar8x32_ps(x.v, index.v)}; }
inline I8 SelectI(F8 m, I8 a, I8 b) { return BitsI(Select(m, BitsF(a), BitsF(b))); }

// --- Batches of doubles -----------------------------------------------------
inline D LoadD(const double* p) { return {_mm256_load_pd(p)}; }
inline void StoreD(double* p, D x) { _mm256_store_pd(p, x.v); }
inline D SplatD(double x) { return {_mm256_set1_pd(x)}; }
inline D FromFloats(const float* p) { return {_mm256_cvtps_pd(_mm_loadu_ps(p))}; }
// Rounds each lane to single precision as a cast does, into p[0..3].
inline void StoreRounded(float* p, D x) { _mm_storeu_ps(p, _mm256_cvtpd_ps(x.v)); }
// Each lane rounded to single precision, as a double again.
inline D ToSingle(D x) { return {_mm256_cvtps_pd(_mm256_cvtpd_ps(x.v))}; }
// Each lane rounded to the nearest integer, ties to even (the current
// rounding mode); lanes outside the 32-bit range give INT32_MIN.
inline void StoreInts(std::int32_t* p, D x) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_cvtpd_epi32(x.v)); }
inline D operator+(D a, D b) { return {_mm256_add_pd(a.v, b.v)}; }
inline D operator-(D a, D b) { return {_mm256_sub_pd(a.v, b.v)}; }
inline D operator*(D a, D b) { return {_mm256_mul_pd(a.v, b.v)}; }
inline D operator/(D a, D b) { return {_mm256_div_pd(a.v, b.v)}; }
inline D AndD(D a, D b) { return {_mm256_and_pd(a.v, b.v)}; }
inline D XorD(D a, D b) { return {_mm256_xor_pd(a.v, b.v)}; }
inline D AbsD(D x) { return {_mm256_andnot_pd(_mm256_set1_pd(-0.0), x.v)}; }
inline D LtD(D a, D b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)}; }
inline D GtD(D a, D b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)}; }
inline D SelectD(D m, D a, D b) { return {_mm256_blendv_pd(b.v, a.v, m.v)}; }
inline int MaskBitsD(D m) { return _mm256_movemask_pd(m.v); }
// The lanes of a and b rounded to single precision compare equal (a NaN
// never does): bit i of the answer for lane i.
inline int SameFloats(D a, D b) {
  return _mm_movemask_ps(_mm_cmpeq_ps(_mm256_cvtpd_ps(a.v), _mm256_cvtpd_ps(b.v)));
}

// The 64-bit integer view of each double lane.
inline D AddBits(D a, std::int64_t b) {
  return {_mm256_castsi256_pd(_mm256_add_epi64(_mm256_castpd_si256(a.v), _mm256_set1_epi64x(b)))};
}
template <int kShift>
inline D ShiftBitsLeft(D a) { return {_mm256_castsi256_pd(_mm256_slli_epi64(_mm256_castpd_si256(a.v), kShift))}; }
// Lanes whose bit 0 is set take a, the others b.
inline D SelectByBit0(D bits, D a, D b) { return {_mm256_blendv_pd(b.v, a.v, ShiftBitsLeft<63>(bits).v)}; }
