#include "turtle/SinCos.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cstdint>
#include <limits>
#include <utility>

#include "turtle/BitCast.h"

// The double-double steps are exact only where every double operation rounds to a double: on
// 32-bit x86 that takes SSE2 arithmetic (-msse2 -mfpmath=sse), as the Windows build has.
static_assert(FLT_EVAL_METHOD == 0, "doubles must be computed in double precision");

namespace {

// ---- Exact: fixed point in integers ----

// A number in [0, 1), most significant word first: 224 bits, so that even the double closest to
// a multiple of pi/2 (about 2^-61 from it) keeps 150 bits of its remainder.
constexpr int kWords = 7;
using Fraction = std::array<std::uint32_t, kWords>;

// The bits of 2/pi after the point, as far as the largest double needs.
constexpr std::uint32_t kTwoOverPi[] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561,
    0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484,
    0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B,
    0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D};
constexpr int kTwoOverPiWords = sizeof kTwoOverPi / sizeof kTwoOverPi[0];

// pi/2 - 1.
constexpr Fraction kPiOver2Fraction = {0x921FB544, 0x42D18469, 0x898CC517, 0x01B839A2,
                                       0x52049C11, 0x14CF98E8, 0x04177D4C};

// out = a * b: na + nb words, most significant first, from 32 x 32 -> 64 bit products.
constexpr void MultiplyWords(const std::uint32_t* a, int na, const std::uint32_t* b, int nb,
                             std::uint32_t* out) {
  std::fill(out, out + na + nb, 0);
  for (int i = na - 1; i >= 0; --i) {
    std::uint64_t carry = 0;
    for (int j = nb - 1; j >= 0; --j) {
      const std::uint64_t t = std::uint64_t{a[i]} * b[j] + out[i + j + 1] + carry;
      out[i + j + 1] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    out[i] = static_cast<std::uint32_t>(carry);
  }
}

// a * b, the bits below the last word dropped.
constexpr Fraction Multiply(const Fraction& a, const Fraction& b) {
  std::uint32_t product[2 * kWords] = {};
  MultiplyWords(a.data(), kWords, b.data(), kWords, product);
  Fraction out{};
  std::copy(product, product + kWords, out.begin());
  return out;
}

constexpr void Add(Fraction& a, const Fraction& b) {
  std::uint64_t carry = 0;
  for (int i = kWords - 1; i >= 0; --i) {
    carry += std::uint64_t{a[i]} + b[i];
    a[i] = static_cast<std::uint32_t>(carry);
    carry >>= 32;
  }
}

constexpr void Subtract(Fraction& a, const Fraction& b) {
  std::uint64_t borrow = 0;
  for (int i = kWords - 1; i >= 0; --i) {
    const std::uint64_t d = std::uint64_t{a[i]} - b[i] - borrow;
    a[i] = static_cast<std::uint32_t>(d);
    borrow = d >> 63;
  }
}

// 1 - a, for 0 < a < 1.
constexpr Fraction OneMinus(const Fraction& a) {
  Fraction out{};
  Subtract(out, a);
  return out;
}

constexpr void DivideBy(Fraction& a, std::uint32_t n) {
  std::uint64_t rest = 0;
  for (std::uint32_t& word : a) {
    const std::uint64_t current = (rest << 32) | word;
    word = static_cast<std::uint32_t>(current / n);
    rest = current % n;
  }
}

constexpr bool IsZero(const Fraction& a) {
  return std::all_of(a.begin(), a.end(), [](std::uint32_t w) { return w == 0; });
}

// To nearest, ties to even; every value here is a normal double.
constexpr double Rounded(const Fraction& a) {
  const auto first = std::find_if(a.begin(), a.end(), [](std::uint32_t w) { return w != 0; });
  if (first == a.end()) return 0;
  const int i0 = static_cast<int>(first - a.begin());
  auto word = [&](int i) -> std::uint64_t { return i < kWords ? a[i] : 0; };
  // The 64 bits from the leading one, and whether any bit below them is set.
  const int shift = std::countl_zero(a[i0]);
  const std::uint64_t third = word(i0 + 2) << shift;
  const std::uint64_t top = (((word(i0) << 32) | word(i0 + 1)) << shift) | (third >> 32);
  const bool sticky =
      (third & 0xFFFFFFFF) != 0 || std::any_of(first + std::min(3, kWords - i0), a.end(),
                                               [](std::uint32_t w) { return w != 0; });
  const std::uint64_t rest = top & 0x7FF;
  const std::uint64_t m =
      (top >> 11) + (rest > 0x400 || (rest == 0x400 && (sticky || (top & 0x800))));
  // A mantissa rounded up to 2^53 carries into the exponent.
  const auto field = static_cast<std::uint64_t>(1022 - (32 * i0 + shift + 1));
  return BitCast<double>((field << 52) + m);
}

// d exactly, for 0 <= d < 1 with no bit below 2^-224.
constexpr Fraction ToFraction(double d) {
  const auto bits = BitCast<std::uint64_t>(d);
  const int field = static_cast<int>(bits >> 52);
  const std::uint64_t m =
      (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{field != 0} << 52);
  Fraction f{};
  for (int i = 0; i < 53; ++i) {
    if ((m >> i) & 1) {
      const int p = 1074 - field - i;  // the bit of weight 2^(field - 1075 + i), counted from 2^-1
      f[p / 32] |= std::uint32_t{1} << (31 - p % 32);
    }
  }
  return f;
}

// sin r and 1 - cos r by their series: every term is truncated, so each sum is within a few
// hundred units of the last bit, 2^-216, of the exact value.
constexpr std::pair<Fraction, Fraction> Series(const Fraction& r) {
  Fraction term = r, sin = r, oneMinusCos{};
  for (std::uint32_t n = 2; !IsZero(term); ++n) {
    term = Multiply(term, r);
    DivideBy(term, n);
    switch (n % 4) {
      case 0:
        Subtract(oneMinusCos, term);
        break;
      case 1:
        Add(sin, term);
        break;
      case 2:
        Add(oneMinusCos, term);
        break;
      default:
        Subtract(sin, term);
        break;
    }
  }
  return {sin, oneMinusCos};
}

// |x| >= 2^-27 as a whole number of quarter turns plus r, |r| <= pi/4.
struct Reduced {
  Fraction f;     // |r| / (pi/2), at most 1/2
  int quadrant;   // the quarter turns, modulo four
  bool negative;  // r < 0
};

// |x| 2/pi modulo 4, |x| = m 2^e: bits of 2/pi that would add only whole multiples of four
// quarter turns are never read, nor those far below the precision kept.
Reduced Reduce(double ax) {
  const auto bits = BitCast<std::uint64_t>(ax);
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int e = static_cast<int>(bits >> 52) - 1075;
  const int a = (e >= 0 ? e : e - 31) / 32;  // e = 32 a + s, 0 <= s < 32
  const int s = e - 32 * a;
  const std::uint64_t low = m << s;
  const std::uint32_t x[3] = {static_cast<std::uint32_t>(s > 0 ? m >> (64 - s) : 0),
                              static_cast<std::uint32_t>(low >> 32),
                              static_cast<std::uint32_t>(low)};
  // Word k of 2/pi weighs 2^(-32 (k + 1)), so words before a - 1 give multiples of four; the
  // four words past the fraction's take the error of those left out below the 85 bits of m 2^s.
  constexpr int kWindow = kWords + 4;
  std::uint32_t window[kWindow];
  for (int j = 0; j < kWindow; ++j) {
    const int k = a - 1 + j;
    window[j] = k >= 0 && k < kTwoOverPiWords ? kTwoOverPi[k] : 0;
  }
  std::uint32_t product[3 + kWindow];
  MultiplyWords(x, 3, window, kWindow, product);
  Reduced r{};
  std::copy(product + 4, product + 4 + kWords, r.f.begin());
  r.quadrant = static_cast<int>(product[3] & 3);
  if (r.f[0] >> 31) {
    r.f = OneMinus(r.f);
    r.quadrant = (r.quadrant + 1) & 3;
    r.negative = true;
  }
  return r;
}

// sin and cos of quadrant quarter turns plus r, from those of r.
SinCos Turned(SinCos r, int quadrant) {
  switch (quadrant) {
    case 0:
      return r;
    case 1:
      return {r.cos, -r.sin};
    case 2:
      return {-r.sin, -r.cos};
    default:
      return {-r.cos, r.sin};
  }
}

// For 2^-27 <= |x|, of any size.
SinCos ExactSinCos(double x) {
  const Reduced reduced = Reduce(x < 0 ? -x : x);
  Fraction r = Multiply(reduced.f, kPiOver2Fraction);
  Add(r, reduced.f);
  const auto [sin, oneMinusCos] = Series(r);
  SinCos turned = Turned({reduced.negative ? -Rounded(sin) : Rounded(sin),
                          IsZero(oneMinusCos) ? 1.0 : Rounded(OneMinus(oneMinusCos))},
                         reduced.quadrant);
  if (x < 0) turned.sin = -turned.sin;
  return turned;
}

// ---- Fast: double-double, with a test of whether the rounding is sure ----

struct DD {
  double hi;
  double lo;
};

DD TwoSum(double a, double b) {
  const double s = a + b, bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

DD FastTwoSum(double a, double b) {  // |a| >= |b|
  const double s = a + b;
  return {s, b - (s - a)};
}

// Veltkamp's split and Dekker's product: exact without a fused multiply-add.
DD TwoProduct(double a, double b) {
  const double p = a * b;
  const double ca = 134217729.0 * a, ah = ca - (ca - a), al = a - ah;
  const double cb = 134217729.0 * b, bh = cb - (cb - b), bl = b - bh;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// sin and cos of j/256 to 106 bits, j = 0..201: worked out by the compiler, turning by 1/256 at
// a time from the series' value, each step's error a unit of the last of 224 bits.
constexpr int kSteps = 256;
struct Entry {
  DD sin;
  DD cos;
};

// v as a double and what is left, rounded.
constexpr DD Split(const Fraction& v) {
  const double hi = Rounded(v);
  Fraction rest = v, h = ToFraction(hi);
  if (std::lexicographical_compare(v.begin(), v.end(), h.begin(), h.end())) {
    std::swap(rest, h);
    Subtract(rest, h);
    return {hi, -Rounded(rest)};
  }
  Subtract(rest, h);
  return {hi, Rounded(rest)};
}

constexpr auto kTable = [] {
  std::array<Entry, 202> table{};
  table[0] = {{0, 0}, {1, 0}};
  Fraction step{};
  step[0] = std::uint32_t{1} << 24;
  const auto [sinStep, oneMinusCosStep] = Series(step);
  const Fraction cosStep = OneMinus(oneMinusCosStep);
  Fraction sin = sinStep, cos = cosStep;
  for (std::size_t j = 1; j < table.size(); ++j) {
    table[j] = {Split(sin), Split(cos)};
    Fraction nextSin = Multiply(sin, cosStep), nextCos = Multiply(cos, cosStep);
    Add(nextSin, Multiply(cos, sinStep));
    Subtract(nextCos, Multiply(sin, sinStep));
    sin = nextSin;
    cos = nextCos;
  }
  return table;
}();

// pi/2 in four parts: k times either of the first two is exact for |k| < 2^19.
constexpr double kPiOver2[] = {0x1.921fb544p+0, 0x1.0b4611a6p-34, 0x1.3198a2e037073p-69,
                               0x1.129024e088a68p-123};
constexpr double kFastLimit = 0x1p19;

// v's double if every value within v's error, 2^-65 of it (the sum of what is left out and
// rounded on the way is below 2^-69), rounds to the same one.
bool RoundsSurely(DD v, double& out) {
  const double bound = (v.hi < 0 ? -v.hi : v.hi) * 0x1p-65 + 0x1p-140;
  out = v.hi + (v.lo - bound);
  return out == v.hi + (v.lo + bound);
}

// For 2^-27 <= |x| < 2^19.
bool FastSinCos(double x, SinCos& out) {
  // x = k pi/2 + r, r = rh + rl within 2^-104 |r| + 2^-148.
  const double kd = x * 0x1.45f306dc9c883p-1;  // 2/pi
  const int k = static_cast<int>(kd + (kd < 0 ? -0.5 : 0.5));
  const double t1 = x - k * kPiOver2[0];  // exact, the two being close
  const DD a = TwoSum(t1, -(k * kPiOver2[1]));
  const DD b = TwoProduct(k, kPiOver2[2]);
  const DD c = TwoSum(a.hi, -b.hi);
  const DD r = FastTwoSum(c.hi, ((a.lo + c.lo) - b.lo) - k * kPiOver2[3]);

  // |r| = j/256 + t, |t| <= 1/512.
  const bool negative = r.hi < 0;
  const double ar = negative ? -r.hi : r.hi;
  const int j = static_cast<int>(ar * kSteps + 0.5);
  const DD t = TwoSum(ar - static_cast<double>(j) / kSteps, negative ? -r.lo : r.lo);
  const double z = t.hi * t.hi;
  // sin t - t.hi and 1 - cos t, each below 2^-18 of the result and within 2^-51 of itself.
  const double sinRest = t.lo * (1 - z / 2) - t.hi * z * (1.0 / 6 - z * (1.0 / 120 - z / 5040));
  const double oneMinusCos = z * (0.5 - z * (1.0 / 24 - z / 720)) + t.hi * t.lo;

  // sin(a + t) = sin a cos t + cos a sin t, cos(a + t) = cos a cos t - sin a sin t.
  const Entry& e = kTable[j];
  const DD ps = TwoProduct(e.cos.hi, t.hi);
  DD s = TwoSum(e.sin.hi, ps.hi);
  s = FastTwoSum(s.hi, s.lo + (e.sin.lo + ps.lo + e.cos.lo * t.hi + e.cos.hi * sinRest -
                               e.sin.hi * oneMinusCos));
  const DD pc = TwoProduct(e.sin.hi, t.hi);
  DD co = TwoSum(e.cos.hi, -pc.hi);
  co = FastTwoSum(co.hi, co.lo + (e.cos.lo - pc.lo - e.sin.lo * t.hi - e.sin.hi * sinRest -
                                  e.cos.hi * oneMinusCos));
  if (negative) s = {-s.hi, -s.lo};

  SinCos rounded;
  if (!RoundsSurely(s, rounded.sin) || !RoundsSurely(co, rounded.cos)) return false;
  out = Turned(rounded, k & 3);
  return true;
}

}  // namespace

SinCos SinCosOf(double radians) {
  const double ax = radians < 0 ? -radians : radians;
  if (!(ax <= std::numeric_limits<double>::max())) {
    return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
  }
  // sin x = x and cos x = 1 once rounded.
  if (ax < 0x1p-27) return {radians, 1};
  SinCos out;
  if (ax < kFastLimit && FastSinCos(radians, out)) return out;
  return ExactSinCos(radians);
}
