// The two turtle computations that are defined in extended precision: a 64-bit mantissa, the x87
// 80-bit format. Where a double would round an intermediate, the extended value can still lie on
// the other side of a pixel boundary, so these decide which pixel some positions land on.
#pragma once

#include <cmath>
#include <limits>

static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must have a 64-bit mantissa: the turtle's steps and the centring of "
              "rotated text are defined in that precision, and with a plain double centred "
              "labels land one pixel off");

using Extended = long double;

// from + unit * distance, rounded to double only once the sum is formed.
inline double StepCoordinate(double from, double unit, double distance) {
  return static_cast<double>(from + static_cast<Extended>(unit) * distance);
}

// The whole part (toward zero) of from - p * f - q * g, each step rounded to a 64-bit mantissa
// and never to double: near a whole number, rounding first would move the result by one.
// With int from, p and q and |f|, |g| <= 1 the whole part is below 2^33, so the double returned
// holds it exactly.
inline double TruncOfDifference(int from, int p, double f, int q, double g) {
  return static_cast<double>(
      std::trunc(from - p * static_cast<Extended>(f) - q * static_cast<Extended>(g)));
}
