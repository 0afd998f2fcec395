#include "turtle/Extended.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <utility>

#include "turtle/BitCast.h"

namespace {

// A finite number with a 64-bit mantissa and an exponent wider than any double needs.
struct Extended {
  bool negative = false;
  int exponent = 0;            // of the mantissa's top bit
  std::uint64_t mantissa = 0;  // top bit set, or 0 for zero
};

// 128 bits, for an exact product or an aligned sum before it is rounded to 64.
struct Wide {
  std::uint64_t hi;
  std::uint64_t lo;
};

constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kLow32 = 0xFFFFFFFF;

// From 32 x 32 -> 64 bit partial products, so 32-bit processors need no wider type.
Wide MultiplyWide(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a0 = a & kLow32, a1 = a >> 32, b0 = b & kLow32, b1 = b >> 32;
  const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const std::uint64_t mid = (p00 >> 32) + (p01 & kLow32) + (p10 & kLow32);
  return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & kLow32)};
}

// m / 2^d, with every bit shifted out kept as one sticky bit at the bottom: a sum rounds the same
// whether the bits below the rounding point are exact or merely known not to be all zero.
Wide ShiftRightSticky(std::uint64_t m, int d) {
  if (d == 0) return {m, 0};
  if (d < 64) return {m >> d, m << (64 - d)};
  if (d == 64) return {0, m};
  if (d < 128) return {0, (m >> (d - 64)) | ((m << (128 - d)) != 0)};
  return {0, 1};
}

// w's top bit is set and has weight 2^exponent; its top 64 bits, rounded to nearest even.
Extended Round(bool negative, int exponent, Wide w) {
  const bool up = (w.lo & kTopBit) && ((w.lo << 1) != 0 || (w.hi & 1));
  if (up && ++w.hi == 0) {
    w.hi = kTopBit;
    ++exponent;
  }
  return {negative, exponent, w.hi};
}

Extended ToExtended(double v) {
  const auto bits = BitCast<std::uint64_t>(v);
  const int field = static_cast<int>(bits >> 52) & 0x7FF;
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  const std::uint64_t m = field == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  if (m == 0) return {std::signbit(v), 0, 0};
  const int shift = std::countl_zero(m);
  return {std::signbit(v), (field == 0 ? -1074 : field - 1075) + 63 - shift, m << shift};
}

Extended ToExtended(int v) {
  if (v == 0) return {};
  const std::uint64_t magnitude =
      v < 0 ? ~static_cast<std::uint64_t>(static_cast<std::int64_t>(v)) + 1 : v;
  const int shift = std::countl_zero(magnitude);
  return {v < 0, 63 - shift, magnitude << shift};
}

Extended Negate(Extended v) {
  v.negative = !v.negative;
  return v;
}

Extended Multiply(Extended a, Extended b) {
  const bool negative = a.negative != b.negative;
  if (a.mantissa == 0 || b.mantissa == 0) return {negative, 0, 0};
  Wide w = MultiplyWide(a.mantissa, b.mantissa);
  int exponent = a.exponent + b.exponent + 1;
  if (!(w.hi & kTopBit)) {
    w = {(w.hi << 1) | (w.lo >> 63), w.lo << 1};
    --exponent;
  }
  return Round(negative, exponent, w);
}

Extended Add(Extended a, Extended b) {
  // An exact zero sum is +0 unless both are -0, as in round-to-nearest.
  if (b.mantissa == 0) return a.mantissa != 0 ? a : Extended{a.negative && b.negative, 0, 0};
  if (a.mantissa == 0) return b;
  if (b.exponent > a.exponent || (b.exponent == a.exponent && b.mantissa > a.mantissa)) {
    std::swap(a, b);
  }
  int exponent = a.exponent;
  const Wide y = ShiftRightSticky(b.mantissa, a.exponent - b.exponent);
  Wide w;
  if (a.negative == b.negative) {
    w = {a.mantissa + y.hi, y.lo};
    if (w.hi < a.mantissa) {  // carried out: one bit right, the lost bit kept sticky
      w = {(w.hi >> 1) | kTopBit, (w.lo >> 1) | (w.hi << 63) | (w.lo & 1)};
      ++exponent;
    }
  } else {
    w = {a.mantissa - y.hi - (y.lo != 0), std::uint64_t{0} - y.lo};
    if (w.hi == 0 && w.lo == 0) return {};
    if (w.hi == 0) {
      w = {w.lo, 0};
      exponent -= 64;
    }
    // Cancellation past the first bit leaves the operands close, so no sticky bit then.
    if (const int shift = std::countl_zero(w.hi); shift > 0) {
      w = {(w.hi << shift) | (w.lo >> (64 - shift)), w.lo << shift};
      exponent -= shift;
    }
  }
  return Round(a.negative, exponent, w);
}

Extended Trunc(Extended v) {
  if (v.mantissa == 0 || v.exponent >= 63) return v;
  if (v.exponent < 0) return {v.negative, 0, 0};
  v.mantissa &= ~std::uint64_t{0} << (63 - v.exponent);
  return v;
}

