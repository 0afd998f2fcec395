// std::bit_cast where the standard library has it; the compiler's own builtin, which it is built
// on, where the library predates it (the libc++ of Debian's emscripten). Both give the same bits.
#pragma once

#include <bit>

template <class To, class From>
constexpr To BitCast(const From& from) noexcept {
#if defined(__cpp_lib_bit_cast)
  return std::bit_cast<To>(from);
#else
  return __builtin_bit_cast(To, from);
#endif
}
