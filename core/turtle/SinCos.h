// The turtle's own sine and cosine. C libraries differ in the last bit of sin and cos, and a last
// bit can move a step or a label by a pixel; these give the same bits on every processor.
#pragma once

// A turtle's heading in degrees is turned to radians by this product.
inline constexpr double kRadiansPerDegree = 0.017453292519943295;

struct SinCos {
  double sin;
  double cos;
};

// sin and cos of the exact value of radians, correctly rounded (to nearest, ties to even) unless
// one lies within 2^-150 of its value from half-way between two doubles, which no double that
// was tried comes near. Integer and double arithmetic only, so every IEEE-754 processor gives
// the same bits; NaN for an infinite or NaN angle.
SinCos SinCosOf(double radians);
