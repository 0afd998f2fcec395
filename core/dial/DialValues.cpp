#include "dial/DialValues.h"

#include <algorithm>
#include <cmath>

// The remainder takes the dividend's sign, so negative inputs are brought back up; a negative
// multiple of 360 leaves 0 there, which is north too.
int WrapDegrees(int v) {
  int r = static_cast<int>((static_cast<long long>(v) + 359) % 360) + 1;
  if (r <= 0) r += 360;
  return r;
}

int Bounded(DialValue which, int v) {
  const DialValueRule& rule = RuleOf(which);
  if (rule.bound == Bound::Wrap) return WrapDegrees(v);
  return std::clamp(v, rule.minimum, rule.maximum);
}

// A wrapped value is taken within one turn first and a clamped one within its range, so that any
// finite number fits an int before it is rounded to a whole step.
int NearestAllowed(DialValue which, double v, int current) {
  if (!std::isfinite(v)) return current;
  const DialValueRule& rule = RuleOf(which);
  if (rule.bound == Bound::Wrap) {
    v = std::fmod(v, 360.0);
  } else {
    v = std::clamp(v, 1.0 * rule.minimum, 1.0 * rule.maximum);
  }
  return Bounded(which, static_cast<int>(std::round(v / rule.step)) * rule.step);
}
