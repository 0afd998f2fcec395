#include "turtle/Text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "turtle/FontEngine.h"
#include "turtle/GlyphCache.h"

namespace {

// One per process. Its destructor hands every font back to the engine and the engine back to
// the platform at exit.
GlyphCache& TheCache() {
  static GlyphCache cache(MakePlatformFontEngine());
  return cache;
}

// Far enough outside any buffer to be clipped, near enough to convert to int64 safely.
std::int64_t RoundToPixel(double v) {
  constexpr double kFar = 1e15;
  return static_cast<std::int64_t>(std::floor(std::clamp(v, -kFar, kFar) + 0.5));
}

// Whether the square of half-side reach around (x, y) misses the buffer.
bool Outside(std::int64_t x, std::int64_t y, std::int64_t reach, int width, int height) {
  return x + reach < 0 || y + reach < 0 || x - reach >= width || y - reach >= height;
}

// Per channel dst + (src - dst) * coverage / 255, rounded half away from zero, without a
// division: (v + 1 + (v >> 8)) >> 8 is v / 255 exactly for v below 65536, and no step leaves 16
// bits, so two pixels are blended at once, one channel in each 16-bit lane. The top byte is not a
// colour channel: its lane has coverage 0, which keeps it.
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
using Lanes16 = std::uint16_t __attribute__((vector_size(16)));
using Words64 = std::uint64_t __attribute__((vector_size(16)));
static_assert(std::endian::native == std::endian::little, "a pixel's top byte is its fourth");

// Two pixels, each byte widened to a lane.
Lanes16 Widen(std::uint64_t two) {
  const auto bytes = reinterpret_cast<Bytes16>(Words64{two, 0});
  return reinterpret_cast<Lanes16>(__builtin_shufflevector(bytes, Bytes16{}, 0, 16, 1, 17, 2, 18, 3,
                                                           19, 4, 20, 5, 21, 6, 22, 7, 23));
}

std::uint64_t Narrow(Lanes16 lanes) {
  using Bytes8 = std::uint8_t __attribute__((vector_size(8)));
  std::uint64_t two;
  const auto bytes = __builtin_convertvector(lanes, Bytes8);
  std::memcpy(&two, &bytes, sizeof two);
  return two;
}

// A coverage in a pixel's three colour lanes, looked up rather than spread every time.
constexpr auto kCoverageLanes = [] {
  std::array<std::uint64_t, 256> lanes{};
  for (std::uint64_t a = 0; a < lanes.size(); ++a) lanes[a] = a * 0x0000'0001'0001'0001u;
  return lanes;
}();

Lanes16 BlendTwo(std::uint64_t two, Lanes16 colour, std::uint8_t a0, std::uint8_t a1) {
  const auto a = reinterpret_cast<Lanes16>(Words64{kCoverageLanes[a0], kCoverageLanes[a1]});
  const Lanes16 v = Widen(two) * (255 - a) + colour * a + 127;
  return (v + 1 + (v >> 8)) >> 8;
}

void BlendRun(std::uint32_t* pixels, const std::uint8_t* coverage, std::int64_t count,
              std::uint32_t colour) {
  const Lanes16 c = Widen(colour * 0x0000'0001'0000'0001u);
  std::int64_t i = 0;
  for (; i + 2 <= count; i += 2) {
    std::uint64_t two;
    std::memcpy(&two, pixels + i, sizeof two);
    two = Narrow(BlendTwo(two, c, coverage[i], coverage[i + 1]));
    std::memcpy(pixels + i, &two, sizeof two);
  }
  if (i < count) {
    // The last pixel alone: the second lane's coverage of 0 leaves nothing to write back there.
    pixels[i] = static_cast<std::uint32_t>(Narrow(BlendTwo(pixels[i], c, coverage[i], 0)));
  }
}

void Blit(std::uint32_t* pixels, int width, int height, int stride, const Glyph& glyph,
          std::int64_t gx, std::int64_t gy, std::uint32_t colour) {
  if (gx + glyph.width <= 0 || gy + glyph.rows <= 0 || gx >= width || gy >= height) return;
  const auto rowStride = static_cast<std::size_t>(stride);
  const bool inside = gx >= 0 && gy >= 0 && gx + glyph.width <= width && gy + glyph.rows <= height;
  for (const Glyph::Run& run : glyph.runs) {
    const std::int64_t y = gy + run.y;
    std::int64_t x = gx + run.x, end = x + run.length;
    const std::uint8_t* coverage = glyph.coverage.data() + run.first;
    if (!inside) {
      if (y < 0 || y >= height) continue;
      if (x < 0) {
        coverage -= x;
        x = 0;
      }
      end = std::min<std::int64_t>(end, width);
    }
    if (x < end) {
      BlendRun(pixels + static_cast<std::size_t>(y) * rowStride + static_cast<std::size_t>(x),
               coverage, end - x, colour);
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
