// The three values a user sets on the dial and the one rule each follows. Every way of setting a
// value (keys, step buttons, screen readers, tools) goes through Bounded, so a value cannot
// leave its range whoever sets it.
#pragma once

#include <array>

enum class DialValue { Course, WindDirection, WindSpeed };

inline constexpr int kDialValueCount = 3;

// Directions go round the compass; the speed stops at its ends.
enum class Bound { Wrap, Clamp };

// What users read of the values, in their language, is in DialTexts.
struct DialValueRule {
  DialValue value;
  int minimum;  // the least value a step can reach
  int maximum;
  int step;
  Bound bound;
  int initial;
};

// Directions step by 10 from 360 (north), so only multiples of 10 are ever reached.
inline constexpr std::array<DialValueRule, kDialValueCount> kDialValues = {{
    {DialValue::Course, 10, 360, 10, Bound::Wrap, 360},
    {DialValue::WindDirection, 10, 360, 10, Bound::Wrap, 360},
    {DialValue::WindSpeed, 0, 40, 1, Bound::Clamp, 0},
}};

constexpr const DialValueRule& RuleOf(DialValue which) {
  return kDialValues[static_cast<int>(which)];
}

// Wraps any direction into 1..360, 360 standing for north: 0 -> 360, 370 -> 10.
int WrapDegrees(int v);

// Any int brought into the value's range by its rule.
int Bounded(DialValue which, int v);

// The allowed value nearest to a real number; NaN and infinities have none and give the current.
int NearestAllowed(DialValue which, double v, int current);
