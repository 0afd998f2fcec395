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
// side x side square, and copies the square's R, G, B, A bytes to out.
EM_JS(void, QuorelCanvasGlyph,
      (int ppem, int cp, double cos, double sin, int side, std::uint8_t* out), {
        // One 2D context for every glyph and advance: each context costs the browser its own
        // set-up before the first frame.
        const g = globalThis.quorelText ||
                  (globalThis.quorelText =
                       new OffscreenCanvas(1, 1).getContext("2d", {willReadFrequently : true}));
        if (g.canvas.width < side) g.canvas.width = side;
        if (g.canvas.height < side) g.canvas.height = side;
        g.setTransform(1, 0, 0, 1, 0, 0);
        g.clearRect(0, 0, side, side);
        // The screen's y axis points down, so a counter-clockwise turn maps (x, y) to
        // (x cos + y sin, -x sin + y cos).
        g.setTransform(cos, -sin, sin, cos, side / 2, side / 2);
        g.font = ppem + "px QuorelSans";
        g.textBaseline = "alphabetic";
        g.fillStyle = "#000";
        g.fillText(String.fromCodePoint(cp), 0, 0);
        HEAPU8.set(g.getImageData(0, 0, side, side).data, out);
      });

// The advance of code point cp at ppem pixels, in pixels as the browser measures it.
EM_JS(double, QuorelCanvasAdvance, (int ppem, int cp), {
  const g = globalThis.quorelText || (globalThis.quorelText = new OffscreenCanvas(1, 1).getContext(
                                          "2d", {willReadFrequently : true}));
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

  // The coverage is the alpha channel, gathered here rather than by a loop in JavaScript, which
  // the browser would first have to compile, while the first frame waits.
  bool Render(GlyphId glyph, const Rotation& turn, Coverage& out) override {
    // Room for any glyph of the face whatever its turn, with a margin for antialiasing.
    const int side = std::min(2 * cell_.reach + 4, kMaxGlyphPixels);
    const auto pixels = static_cast<std::size_t>(side) * side;
    square_.resize(4 * pixels);
    QuorelCanvasGlyph(ppem_, static_cast<int>(glyph), turn.cos, turn.sin, side, square_.data());
    int x0 = side, y0 = side, x1 = -1, y1 = -1;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * side + x;
        // Each alpha byte moves to an index no later than its own, so the square is read first.
        square_[i] = square_[4 * i + 3];
        if (square_[i] != 0) {
          x0 = std::min(x0, x);
          x1 = std::max(x1, x);
          y0 = std::min(y0, y);
          y1 = y;
        }
      }
    }
    if (x1 < 0) {
      out = {};
      return true;
    }
    out = {x0 - side / 2, side / 2 - y0,
           x1 - x0 + 1,   y1 - y0 + 1,
           side,          square_.data() + static_cast<std::ptrdiff_t>(y0) * side + x0};
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
