// What the fuzz targets share: fuzzer bytes read as ints, doubles and strings, mostly small or
// notable values, which find edges faster than uniform noise, and a check that aborts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

inline constexpr int kInts[] = {
    INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX - 1, 0,        -1,       1,    2,    150,  299,
    300,       2047,          2048,      2049,          -2048,    -2049,    4095, 4096, 4097, 16384,
    65536,     -65536,        1 << 30,   -(1 << 30),    0xFFFFFF, 0x1000000};

inline constexpr double kDoubles[] = {0.0,
                                      -0.0,
                                      0.5,
                                      -0.5,
                                      2.5,
                                      90,
                                      360,
                                      -360,
                                      1e18,
                                      1e300,
                                      -1e300,
                                      2147483647.5,
                                      -2147483648.5,
                                      9.3e18,
                                      std::numeric_limits<double>::quiet_NaN(),
                                      -std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::denorm_min(),
                                      -std::numeric_limits<double>::denorm_min(),
                                      std::numeric_limits<double>::min(),
                                      std::numeric_limits<double>::max(),
                                      std::numeric_limits<double>::lowest(),
                                      std::numeric_limits<double>::epsilon()};

template <class T, std::size_t N>
constexpr std::size_t Count(const T (&)[N]) {
  return N;
}

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Reads past the end as zeros, so every input decodes to something.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  template <class T>
  T Raw() {
    unsigned char bytes[sizeof(T)];
    for (unsigned char& b : bytes) b = Byte();
    T v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
  }

  int Int() {
    switch (Byte() % 4) {
      case 0:
        return static_cast<std::int8_t>(Byte());
      case 1:
        return Raw<std::int16_t>();
      case 2:
        return kInts[Byte() % Count(kInts)];
      default:
        return Raw<std::int32_t>();
    }
  }

  double Double() {
    switch (Byte() % 4) {
      case 0:
        return static_cast<std::int8_t>(Byte());
      case 1:
        return Raw<std::int16_t>() / 8.0;
      case 2:
        return kDoubles[Byte() % Count(kDoubles)];
      default:
        return Raw<double>();
    }
  }

  // Up to limit bytes, their count read first.
  std::string Bytes(std::size_t limit) {
    std::string s(Byte() % (limit + 1), '\0');
    for (char& c : s) c = static_cast<char>(Byte());
    return s;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};
