// The turtle's text drawn by the browser's Canvas 2D with the font the page ships: "Arial" and
// every other face is Liberation Sans, which has Arial's advances, so that the dial measures alike
// on every device. Advances come from measureText, glyphs from fillText on an offscreen canvas
// turned by the glyph's angle, its alpha channel being the coverage. The glyph cache keeps what
// this engine answers, so a warm frame makes no call into JavaScript.
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "turtle/FontEngine.h"

// Draws code point cp at ppem pixels, turned by (cos, sin), with its origin in the middle of a
// side x side square, into the square's alpha bytes at out; box receives the inked columns and
// rows first and last, or -1s when nothing is inked.
EM_JS(void, QuorelCanvasGlyph,
      (int ppem, int cp, double cos, double sin, int side, std::uint8_t* out, int* box), {
        const canvas = globalThis.quorelGlyphCanvas ||
                       (globalThis.quorelGlyphCanvas = new OffscreenCanvas(1, 1));
        if (canvas.width < side) canvas.width = side;
        if (canvas.height < side) canvas.height = side;
        const g = canvas.getContext("2d", {willReadFrequently : true});
        g.setTransform(1, 0, 0, 1, 0, 0);
        g.clearRect(0, 0, side, side);
        // The screen's y axis points down, so a counter-clockwise turn maps (x, y) to
        // (x cos + y sin, -x sin + y cos).
        g.setTransform(cos, -sin, sin, cos, side / 2, side / 2);
        g.font = ppem + "px QuorelSans";
        g.textBaseline = "alphabetic";
        g.fillStyle = "#000";
        g.fillText(String.fromCodePoint(cp), 0, 0);
        const data = g.getImageData(0, 0, side, side).data;
        let x0 = side, y0 = side, x1 = -1, y1 = -1;
        for (let y = 0; y < side; ++y) {
          for (let x = 0; x < side; ++x) {
            const a = data[(y * side + x) * 4 + 3];
            HEAPU8[out + y * side + x] = a;
            if (a) {
              if (x < x0) x0 = x;
              if (x > x1) x1 = x;
              if (y < y0) y0 = y;
              if (y > y1) y1 = y;
            }
          }
        }
        HEAP32[(box >> 2) + 0] = x1 < 0 ? -1 : x0;
        HEAP32[(box >> 2) + 1] = x1 < 0 ? -1 : y0;
        HEAP32[(box >> 2) + 2] = x1;
        HEAP32[(box >> 2) + 3] = y1;
      });

// The advance of code point cp at ppem pixels, in pixels as the browser measures it.
EM_JS(double, QuorelCanvasAdvance, (int ppem, int cp), {
  const canvas = globalThis.quorelMeasureCanvas ||
                 (globalThis.quorelMeasureCanvas = new OffscreenCanvas(1, 1));
  const g = canvas.getContext("2d");
  g.font = ppem + "px QuorelSans";
  return g.measureText(String.fromCodePoint(cp)).width;
});

namespace {

// Liberation Sans's units per em and its Windows ascent and descent, by which GDI maps a cell
// height to an em: the same mapping as the other engines, for the one font the page ships.
constexpr long long kUnitsPerEm = 2048;
constexpr long long kWinAscent = 1854;
constexpr long long kWinDescent = 434;

long long RoundDiv(long long num, long long den) {
  return (2 * num + den) / (2 * den);
}

class CanvasFont final : public ScaledFont {
 public:
  CanvasFont(int ppem, CellMetrics cell) : ppem_(ppem), cell_(cell) {}

  CellMetrics Metrics() const override { return cell_; }

  // The code point is the glyph: the browser chooses the glyph from it.
  CharMetrics Char(char32_t cp) override {
    const double advance = QuorelCanvasAdvance(ppem_, static_cast<int>(cp));
    return {static_cast<GlyphId>(cp),
            std::isfinite(advance) ? static_cast<int>(std::lround(advance)) : 0};
  }

  bool Render(GlyphId glyph, const Rotation& turn, Coverage& out) override {
    // Room for any glyph of the face whatever its turn, with a margin for antialiasing.
    const int side = std::min(2 * cell_.reach + 4, kMaxGlyphPixels);
    square_.assign(static_cast<std::size_t>(side) * side, 0);
    int box[4];
    QuorelCanvasGlyph(ppem_, static_cast<int>(glyph), turn.cos, turn.sin, side, square_.data(),
                      box);
    if (box[2] < 0) {
      out = {};
      return true;
    }
    out = {box[0] - side / 2,
           side / 2 - box[1],
           box[2] - box[0] + 1,
           box[3] - box[1] + 1,
           side,
           square_.data() + static_cast<std::ptrdiff_t>(box[1]) * side + box[0]};
    return true;
  }

 private:
  int ppem_;
  CellMetrics cell_;
  std::vector<std::uint8_t> square_;
};

class CanvasFontEngine final : public FontEngine {
 public:
  std::unique_ptr<ScaledFont> Find(const FontRequest& request) override {
    const long long span = kWinAscent + kWinDescent;
    long long ppem = 0;
    long long cell = 0;
    if (request.height > 0) {
      cell = request.height;
      ppem = std::clamp<long long>(RoundDiv(cell * kUnitsPerEm, span), 1, kMaxHeightPixels);
    } else {
      ppem = -static_cast<long long>(request.height);
      cell = RoundDiv(span * ppem, kUnitsPerEm);
    }
    const long long ascent =
        std::clamp<long long>(RoundDiv(kWinAscent * ppem, kUnitsPerEm), 0, cell);
    // The face's widest glyphs stay within 1.5 em of their origin.
    const long long reach = std::min<long long>(3 * ppem / 2 + 2, kMaxGlyphPixels / 2);
    return std::make_unique<CanvasFont>(
        static_cast<int>(ppem),
        CellMetrics{static_cast<int>(ascent), static_cast<int>(cell), static_cast<int>(reach)});
  }
};

}  // namespace

std::unique_ptr<FontEngine> MakePlatformFontEngine() {
  return std::make_unique<CanvasFontEngine>();
}

// The shipped face has no Japanese; the browser falls back to the system's for the menu's words.
bool PlatformHasFontFor(std::string_view) {
  return true;
}
