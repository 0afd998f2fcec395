// sin and cos remembered by angle: the dial turns the turtle to the same few dozen headings on
// every paint, and the library's sin and cos cost more than the rest of a tick.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

struct SinCos {
  double sin;
  double cos;
};

class SinCosCache {
 public:
  // Exactly std::sin(radians) and std::cos(radians).
  SinCos Of(double radians) {
    const auto key = std::bit_cast<std::uint64_t>(radians);
    Entry& e = entries_[(key * 0x9E3779B97F4A7C15u) >> (64 - kBits)];
    if (!e.used || e.key != key) e = {key, true, {std::sin(radians), std::cos(radians)}};
    return e.value;
  }

 private:
  static constexpr int kBits = 8;
  struct Entry {
    std::uint64_t key = 0;
    bool used = false;
    SinCos value{0, 1};
  };
  std::array<Entry, 1 << kBits> entries_{};
};
