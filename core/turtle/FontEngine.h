// What the text code needs from the platform's font engine: a face for a font description, its
// cell metrics, a character's glyph and advance, and a glyph's coverage at an angle. The glyph
// cache, the layout of a string and the blending are the same for every engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// Heights reach an engine clamped to this many pixels either way, so a wild value cannot ask for
// glyphs the size of a billboard.
inline constexpr int kMaxHeightPixels = 2048;

// An engine leaves a glyph bigger than this on either side blank: only a broken font gets there,
// and rasterising it could allocate gigabytes.
inline constexpr int kMaxGlyphPixels = 4 * kMaxHeightPixels;

using GlyphId = std::uint32_t;

// A counter-clockwise turn on the screen.
struct Rotation {
  double cos = 1;
  double sin = 0;
};

// Whole pixels: the baseline lies ascent below the top of a character cell that is cell high.
// No glyph's ink lies more than reach pixels from its origin along either axis, whatever the
// turn, so a text skips a glyph far off the bitmap without rasterising it; 0 if not known.
struct CellMetrics {
  int ascent = 0;
  int cell = 0;
  int reach = 0;
};

struct CharMetrics {
  GlyphId glyph = 0;  // what the font draws for the character, its missing-glyph box if nothing
  int advance = 0;    // whole pixels along the text's own axis
};

// A glyph's coverage, 0..255 a pixel, rows top to bottom. left and top place the first column
// and row from the glyph's origin on the baseline; top counts upwards. The rows belong to the
// engine and stay valid only until its next call.
struct Coverage {
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  std::ptrdiff_t pitch = 0;  // bytes from the start of one row to the next
  const std::uint8_t* data = nullptr;
};

// One face scaled to one height. It must not outlive the engine that found it.
class ScaledFont {
 public:
  virtual ~ScaledFont() = default;
  virtual CellMetrics Metrics() const = 0;
  // An advance the font cannot give is 0.
  virtual CharMetrics Char(char32_t cp) = 0;
  // The glyph turned by turn about its origin; false leaves it blank.
  virtual bool Render(GlyphId glyph, const Rotation& turn, Coverage& out) = 0;
};

struct FontRequest {
  std::string_view face;  // UTF-8, at most kMaxFaceBytes; empty or unknown: the platform's choice
  int height;             // > 0: cell height, < 0: em height; never 0, within kMaxHeightPixels
  int weight;             // 1..1000
};

class FontEngine {
 public:
  virtual ~FontEngine() = default;
  // The platform's best face for request at its height, or null when it has none at all.
  virtual std::unique_ptr<ScaledFont> Find(const FontRequest& request) = 0;
};

// The engine of the platform being built for, defined beside that engine.
std::unique_ptr<FontEngine> MakePlatformFontEngine();

// Whether an installed font covers the language, a tag such as "ja"; true when the platform
// cannot tell, so that nothing is reported missing on a guess.
bool PlatformHasFontFor(std::string_view language);
