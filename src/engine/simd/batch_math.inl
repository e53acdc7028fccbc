// Branch-free exp, sin and cos on batches of doubles, for the control tick.
// Written on the lane operations of lanes_*.inl and included after them.
//
// They are not correctly rounded, but close: the absolute error of sin and
// cos and the relative error of exp stay below 2^-50 inside their domains
// (the engine's tests measure them against the library). Every caller
// rounds what it computes from them to single precision and checks that the
// rounding could not have gone the other way within that error; where it
// could, it asks the library, so that every stored float is exactly the one
// the library's functions give. Outside the domain the answer is NaN, which
// no such check accepts.

// The domain of exp: |y| < 700.
inline constexpr double kExpDomain = 700.0;
// The domain of sin and cos: |u| < 4e8. The quadrant count stays below
// 2^28, so that its products with the first two parts of pi/2 are exact.
inline constexpr double kTrigDomain = 4.0e8;

// Adding and subtracting 1.5 x 2^52 rounds to an integer, ties to even, and
// leaves that integer in the low bits of the sum's bit pattern.
inline constexpr double kRoundMagic = 6755399441055744.0;
inline constexpr std::int64_t kRoundMagicBits = 0x4338000000000000;

inline constexpr double kInvLn2 = 1.4426950408889634;
// ln 2 in two parts; the first has 32 significant bits, so that its product
// with an exponent below 2^11 is exact.
inline constexpr double kLn2Hi = 0x1.62e42fee00000p-1;
inline constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;

inline constexpr double kTwoOverPi = 0.6366197723675814;
// pi / 2 in three parts, the first two of 25 significant bits.
inline constexpr double kHalfPi1 = 0x1.921fb50000000p+0;
inline constexpr double kHalfPi2 = 0x1.110b460000000p-26;
inline constexpr double kHalfPi3 = 0x1.1a62633145c07p-54;

// Polynomials close to the minimax ones (Chebyshev fits) on the reduced
// ranges, each within 2^-52 of its function there.
// exp r = 1 + r + r^2 (e[0] + e[1] r + ...) for |r| <= ln 2 / 2.
inline constexpr double kExp[] = {
    0.5,
    0.1666666666666667,
    0.04166666666666667,
    0.008333333333326141,
    0.0013888888888883752,
    0.00019841269874800694,
    2.480158732553351e-05,
    2.755725542549107e-06,
    2.755727366116628e-07,
    2.5105206480259365e-08,
    2.0914679452495193e-09,
};
// sin r = r + r z (s[0] + s[1] z + ...) and cos r = 1 + z (c[0] + c[1] z +
// ...), z = r^2, for |r| <= pi / 4.
inline constexpr double kSin[] = {
    -0.16666666666666666,   0.008333333333333331,   -0.00019841269841265065, 2.755731921933913e-06,
    -2.5052106232434684e-08, 1.6058531616942478e-10, -7.586696997236634e-13,
};
inline constexpr double kCos[] = {
    -0.5,
    0.04166666666666664,
    -0.0013888888888880775,
    2.4801587293693395e-05,
    -2.755731556632e-07,
    2.087588673457593e-09,
    -1.1367998449407755e-11,
};

inline D NotANumber() { return SplatD(__builtin_nan("")); }

// The functions below work on kBatches batches at once, their steps
// interleaved, so that the batches' dependency chains overlap.

// One level of Estrin's scheme: neighbouring terms of t paired with the
// current power of x, which then squares; down to one term.
template <int kBatches, int kWidth, int kTerms>
[[gnu::always_inline]] inline void EstrinLevel(D (&t)[kBatches][kWidth], D (&power)[kBatches]) {
  if constexpr (kTerms > 1) {
#pragma GCC unroll 8
    for (int b = 0; b < kBatches; ++b) {
#pragma GCC unroll 8
      for (int i = 0; i < kTerms / 2; ++i) t[b][i] = t[b][2 * i] + power[b] * t[b][2 * i + 1];
      if constexpr (kTerms % 2 != 0) t[b][kTerms / 2] = t[b][kTerms - 1];
      power[b] = power[b] * power[b];
    }
    EstrinLevel<kBatches, kWidth, (kTerms + 1) / 2>(t, power);
  }
}

// p[b] = c[0] + c[1] x[b] + ... + c[n - 1] x[b]^(n - 1) by Estrin's scheme:
// neighbouring terms paired, then pairs of pairs with x^2, x^4, ..., so
// that the dependency chain grows with log n rather than n.
template <int kBatches, int kCount>
[[gnu::always_inline]] inline void Estrin(const D* x, const double (&c)[kCount], D* p) {
  constexpr int kTerms = (kCount + 1) / 2;
  D t[kBatches][kTerms], power[kBatches];
#pragma GCC unroll 8
  for (int b = 0; b < kBatches; ++b) {
#pragma GCC unroll 8
    for (int i = 0; i < kTerms; ++i) {
      t[b][i] = 2 * i + 1 < kCount ? SplatD(c[2 * i]) + x[b] * SplatD(c[2 * i + 1]) : SplatD(c[2 * i]);
    }
    power[b] = x[b] * x[b];
  }
  EstrinLevel<kBatches, kTerms, kTerms>(t, power);
  for (int b = 0; b < kBatches; ++b) p[b] = t[b][0];
}

