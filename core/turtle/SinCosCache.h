// sin and cos remembered by angle: the dial turns the turtle to the same hundred or so headings
// on every paint, and working out sin and cos costs more than the rest of a tick. In 256 places
// a quarter of them collided and were worked out again on every frame.
#pragma once

#include <array>
#include <cstdint>

#include "turtle/BitCast.h"
#include "turtle/SinCos.h"

class SinCosCache {
 public:
  // Exactly SinCosOf(radians).
  SinCos Of(double radians) {
    const auto key = BitCast<std::uint64_t>(radians);
    Entry& e = entries_[(key * 0x9E3779B97F4A7C15u) >> (64 - kBits)];
    if (!e.used || e.key != key) e = {key, true, SinCosOf(radians)};
    return e.value;
  }

 private:
  static constexpr int kBits = 10;
  struct Entry {
    std::uint64_t key = 0;
    bool used = false;
    SinCos value{0, 1};
  };
  std::array<Entry, 1 << kBits> entries_{};
};
