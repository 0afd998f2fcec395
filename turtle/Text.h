// Text for the bitmap canvas: fonts found through fontconfig, glyphs rasterised by FreeType.
// Nothing outside this file's implementation sees a FreeType or fontconfig type.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A font as the canvas creates it.
struct FontSpec {
  std::string face;    // matched through fontconfig; at most kMaxFaceBytes bytes are used
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

// Decodes UTF-8; every byte of an invalid sequence becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view utf8);

// Width and cell height of utf8 in font, unrotated.
TextExtent MeasureText(const FontSpec& font, std::string_view utf8);

// Draws utf8 in colour (0x00BBGGRR) with a transparent background onto a 0x00BBGGRR pixel buffer
// of width x height (stride in pixels). (x, y) is the top-left of the first character cell; the
// text is turned counter-clockwise by font.escapement about that point. Clipped to the buffer.
void DrawText(std::uint32_t* pixels, int width, int height, int stride, const FontSpec& font,
              int x, int y, std::string_view utf8, std::uint32_t colour);

// Heights beyond 2048 pixels either way are drawn and measured as 2048.

// Forgets every loaded face and rendered glyph (the next text starts cold).
void ResetTextCache();
