// What the fontconfig and FreeType engine remembers between finds, so that its tests can hold it
// to its bounds; MakePlatformFontEngine() makes the engine.
#pragma once

#include <cstddef>

#include "turtle/FontEngine.h"

// The least recently found go first, so that the engine remembers at most kMaxKeptNames face
// names, each with the font file it matched (as many as the glyph cache keeps fonts, so the
// dial's own stay), and keeps at most kMaxKeptFiles font files open, each holding a font's tables
// in memory (the dial draws from one). A font the engine found keeps its own file open after the
// engine has let it go.
inline constexpr std::size_t kMaxKeptNames = 32;
inline constexpr std::size_t kMaxKeptFiles = 4;

struct KeptFaces {
  std::size_t names = 0;
  std::size_t files = 0;
};

// engine must be one that MakePlatformFontEngine() made.
KeptFaces KeptBy(const FontEngine& engine);
