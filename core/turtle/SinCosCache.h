// sin and cos of a heading, remembered by whole degree: the dial turns the turtle to the same
// hundred or so whole-degree headings on every paint, and working out sin and cos costs more than
// the rest of a tick. A table indexed by the degree needs no hash and never evicts; it is small
// enough to stay in the processor's cache beside a frame's pixels, which a hashed cache of the
// same reach was not. Any other angle is worked out each time.
#pragma once

#include <array>
#include <cmath>

#include "turtle/SinCos.h"

class SinCosCache {
 public:
  // Exactly SinCosOf(degrees * kRadiansPerDegree).
  SinCos OfDegrees(double degrees) {
    if (!(degrees >= 0 && degrees <= kLast)) return SinCosOf(degrees * kRadiansPerDegree);
    const auto whole = static_cast<int>(degrees);
    if (whole != degrees) return SinCosOf(degrees * kRadiansPerDegree);
    SinCos& kept = byDegree_[static_cast<std::size_t>(whole)];
    if (std::isnan(kept.cos)) kept = SinCosOf(degrees * kRadiansPerDegree);
    return kept;
  }

 private:
  // 360 too, which a text's turn reaches from heading 0.
  static constexpr int kLast = 360;
  // A NaN cosine marks a degree not yet worked out: no angle's cosine is NaN.
  std::array<SinCos, kLast + 1> byDegree_ = [] {
    std::array<SinCos, kLast + 1> unset{};
    unset.fill({0, NAN});
    return unset;
  }();
};
