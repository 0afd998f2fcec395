#include "turtle/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "tests/Pixels.h"
#include "turtle/FontEngine.h"
#include "turtle/GlyphCache.h"
#include "turtle/Utf8.h"

// Counts heap allocations so the warm repaint path can be held to allocating nothing. Kept out of
// line so that GCC cannot pair an inlined malloc() or free() with new or delete and warn.
#if defined(__GNUC__)
#define OUT_OF_LINE [[gnu::noinline]]
#else
#define OUT_OF_LINE
#endif

static long g_allocations = 0;

OUT_OF_LINE void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
OUT_OF_LINE void operator delete(void* p) noexcept {
  std::free(p);
}
OUT_OF_LINE void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

FontSpec Arial(int height, int escapement = 0) {
  return {"Arial", height, 400, escapement};
}

struct Canvas {
  int width;
  int height;
  std::vector<std::uint32_t> pixels;
  Canvas(int w, int h, std::uint32_t fill = 0) : width(w), height(h), pixels(w * h, fill) {}
  Canvas& Draw(const FontSpec& font, int x, int y, std::string_view text, std::uint32_t colour) {
    DrawText(pixels.data(), width, height, width, font, x, y, text, colour);
    return *this;
  }
  // Bounding box of the pixels that differ from black.
  struct Box {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    bool Empty() const { return x1 < x0; }
  };
  Box Ink() const {
    Box b;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (pixels[y * width + x] == 0) continue;
        b = {std::min(b.x0, x), std::min(b.y0, y), std::max(b.x1, x), std::max(b.y1, y)};
      }
    }
    return b;
  }
};

