#include "turtle/Text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>

#include "turtle/FontEngine.h"
#include "turtle/GlyphCache.h"

namespace {

// One per process: the canvas is only drawn from the GUI thread. Its destructor hands every font
// back to the engine and the engine back to the platform at exit.
GlyphCache& TheCache() {
  static GlyphCache cache(MakePlatformFontEngine());
  return cache;
}

// The three colour channels, a pixel's low three bytes 0x..XXYYZZ, spread into 16-bit lanes:
// 0x00YY'00XX'00ZZ.
constexpr std::uint64_t Lanes(std::uint32_t pixel) {
  return (pixel & 0x00FF00FFu) | (static_cast<std::uint64_t>(pixel & 0xFF00u) << 24);
}

// Per channel dst + (src - dst) * coverage / 255, rounded half away from zero, without a
// division: (v + 1 + (v >> 8)) >> 8 is v / 255 exactly for v below 65536. The three channels
// share each step in 16-bit lanes of one 64-bit word. The top byte is not a colour channel and
// is kept.
std::uint32_t Blend(std::uint32_t dst, std::uint32_t colour, int coverage) {
  const auto a = static_cast<std::uint64_t>(coverage);
  const std::uint64_t v = Lanes(dst) * (255 - a) + Lanes(colour) * a + 0x007F'007F'007Fu;
  const std::uint64_t out = (v + 0x0001'0001'0001u + ((v >> 8) & 0x00FF'00FF'00FFu)) >> 8;
  return (dst & 0xFF000000u) | (static_cast<std::uint32_t>(out) & 0x00FF00FFu) |
         (static_cast<std::uint32_t>(out >> 24) & 0xFF00u);
}

// Far enough outside any buffer to be clipped, near enough to convert to int64 safely.
std::int64_t RoundToPixel(double v) {
  constexpr double kFar = 1e15;
  return static_cast<std::int64_t>(std::floor(std::clamp(v, -kFar, kFar) + 0.5));
}

void Plot(std::uint32_t& pixel, std::uint32_t colour, int coverage) {
  pixel = coverage == 255 ? (pixel & 0xFF000000u) | (colour & 0x00FFFFFFu)
                          : Blend(pixel, colour, coverage);
}

// Whether the square of half-side reach around (x, y) misses the buffer.
bool Outside(std::int64_t x, std::int64_t y, std::int64_t reach, int width, int height) {
  return x + reach < 0 || y + reach < 0 || x - reach >= width || y - reach >= height;
}

void Blit(std::uint32_t* pixels, int width, int height, int stride, const Glyph& glyph,
          std::int64_t gx, std::int64_t gy, std::uint32_t colour) {
  if (gx + glyph.width <= 0 || gy + glyph.rows <= 0 || gx >= width || gy >= height) return;
  const auto rowStride = static_cast<std::size_t>(stride);
  if (gx >= 0 && gy >= 0 && gx + glyph.width <= width && gy + glyph.rows <= height) {
    std::uint32_t* origin =
        pixels + static_cast<std::size_t>(gy) * rowStride + static_cast<std::size_t>(gx);
    for (const Glyph::Ink& ink : glyph.ink) {
      Plot(origin[ink.y * rowStride + ink.x], colour, ink.coverage);
    }
    return;
  }
  for (const Glyph::Ink& ink : glyph.ink) {
    const std::int64_t x = gx + ink.x, y = gy + ink.y;
    if (x >= 0 && y >= 0 && x < width && y < height) {
      Plot(pixels[static_cast<std::size_t>(y) * rowStride + static_cast<std::size_t>(x)], colour,
           ink.coverage);
    }
  }
}

}  // namespace

TextExtent MeasureText(GlyphCache& cache, const FontSpec& font, std::string_view utf8) {
  GlyphCache::Font& selected = *cache.Select(font).font;
  std::int64_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) width += selected.Char(NextCodePoint(utf8, i)).advance;
  return {static_cast<int>(std::min<std::int64_t>(width, INT_MAX)), selected.Cell().cell};
}

void DrawText(GlyphCache& cache, std::uint32_t* pixels, int width, int height, int stride,
              const FontSpec& font, int x, int y, std::string_view utf8, std::uint32_t colour) {
  if (!pixels || width <= 0 || height <= 0 || stride < width || utf8.empty()) return;
  const GlyphCache::Selection selection = cache.Select(font);
  GlyphCache::Font& selected = *selection.font;
  if (!selected.Found()) return;
  const Rotation& turn = selection.turn;
  const double ascent = selected.Cell().ascent;
  const int reach = selected.Cell().reach;
  double pen = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const CharMetrics metrics = selected.Char(NextCodePoint(utf8, i));
    const std::int64_t ox = RoundToPixel(x + pen * turn.cos + ascent * turn.sin);
    const std::int64_t oy = RoundToPixel(y - pen * turn.sin + ascent * turn.cos);
    pen += metrics.advance;
    if (reach > 0 && Outside(ox, oy, reach, width, height)) continue;
    const Glyph& glyph = cache.GlyphFor(selection, metrics.glyph);
    Blit(pixels, width, height, stride, glyph, ox + glyph.left, oy - glyph.top, colour);
  }
}

TextExtent MeasureText(const FontSpec& font, std::string_view utf8) {
  return MeasureText(TheCache(), font, utf8);
}

void DrawText(std::uint32_t* pixels, int width, int height, int stride, const FontSpec& font, int x,
              int y, std::string_view utf8, std::uint32_t colour) {
  DrawText(TheCache(), pixels, width, height, stride, font, x, y, utf8, colour);
}

void ResetTextCache() {
  TheCache().Reset(MakePlatformFontEngine());
}