// Rounded to nearest, ties to even, subnormal or infinite as a double would be: what the x87
// unit stores.
double ToDouble(Extended v) {
  const std::uint64_t sign = v.negative ? kTopBit : 0;
  if (v.mantissa == 0) return BitCast<double>(sign);
  if (v.exponent > 1023) return BitCast<double>(sign | (std::uint64_t{0x7FF} << 52));
  // 53 bits are kept, fewer below the smallest normal double.
  const int shift = 11 + (v.exponent < -1022 ? -1022 - v.exponent : 0);
  std::uint64_t m = 0;
  if (shift < 64) {
    const std::uint64_t rest = v.mantissa & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    m = (v.mantissa >> shift) + (rest > half || (rest == half && ((v.mantissa >> shift) & 1)));
  } else if (shift == 64) {
    m = v.mantissa > kTopBit;
  }
  // A mantissa rounded up to 2^53 carries into the exponent, up to infinity; a subnormal one
  // rounded up to 2^52 becomes the smallest normal.
  const std::uint64_t field =
      v.exponent < -1022 ? 0 : static_cast<std::uint64_t>(v.exponent + 1022);
  return BitCast<double>(sign | ((field << 52) + m));
}

// a * b as hi + lo exactly (Dekker's product), for |a|, |b| below 2^995 and no underflow.
struct Pair {
  double hi;
  double lo;
};

Pair ExactProduct(double a, double b) {
  auto split = [](double v) {
    const double c = 134217729.0 * v;  // 2^27 + 1
    const double hi = c - (c - v);
    return Pair{hi, v - hi};
  };
  const Pair x = split(a), y = split(b);
  const double hi = a * b;
  return {hi, ((x.hi * y.hi - hi) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

// a + b as hi + lo exactly (Knuth's sum), barring overflow.
Pair ExactSum(double a, double b) {
  const double hi = a + b, bb = hi - a;
  return {hi, (a - (hi - bb)) + (b - bb)};
}

// In double arithmetic, several times faster than the integers: from + unit * distance is
// s + t exactly, s its nearest double. Both 64-bit roundings together move the sum by less than
// 2^-62 (|unit * distance| + |s|); while that and t leave it inside s's rounding interval, the
// result is s. false when it cannot tell (near a tie, after a cancellation, or at extreme
// magnitudes), which the integers then decide.
bool QuickStep(double from, double unit, double distance, double& out) {
  // The exact product and sum need every operation rounded to double, not to a wider format.
  if constexpr (FLT_EVAL_METHOD != 0) return false;
  constexpr double kLarge = 0x1p500, kSmall = 0x1p-400;
  if (!(std::fabs(from) < kLarge && std::fabs(unit) < kLarge && std::fabs(distance) < kLarge)) {
    return false;
  }
  const Pair p = ExactProduct(unit, distance);
  if (p.hi != 0 ? std::fabs(p.hi) < kSmall : unit != 0 && distance != 0) return false;
  const Pair sum = ExactSum(from, p.hi);
  const double s = sum.hi;
  if (!(std::fabs(s) > kSmall)) return false;
  // Half the gap to the next double out from s, a quarter of its ulp towards zero from a power
  // of two, where the doubles lie twice as close.
  const auto bits = BitCast<std::uint64_t>(s);
  const std::uint64_t field = (bits >> 52) & 0x7FF;
  const std::uint64_t halfGap = (bits & ((std::uint64_t{1} << 52) - 1)) != 0 ? 53 : 54;
  const double reach = BitCast<double>((field - halfGap) << 52);
  // The margins cover the rounding of t and of this bound, each well below 2^-50 of it.
  const double t = sum.lo + p.lo;
  if (std::fabs(t) * (1 + 0x1p-50) + (std::fabs(p.hi) + std::fabs(s)) * 0x1p-62 >= reach) {
    return false;
  }
  out = s;
  return true;
}

}  // namespace

// Infinities and NaNs give the same in double; a finite sum is formed from the exact operands.
double SoftStepCoordinate(double from, double unit, double distance) {
  if (double quick; QuickStep(from, unit, distance, quick)) return quick;
  if (!std::isfinite(unit) || !std::isfinite(distance)) return from + unit * distance;
  if (!std::isfinite(from)) return from;
  return ToDouble(Add(ToExtended(from), Multiply(ToExtended(unit), ToExtended(distance))));
}

double SoftTruncOfDifference(int from, int p, double f, int q, double g) {
  if (!std::isfinite(f) || !std::isfinite(g)) {
    return -(std::isfinite(f) ? 0.0 : p * f) - (std::isfinite(g) ? 0.0 : q * g);
  }
  const Extended pf = Multiply(ToExtended(p), ToExtended(f));
  const Extended qg = Multiply(ToExtended(q), ToExtended(g));
  return ToDouble(Trunc(Add(Add(ToExtended(from), Negate(pf)), Negate(qg))));
}