TEST(NextCodePoint, KeepsGoodSequencesAndReplacesEachBadByte) {
  const std::string euro = "\xE2\x82\xAC";
  const struct {
    std::string_view in;
    std::u32string out;
  } cases[] = {
      {"N\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8C\xAC", U"N\u00E9\u20AC\U0001F32C"},
      {"\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
      {"\x80\xFF", U"\uFFFD\uFFFD"},                           // stray continuation, never valid
      {"\xE2\x82N", U"\uFFFD\uFFFDN"},                         // cut short
      {std::string_view(euro).substr(0, 2), U"\uFFFD\uFFFD"},  // cut by the view's end
      {"\xC0\xAF\xE0\x80\xAF", U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong
      {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},                      // surrogate
      {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},            // above U+10FFFF
  };
  for (const auto& c : cases) {
    std::u32string decoded;
    std::size_t i = 0;
    while (i < c.in.size()) decoded.push_back(NextCodePoint(c.in, i));
    EXPECT_EQ(decoded, c.out) << c.in;
    EXPECT_EQ(i, c.in.size()) << c.in;
  }
}

TEST(TextMetrics, CellHeightIsExactAndWidthSumsWholePixelAdvances) {
  for (int height : {20, 15}) {
    for (const char* text : {"", "N", "Wg", "\xC3\x85j", "\xFF"}) {
      EXPECT_EQ(MeasureText(Arial(height), text).height, height) << text;
    }
  }
  EXPECT_EQ(MeasureText(Arial(20), "N").width, 13);
  EXPECT_EQ(MeasureText(Arial(15), "W").width, 12);
  EXPECT_EQ(MeasureText(Arial(20), "").width, 0);
  int sum = 0;
  for (const char* c : {"N", "E", "S", "W", "\xC3\xA9"}) sum += MeasureText(Arial(20), c).width;
  EXPECT_EQ(MeasureText(Arial(20), "NESW\xC3\xA9").width, sum);
}

TEST(TextMetrics, EmAndExtremeHeights) {
  // Cell 20 gives Liberation Sans an 18 px em, so asking for that em must give the same font.
  EXPECT_EQ(MeasureText(Arial(-18), "NESW").width, MeasureText(Arial(20), "NESW").width);
  EXPECT_EQ(MeasureText(Arial(-18), "").height, 20);
  EXPECT_EQ(MeasureText(Arial(0), "NESW").width, MeasureText(Arial(-12), "NESW").width);
  EXPECT_EQ(MeasureText(Arial(INT_MAX), "").height, 2048);
  EXPECT_EQ(MeasureText(Arial(INT_MIN), "N").width, MeasureText(Arial(-2048), "N").width);
}

TEST(TextFonts, UnknownEmptyOverlongAndGarbledFacesFallBack) {
  const std::string straddling = std::string(30, 'q') + "\xC3\xA9" + std::string(8, 'q');
  for (const std::string& face : {std::string("NoSuchFaceAnywhere"), std::string(),
                                  std::string(40, 'F'), straddling, std::string("\xFF\xC0")}) {
    const FontSpec font{face, 20, 700, 0};
    EXPECT_GT(MeasureText(font, "N").width, 0) << face;
    EXPECT_EQ(MeasureText(font, "N").height, 20) << face;
    EXPECT_FALSE(Canvas(40, 40).Draw(font, 10, 10, "N", kWhite).Ink().Empty()) << face;
  }
}

TEST(TextDraw, InkStaysInTheTurnedCellAndRestsOnTheBaseline) {
  const int w = MeasureText(Arial(20), "N").width;
  constexpr int kAt = 30, kAscent = 16;  // round(1854 * 18 / 2048) at the 18 px em
  // Anti-aliased edges and the origin rounded to a whole pixel may leave faint ink one pixel
  // past the cell; the baseline edge is exact because "N" is hinted onto it.
  constexpr int kSlack = 1;
  const Canvas::Box cells[] = {{kAt, kAt, kAt + w - 1, kAt + 19},       // upright
                               {kAt, kAt - w, kAt + 19, kAt - 1},       // 900: reads upwards
                               {kAt - w, kAt - 20, kAt - 1, kAt - 1},   // 1800: upside down
                               {kAt - 20, kAt, kAt - 1, kAt + w - 1}};  // 2700: reads downwards
  for (int turn = 0; turn < 4; ++turn) {
    const Canvas::Box ink = Canvas(60, 60).Draw(Arial(20, turn * 900), kAt, kAt, "N", kWhite).Ink();
    const Canvas::Box& cell = cells[turn];
    EXPECT_TRUE(!ink.Empty() && ink.x0 >= cell.x0 - kSlack && ink.x1 <= cell.x1 + kSlack &&
                ink.y0 >= cell.y0 - kSlack && ink.y1 <= cell.y1 + kSlack)
        << turn << ": ink " << ink.x0 << "," << ink.y0 << " to " << ink.x1 << "," << ink.y1;
    const int baselineEdge[] = {ink.y1, ink.x1, ink.y0, ink.x0};
    const int baseline[] = {kAt + kAscent - 1, kAt + kAscent - 1, kAt - kAscent, kAt - kAscent};
    EXPECT_EQ(baselineEdge[turn], baseline[turn]) << turn;
  }
}

TEST(TextDraw, EscapementIsTakenModuloAFullTurn) {
  auto draw = [](int escapement) {
    return Canvas(60, 60).Draw(Arial(20, escapement), 30, 30, "NE", kWhite).pixels;
  };
  EXPECT_EQ(draw(3600), draw(0));
  EXPECT_EQ(draw(-900), draw(2700));
  EXPECT_EQ(draw(INT_MIN), draw(2752));  // INT_MIN = -596524 * 3600 + 2752
  EXPECT_NE(draw(450), draw(0));
}

TEST(TextDraw, BlendsEachChannelByCoverage) {
  // White on black records each pixel's coverage; every channel then moves that far from the
  // background towards the colour, rounded to nearest, and the top byte is left alone.
  const Canvas coverage = Canvas(40, 40).Draw(Arial(20), 10, 10, "W", kWhite);
  constexpr std::uint32_t kBackground = 0xAB204060, kColour = 0x00C86432;
  const Canvas blended = Canvas(40, 40, kBackground).Draw(Arial(20), 10, 10, "W", kColour);
  int partial = 0;
  for (std::size_t i = 0; i < coverage.pixels.size(); ++i) {
    const int a = coverage.pixels[i] & 0xFF;
    ASSERT_EQ(coverage.pixels[i], 0x010101u * a);
    partial += a > 0 && a < 255;
    std::uint32_t expected = 0xAB000000;
    for (int shift : {0, 8, 16}) {
      const int d = kBackground >> shift & 0xFF, s = kColour >> shift & 0xFF;
      expected |= static_cast<std::uint32_t>(std::lround(d + (s - d) * a / 255.0)) << shift;
    }
    ASSERT_EQ(blended.pixels[i], expected) << i;
  }
  EXPECT_GT(partial, 0);
}

TEST(TextDraw, NeverWritesOutsideTheBuffer) {
  // A 30x30 view with stride 50 inside a 50x50 block: the rest of the block must stay as it was.
  constexpr std::uint32_t kGuard = 0x00123456;
  const int positions[] = {INT_MIN, INT_MIN + 1, -2000, -15, -5, 20, 29, 2000, INT_MAX};
  for (int escapement : {0, 450, 900, 1800, 2700}) {
    for (int x : positions) {
      for (int y : positions) {
        std::vector<std::uint32_t> block(50 * 50, kGuard);
        DrawText(block.data() + 10 * 50 + 10, 30, 30, 50, Arial(40, escapement), x, y, "WNW",
                 kWhite);
        for (int i = 0; i < 50 * 50; ++i) {
          const bool inView = i / 50 >= 10 && i / 50 < 40 && i % 50 >= 10 && i % 50 < 40;
          ASSERT_TRUE(inView || block[i] == kGuard) << x << "," << y << " " << escapement;
        }
      }
    }
  }
  EXPECT_FALSE(Canvas(30, 30).Draw(Arial(40), -5, -12, "WNW", kWhite).Ink().Empty());

  std::uint32_t pixel = kGuard;
  DrawText(&pixel, 0, 0, 0, Arial(20), 0, 0, "N", kWhite);
  DrawText(&pixel, -1, 1, 1, Arial(20), 0, 0, "N", kWhite);
  DrawText(nullptr, 40, 40, 40, Arial(20), 0, 0, "N", kWhite);
  EXPECT_EQ(pixel, kGuard);

  // A stride shorter than a row would run the last rows past a stride * height buffer.
  std::vector<std::uint32_t> narrow(2 * 20 * 10, kGuard);
  DrawText(narrow.data(), 20, 20, 10, Arial(30), 0, 0, "WW", kWhite);
  EXPECT_TRUE(std::all_of(narrow.begin() + 200, narrow.end(), [](auto p) { return p == kGuard; }));
}

TEST(TextDraw, InvalidUtf8DrawsAReplacementGlyphPerBadByte) {
  const std::string bad = "\xFF\xC0N\xE2\x82";
  const std::string replaced = "\xEF\xBF\xBD\xEF\xBF\xBDN\xEF\xBF\xBD\xEF\xBF\xBD";
  EXPECT_EQ(MeasureText(Arial(20), bad).width, MeasureText(Arial(20), replaced).width);
  EXPECT_EQ(Canvas(120, 40).Draw(Arial(20), 2, 2, bad, kWhite).pixels,
            Canvas(120, 40).Draw(Arial(20), 2, 2, replaced, kWhite).pixels);
}

TEST(TextCache, RepaintsAreIdenticalAndWarmRepaintsDoNotAllocate) {
  ResetTextCache();
  const FontSpec fonts[] = {Arial(20), Arial(15, 2700), {"Arial", 20, 700, 450}};
  auto paint = [&](Canvas& c) {
    for (const FontSpec& font : fonts) c.Draw(font, 30, 30, "NESW 10 kt", 0xC0FFEE);
  };
  Canvas cold(100, 100), warm(100, 100), again(100, 100);
  paint(cold);
  const long before = g_allocations;
  paint(warm);
  EXPECT_EQ(g_allocations, before);
  EXPECT_EQ(warm.pixels, cold.pixels);

  ResetTextCache();
  paint(again);
  EXPECT_EQ(again.pixels, cold.pixels);
}

// An engine with made-up metrics, so the shared layout, cache and blending can be checked
// exactly: cells of 8 with the baseline 5 down, every character 3 wide, and every glyph a 2 x 2
// box one pixel right of and two above its origin, inked on its diagonal. The first ink's
// coverage tells the glyph, the font's height and whether the turn was a quarter.
struct FakeEngine final : FontEngine {
  struct Log {
    std::vector<std::string> finds;
    int renders = 0;
  };
  struct Font final : ScaledFont {
    Font(Log& log, int height) : log(log), height(height) {}
    CellMetrics Metrics() const override { return {5, 8, 4}; }
    CharMetrics Char(char32_t cp) override { return {cp, 3}; }
    bool Render(GlyphId glyph, const Rotation& turn, Coverage& out) override {
      ++log.renders;
      if (glyph == '!') return false;
      if (glyph >= kBigGlyphs) {
        const int rows = static_cast<int>(glyph - kBigGlyphs);
        big.assign(static_cast<std::size_t>(rows) * kBigRow, 7);
        out = {0, 1, kBigRow, rows, kBigRow, big.data()};
        return true;
      }
      const bool quarter = turn.cos == 0 && turn.sin == 1;
      rows[0] = static_cast<std::uint8_t>(glyph + height + (quarter ? 100 : 0));
      out = {1, 2, 2, 2, 3, rows};  // the third byte of each row lies outside the box
      return true;
    }
    Log& log;
    int height;
    std::uint8_t rows[6] = {0, 0, 99, 0, 255, 99};
    std::vector<std::uint8_t> big;
  };
  // Glyph kBigGlyphs + n is n rows of kBigRow inked pixels.
  static constexpr GlyphId kBigGlyphs = 0x10000;
  static constexpr int kBigRow = 1000;
  explicit FakeEngine(Log& log) : log(log) {}
  std::unique_ptr<ScaledFont> Find(const FontRequest& r) override {
    log.finds.push_back(std::string(r.face) + " " + std::to_string(r.height) + " " +
                        std::to_string(r.weight));
    return r.face == "None" ? nullptr : std::make_unique<Font>(log, r.height);
  }
  Log& log;
};

// Coverage of every inked pixel of a white-on-black canvas, by position.
std::map<std::pair<int, int>, int> Inked(const Canvas& canvas) {
  std::map<std::pair<int, int>, int> inked;
  for (int i = 0; i < canvas.width * canvas.height; ++i) {
    if (canvas.pixels[i] != 0)
      inked[{i % canvas.width, i / canvas.width}] = canvas.pixels[i] & 0xFF;
  }
  return inked;
}

// text drawn through cache with its reference point at (10, 20) of a black 40 x 40 canvas.
Canvas DrawnWith(GlyphCache& cache, const FontSpec& font, std::string_view text) {
  Canvas canvas(40, 40);
  DrawText(cache, canvas.pixels.data(), 40, 40, 40, font, 10, 20, text, kWhite);
  return canvas;
}

TEST(TextThroughAnEngine, GlyphsSitOnTheTurnedBaselineAtTheirAdvances) {
  FakeEngine::Log log;
  GlyphCache cache(std::make_unique<FakeEngine>(log));
  auto draw = [&](const FontSpec& font, std::string_view text) {
    return Inked(DrawnWith(cache, font, text));
  };
  const TextExtent extent = MeasureText(cache, Arial(20), "AB");
  EXPECT_EQ(extent.width, 6);
  EXPECT_EQ(extent.height, 8);
  // Upright: origins (10, 25) and (13, 25). Turned a quarter: (15, 20) and (15, 17).
  using Ink = std::map<std::pair<int, int>, int>;
  EXPECT_EQ(draw(Arial(20), "AB"),
            (Ink{{{11, 23}, 85}, {{12, 24}, 255}, {{14, 23}, 86}, {{15, 24}, 255}}));
  EXPECT_EQ(draw(Arial(20, 900), "AB"),
            (Ink{{{16, 18}, 185}, {{17, 19}, 255}, {{16, 15}, 186}, {{17, 16}, 255}}));
  // A glyph the engine cannot render is blank but still advances the pen.
  EXPECT_EQ(draw(Arial(20), "!A"), (Ink{{{14, 23}, 85}, {{15, 24}, 255}}));
}

TEST(TextThroughAnEngine, FontsAreFoundAndGlyphsRenderedOncePerDescription) {
  FakeEngine::Log log;
  GlyphCache cache(std::make_unique<FakeEngine>(log));
  auto draw = [&](const FontSpec& font, std::string_view text) {
    return DrawnWith(cache, font, text).pixels[23 * 40 + 11] & 0xFF;
  };
  EXPECT_EQ(draw(Arial(20), "AA"), 85);
  EXPECT_EQ(draw(Arial(20, 3600), "A"), 85);
  EXPECT_EQ(log.renders, 1);
  draw(Arial(20, 900), "A");
  EXPECT_EQ(log.renders, 2);
  EXPECT_EQ(draw(Arial(15), "A"), 80);  // another font's glyph of the same id
  EXPECT_EQ(log.renders, 3);

  const std::string straddling = std::string(30, 'q') + "\xC3\xA9";
  MeasureText(cache, {straddling, 0, 0, 0}, "A");
  EXPECT_EQ(MeasureText(cache, {"None", 20, 400, 0}, "AB").height, 20);
  EXPECT_EQ(MeasureText(cache, {"None", 20, 400, 900}, "AB").width, 0);
  EXPECT_EQ(log.finds,
            (std::vector<std::string>{"Arial 20 400", "Arial 15 400",
                                      std::string(30, 'q') + " -12 400", "None 20 400"}));
}

TEST(TextThroughAnEngine, GlyphsFarOffTheBufferAreNeverRendered) {
  FakeEngine::Log log;
  GlyphCache cache(std::make_unique<FakeEngine>(log));
  Canvas canvas(40, 40);
  for (int x : {-8, 44, 1000000}) {
    DrawText(cache, canvas.pixels.data(), 40, 40, 40, Arial(20), x, 20, "A", kWhite);
  }
  EXPECT_EQ(log.renders, 0);
  // Of a long text running off the right edge only the glyphs near the buffer are rendered.
  DrawText(cache, canvas.pixels.data(), 40, 40, 40, Arial(20), 30, 20, std::string(1000, 'A') + "B",
           kWhite);
  EXPECT_EQ(log.renders, 1);
}

TEST(TextThroughAnEngine, KeptGlyphsAndFontsStayWithinTheirBoundsLeastRecentlyUsedFirst) {
  FakeEngine::Log log;
  GlyphCache cache(std::make_unique<FakeEngine>(log));
  const GlyphCache::Selection keep = cache.Select(Arial(20));
  cache.GlyphFor(keep, 'A');
  // Glyphs of about 100 kB each, many times the bound, the first two drawn again all along.
  const int rendersBefore = log.renders;
  for (GlyphId g = 1; g <= 2000; ++g) {
    cache.GlyphFor(keep, FakeEngine::kBigGlyphs + 100);
    cache.GlyphFor(keep, 'A');
    cache.GlyphFor(cache.Select(Arial(20, static_cast<int>(g))), FakeEngine::kBigGlyphs + 100);
    EXPECT_LE(cache.GlyphBytes(), kGlyphCacheBytes);
  }
  EXPECT_EQ(log.renders, rendersBefore + 2001);
  // One glyph too big to be kept among the others is kept alone while it is drawn again.
  const GlyphCache::Selection selected = cache.Select(Arial(15));
  const std::size_t huge = kGlyphCacheBytes / 4 / FakeEngine::kBigRow + 1;
  for (int i = 0; i < 3; ++i) cache.GlyphFor(selected, FakeEngine::kBigGlyphs + huge);
  EXPECT_EQ(log.renders, rendersBefore + 2002);
  EXPECT_LE(cache.GlyphBytes(), kGlyphCacheBytes);

  for (int height = 1; height <= 100; ++height) MeasureText(cache, Arial(height), "A");
  EXPECT_EQ(cache.FontCount(), kMaxCachedFonts);
}

TEST(TextThroughAnEngine, AFaceWithoutAnyFontIsReportedOncePerRun) {
  FakeEngine::Log log;
  GlyphCache cache(std::make_unique<FakeEngine>(log));
  testing::internal::CaptureStderr();
  for (int height : {20, 15, 20}) MeasureText(cache, {"None", height, 400, 0}, "A");
  cache.Reset(std::make_unique<FakeEngine>(log));
  MeasureText(cache, {"None", 30, 400, 0}, "A");
  MeasureText(cache, {"Arial", 30, 400, 0}, "A");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorel: no usable font for the face \"None\"; text in it cannot be drawn\n");
}

TEST(PlatformFonts, NoInkLiesBeyondTheReachTheFontGives) {
  const std::unique_ptr<FontEngine> engine = MakePlatformFontEngine();
  for (int height : {8, 20, 211}) {
    const std::unique_ptr<ScaledFont> font = engine->Find({"Arial", height, 400});
    ASSERT_NE(font, nullptr);
    const int reach = font->Metrics().reach;
    ASSERT_GT(reach, 0);
    for (double degrees : {0.0, 33.0, 90.0, 225.0}) {
      const Rotation turn{std::cos(degrees * std::numbers::pi / 180),
                          std::sin(degrees * std::numbers::pi / 180)};
      for (char32_t cp : U" !09@AQWgj|~\u00C5\u00E7\u20AC\uFFFD") {
        Coverage c;
        if (!font->Render(font->Char(cp).glyph, turn, c) || c.width == 0) continue;
        EXPECT_LE(std::max({-c.left, c.left + c.width, c.top, c.rows - c.top}), reach)
            << "U+" << std::hex << static_cast<int>(cp) << " at " << degrees << " and " << height;
      }
    }
  }
}

}  // namespace