// exp(y), NaN outside the domain.
template <int kBatches>
inline void ExpD(const D* y, D* result) {
  D shifted[kBatches], r[kBatches], p[kBatches];
  for (int b = 0; b < kBatches; ++b) {
    shifted[b] = y[b] * SplatD(kInvLn2) + SplatD(kRoundMagic);
    const D k = shifted[b] - SplatD(kRoundMagic);
    r[b] = (y[b] - k * SplatD(kLn2Hi)) - k * SplatD(kLn2Lo);
  }
  Estrin<kBatches>(r, kExp, p);
  for (int b = 0; b < kBatches; ++b) {
    const D e = SplatD(1.0) + r[b] + (r[b] * r[b]) * p[b];
    // 2^k from k + 1023 placed in the exponent field.
    const D scale = ShiftBitsLeft<52>(AddBits(shifted[b], 1023 - kRoundMagicBits));
    result[b] = SelectD(LtD(AbsD(y[b]), SplatD(kExpDomain)), e * scale, NotANumber());
  }
}

// sin(u) and cos(u) from one reduction of u to [-pi/4, pi/4], NaN outside
// the domain; sinU may be null when only the cosine is wanted.
template <int kBatches>
inline void SinCosD(const D* u, D* sinU, D* cosU) {
  D shifted[kBatches], r[kBatches], z[kBatches], ps[kBatches], pc[kBatches];
  for (int b = 0; b < kBatches; ++b) {
    shifted[b] = u[b] * SplatD(kTwoOverPi) + SplatD(kRoundMagic);
    const D q = shifted[b] - SplatD(kRoundMagic);
    r[b] = ((u[b] - q * SplatD(kHalfPi1)) - q * SplatD(kHalfPi2)) - q * SplatD(kHalfPi3);
    z[b] = r[b] * r[b];
  }
  Estrin<kBatches>(z, kSin, ps);
  Estrin<kBatches>(z, kCos, pc);
  const D sign = SplatD(-0.0);
  for (int b = 0; b < kBatches; ++b) {
    const D sinR = r[b] + (r[b] * z[b]) * ps[b];
    const D cosR = SplatD(1.0) + z[b] * pc[b];
    // Quadrant q: an odd one swaps sine and cosine; sin turns negative in
    // quadrants 2 and 3, cos in quadrants 1 and 2.
    const D inDomain = LtD(AbsD(u[b]), SplatD(kTrigDomain));
    if (sinU != nullptr) {
      const D sinSign = AndD(ShiftBitsLeft<62>(shifted[b]), sign);
      sinU[b] = SelectD(inDomain, XorD(SelectByBit0(shifted[b], cosR, sinR), sinSign), NotANumber());
    }
    const D cosSign = AndD(ShiftBitsLeft<62>(AddBits(shifted[b], 1)), sign);
    cosU[b] = SelectD(inDomain, XorD(SelectByBit0(shifted[b], sinR, cosR), cosSign), NotANumber());
  }
}

// Whole arrays of count values (padded to whole batches), up to four
// batches interleaved at a time.
template <int kBatches>
inline void ExpBatches(const double* y, double* out) {
  D in[kBatches], result[kBatches];
  for (int b = 0; b < kBatches; ++b) in[b] = LoadD(y + b * D::kWidth);
  ExpD<kBatches>(in, result);
  for (int b = 0; b < kBatches; ++b) StoreD(out + b * D::kWidth, result[b]);
}

template <int kBatches>
inline void SinCosBatches(const double* u, double* sines, double* cosines) {
  D in[kBatches], s[kBatches], c[kBatches];
  for (int b = 0; b < kBatches; ++b) in[b] = LoadD(u + b * D::kWidth);
  SinCosD<kBatches>(in, sines != nullptr ? s : nullptr, c);
  for (int b = 0; b < kBatches; ++b) {
    if (sines != nullptr) StoreD(sines + b * D::kWidth, s[b]);
    StoreD(cosines + b * D::kWidth, c[b]);
  }
}

inline void ExpArray(const double* y, double* out, int count) {
  for (int batches = (count + D::kWidth - 1) / D::kWidth; batches > 0;) {
    const int now = batches < 4 ? batches : 4;
    switch (now) {
      case 1: ExpBatches<1>(y, out); break;
      case 2: ExpBatches<2>(y, out); break;
      case 3: ExpBatches<3>(y, out); break;
      default: ExpBatches<4>(y, out); break;
    }
    y += now * D::kWidth;
    out += now * D::kWidth;
    batches -= now;
  }
}

inline void SinCosArray(const double* u, double* sines, double* cosines, int count) {
  for (int batches = (count + D::kWidth - 1) / D::kWidth; batches > 0;) {
    const int now = batches < 4 ? batches : 4;
    switch (now) {
      case 1: SinCosBatches<1>(u, sines, cosines); break;
      case 2: SinCosBatches<2>(u, sines, cosines); break;
      case 3: SinCosBatches<3>(u, sines, cosines); break;
      default: SinCosBatches<4>(u, sines, cosines); break;
    }
    u += now * D::kWidth;
    if (sines != nullptr) sines += now * D::kWidth;
    cosines += now * D::kWidth;
    batches -= now;
  }
}
