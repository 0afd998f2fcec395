// What the toolkit-free tests read pixels with: the colours the drawing uses, counting a colour in
// a rectangle, and a CopyTarget that keeps a copy of the finished bitmap. No window toolkit, so
// every test that links only the turtle or the dial can use it on any platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "turtle/Bitmap.h"

// As Bitmap::GetPixel gives them, 0x00BBGGRR.
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kGrey = 0xAAAAAA;
inline constexpr std::uint32_t kRed = 0x0000FF;

// Pixels of colour in x0..x1 by y0..y1, both ends included.
inline int CountIn(const Bitmap& b, int x0, int y0, int x1, int y1, std::uint32_t colour) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) n += b.GetPixel(x, y) == colour;
  return n;
}

inline int Count(const Bitmap& b, std::uint32_t colour) {
  return CountIn(b, 0, 0, b.Width() - 1, b.Height() - 1, colour);
}

// A copy of what the bitmap hands over: rows of 0xFFRRGGBB pixels, the window's own layout.
// Nothing handed over leaves the size at -1.
struct Capture : CopyTarget {
  void CopyPixels(const std::uint32_t* p, int w, int h) override {
    pixels.assign(p, p + static_cast<std::size_t>(w) * h);
    width = w;
    height = h;
  }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

  std::vector<std::uint32_t> pixels;
  int width = -1;
  int height = -1;
};
