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

// exp(y) for |y| < 700.
inline constexpr double kExpDomain = 700.0;
// sin and cos of u for |u| <= 4e8: the quadrant count stays below 2^28, so
// that its products with the first two parts of pi/2 are exact.
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

// Taylor coefficients: 1 / n! for exp, and the alternating ones of sin and
// cos, as sums in r^2.
inline constexpr double kExp[] = {
    1.0,
    1.0,
    0.5,
    0.16666666666666666,
    0.041666666666666664,
    0.008333333333333333,
    0.001388888888888889,
    0.0001984126984126984,
    2.48015873015873e-05,
    2.7557319223985893e-06,
    2.755731922398589e-07,
    2.505210838544172e-08,
    2.08767569878681e-09,
    1.6059043836821613e-10,
    1.1470745597729725e-11,
};
// sin r = r + r z (s[0] + z (s[1] + ...)), z = r^2: -1/3!, 1/5!, ... 1/17!.
inline constexpr double kSin[] = {
    -0.16666666666666666, 0.008333333333333333,   -0.0001984126984126984, 2.7557319223985893e-06,
    -2.505210838544172e-08, 1.6059043836821613e-10, -7.647163731819816e-13, 2.8114572543455206e-15,
};
// cos r = 1 + z (c[0] + z (c[1] + ...)): -1/2!, 1/4!, ... -1/18!.
inline constexpr double kCos[] = {
    -0.5,
    0.041666666666666664,
    -0.001388888888888889,
    2.48015873015873e-05,
    -2.755731922398589e-07,
    2.08767569878681e-09,
    -1.1470745597729725e-11,
    4.779477332387385e-14,
    -1.5619206968586225e-16,
};

// c[0] + x (c[1] + x (... + x c[n - 1])), unrolled.
template <int kCount>
inline D Horner(D x, const double (&c)[kCount]) {
  D p = SplatD(c[kCount - 1]);
#pragma GCC unroll 16
  for (int n = kCount - 2; n >= 0; --n) p = p * x + SplatD(c[n]);
  return p;
}

inline D NotANumber() { return SplatD(__builtin_nan("")); }

inline D ExpD(D y) {
  const D shifted = y * SplatD(kInvLn2) + SplatD(kRoundMagic);
  const D k = shifted - SplatD(kRoundMagic);
  // |r| <= ln 2 / 2: the series to r^14 / 14! is within 2^-57 of exp(r).
  const D r = (y - k * SplatD(kLn2Hi)) - k * SplatD(kLn2Lo);
  const D p = Horner(r, kExp);
  // 2^k from k + 1023 placed in the exponent field.
  const D scale = ShiftBitsLeft<52>(AddBits(shifted, 1023 - kRoundMagicBits));
  return SelectD(LtD(AbsD(y), SplatD(kExpDomain)), p * scale, NotANumber());
}

// sin(u) and cos(u) from one reduction of u to [-pi/4, pi/4].
inline void SinCosD(D u, D& sinU, D& cosU) {
  const D shifted = u * SplatD(kTwoOverPi) + SplatD(kRoundMagic);
  const D q = shifted - SplatD(kRoundMagic);
  const D r = ((u - q * SplatD(kHalfPi1)) - q * SplatD(kHalfPi2)) - q * SplatD(kHalfPi3);
  const D z = r * r;
  // Series to r^17 / 17! and r^18 / 18!: within 2^-63 of sin r and cos r.
  const D sinR = r + (r * z) * Horner(z, kSin);
  const D cosR = SplatD(1.0) + z * Horner(z, kCos);
  // Quadrant q: an odd one swaps sine and cosine; sin turns negative in
  // quadrants 2 and 3, cos in quadrants 1 and 2.
  const D sign = SplatD(-0.0);
  const D sinSign = AndD(ShiftBitsLeft<62>(shifted), sign);
  const D cosSign = AndD(ShiftBitsLeft<62>(AddBits(shifted, 1)), sign);
  const D inDomain = LtD(AbsD(u), SplatD(kTrigDomain));
  sinU = SelectD(inDomain, XorD(SelectByBit0(shifted, cosR, sinR), sinSign), NotANumber());
  cosU = SelectD(inDomain, XorD(SelectByBit0(shifted, sinR, cosR), cosSign), NotANumber());
}

inline D CosD(D u) {
  D s, c;
  SinCosD(u, s, c);
  return c;
}
