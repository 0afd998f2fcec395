// The two turtle computations that are defined in extended precision: a 64-bit mantissa, the x87
// 80-bit format. Where a double would round an intermediate, the extended value can still lie on
// the other side of a pixel boundary, so these decide which pixel some positions land on.
//
// Where long double is that format the x87 unit computes them, a frame's worth of steps faster;
// elsewhere, or everywhere when built with QUOREL_SOFT_EXTENDED, integer arithmetic rounds
// exactly as the unit does, so every processor draws the same pixels.
#pragma once

#include <cmath>
#include <limits>

// from + unit * distance, the product and the sum each rounded to 64 bits, then to double.
double SoftStepCoordinate(double from, double unit, double distance);

// The whole part (toward zero) of from - p * f - q * g, each step rounded to a 64-bit mantissa
// and never to double: near a whole number, rounding first would move the result by one.
// With int from, p and q and |f|, |g| <= 1 the whole part is below 2^33, so the double returned
// holds it exactly.
double SoftTruncOfDifference(int from, int p, double f, int q, double g);

#ifdef QUOREL_SOFT_EXTENDED
inline constexpr bool kSoftExtended = true;
#else
inline constexpr bool kSoftExtended = std::numeric_limits<long double>::digits != 64;
#endif

inline double StepCoordinate(double from, double unit, double distance) {
  if constexpr (kSoftExtended) {
    return SoftStepCoordinate(from, unit, distance);
  } else {
    return static_cast<double>(from + static_cast<long double>(unit) * distance);
  }
}

inline double TruncOfDifference(int from, int p, double f, int q, double g) {
  if constexpr (kSoftExtended) {
    return SoftTruncOfDifference(from, p, f, q, g);
  } else {
    return static_cast<double>(
        std::trunc(from - p * static_cast<long double>(f) - q * static_cast<long double>(g)));
  }
}
