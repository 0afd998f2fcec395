// Folds one more hash into a running one, for keys made of several fields.
#pragma once

#include <cstddef>

inline std::size_t HashMix(std::size_t seed, std::size_t value) {
  constexpr auto kGolden = static_cast<std::size_t>(0x9e3779b97f4a7c15ULL);
  return seed ^ (value + kGolden + (seed << 6) + (seed >> 2));
}
