// Text for the bitmap canvas: a string laid out from its advances, turned about its reference
// point and blended onto the pixels. Fonts and glyphs come from the platform's font engine
// through a GlyphCache; nothing here depends on which engine that is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "turtle/Utf8.h"

class GlyphCache;

// A font as the canvas creates it.
struct FontSpec {
  std::string face;    // matched by the font engine; at most kMaxFaceBytes bytes are used
  int height = 0;      // > 0: character-cell height in pixels; < 0: em height; 0: a default
  int weight = 400;    // 100..900, 400 regular, 700 bold
  int escapement = 0;  // counter-clockwise rotation in tenths of a degree

  bool operator==(const FontSpec&) const = default;
};

inline constexpr std::size_t kMaxFaceBytes = 31;

struct TextExtent {
  int width = 0;   // sum of the integer advance widths, along the text's own axis
  int height = 0;  // character-cell height (ascent + descent), the same for every string
};

// MeasureText, DrawText and ResetTextCache work on the process's own fonts and glyphs, which one
// thread at a time may use.

// Width and cell height of utf8 in font, unrotated.
TextExtent MeasureText(const FontSpec& font, std::string_view utf8);

// Draws utf8 with a transparent background onto a pixel buffer of width x height (stride in
// pixels), such as the bitmap's rows. colour has the buffer's layout: each of the low
// three bytes moves towards it by the glyph's coverage and a pixel's top byte is kept. (x, y) is
// the top-left of the first character cell; the text is turned counter-clockwise by
// font.escapement about that point. Clipped to the buffer.
void DrawText(std::uint32_t* pixels, int width, int height, int stride, const FontSpec& font, int x,
              int y, std::string_view utf8, std::uint32_t colour);

// Heights beyond 2048 pixels either way are drawn and measured as 2048.

// Forgets every loaded face and rendered glyph (the next text starts cold).
void ResetTextCache();

// The same with the fonts and glyphs of cache rather than the process's own.
TextExtent MeasureText(GlyphCache& cache, const FontSpec& font, std::string_view utf8);
void DrawText(GlyphCache& cache, std::uint32_t* pixels, int width, int height, int stride,
              const FontSpec& font, int x, int y, std::string_view utf8, std::uint32_t colour);
