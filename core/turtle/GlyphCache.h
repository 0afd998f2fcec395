// Fonts and rendered glyphs, kept for every engine alike: a face is found and a glyph rasterised
// once, after which a repaint only looks them up. A font description is normalised the way the
// canvas reads it (face cut to kMaxFaceBytes at a character boundary, height clamped to
// kMaxHeightPixels with 0 as the default em, weight 0 as regular, escapement modulo a full turn);
// fonts are kept by its face, height and weight, glyphs by the whole description and glyph id.
//
// Both are bounded, the least recently used going first: a process that draws at every height
// and angle keeps a few megabytes, and the dial's own glyphs, drawn every frame, stay.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "turtle/FontEngine.h"
#include "turtle/HashMix.h"
#include "turtle/Text.h"

// Only the covered runs of a glyph's rows: about half of its box is empty. A run's coverages lie
// side by side, so drawing it blends along one row of pixels.
struct Glyph {
  struct Run {
    std::uint16_t x;  // from the box's left edge
    std::uint16_t y;  // from the box's top
    std::uint16_t length;
    std::uint32_t first;  // its coverages are coverage[first, first + length), each 1..255
  };
  int left = 0;  // the box from the glyph origin, as in Coverage
  int top = 0;
  int width = 0;
  int rows = 0;
  std::vector<Run> runs;
  std::vector<std::uint8_t> coverage;
};

// The glyphs kept, in bytes; a glyph bigger than a quarter of this is kept alone, outside it.
inline constexpr std::size_t kGlyphCacheBytes = 4u << 20;
// The fonts kept, each with its character metrics, at most kMaxCachedChars of them.
inline constexpr std::size_t kMaxCachedFonts = 32;
inline constexpr std::size_t kMaxCachedChars = 4096;

class GlyphCache {
 public:
  // A face at one height and weight. Nothing in it depends on the escapement, so every angle of
  // a font shares its face and its advances.
  class Font {
   public:
    Font(std::unique_ptr<ScaledFont> scaled, int height);
    bool Found() const { return scaled_ != nullptr; }
    // A missing face has no ascent and the requested height as its cell.
    const CellMetrics& Cell() const { return cell_; }
    CharMetrics Char(char32_t cp) {
      return cp < ascii_.size() && ascii_[cp] ? *ascii_[cp] : Load(cp);
    }

   private:
    friend class GlyphCache;
    CharMetrics Load(char32_t cp);
    std::unique_ptr<ScaledFont> scaled_;
    CellMetrics cell_;
    std::uint64_t lastUse_ = 0;
    std::array<const CharMetrics*, 128> ascii_{};  // the labels' characters, without a hash
    std::unordered_map<char32_t, CharMetrics> chars_;
  };

  // A font description as selected for a text.
  struct Selection {
    Font* font = nullptr;
    int escapement = 0;  // 0..3599
    Rotation turn;       // exact at quarter turns, so rotated text stays on whole pixels
  };

  explicit GlyphCache(std::unique_ptr<FontEngine> engine);
  GlyphCache(const GlyphCache&) = delete;
  GlyphCache& operator=(const GlyphCache&) = delete;
  ~GlyphCache();

  Selection Select(const FontSpec& wanted) {
    return last_.font && wanted == lastWanted_ ? last_ : SelectAnew(wanted);
  }
  // Valid until the next call of the cache.
  const Glyph& GlyphFor(const Selection& selection, GlyphId glyph) {
    const GlyphKey key{selection.font, selection.escapement, glyph};
    const auto it = glyphs_.find(key);
    if (it == glyphs_.end()) return Render(key, selection.turn);
    uses_.splice(uses_.begin(), uses_, it->second.use);  // moves a node, allocates nothing
    return it->second.glyph;
  }

  // Forgets every font and glyph and goes on with engine.
  void Reset(std::unique_ptr<FontEngine> engine);

  std::size_t GlyphBytes() const { return glyphBytes_; }
  std::size_t FontCount() const { return fonts_.size(); }

 private:
  struct FontKeyView {
    std::string_view face;
    int height;
    int weight;
    bool operator==(const FontKeyView&) const = default;
  };
  struct FontKey {
    std::string face;
    int height;
    int weight;
    FontKeyView View() const { return {face, height, weight}; }
  };
  // Transparent, so a repaint looks a font up by string_view without building a key string.
  struct FontKeyHash {
    using is_transparent = void;
    std::size_t operator()(const FontKeyView& k) const;
    std::size_t operator()(const FontKey& k) const { return (*this)(k.View()); }
  };
  struct FontKeyEq {
    using is_transparent = void;
    static FontKeyView V(const FontKeyView& k) { return k; }
    static FontKeyView V(const FontKey& k) { return k.View(); }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      return V(a) == V(b);
    }
  };
  struct GlyphKey {
    const Font* font;
    int escapement;
    GlyphId glyph;
    bool operator==(const GlyphKey&) const = default;
  };
  struct GlyphKeyHash {
    // Glyph ids of TrueType and OpenType fonts fit in 16 bits, escapements in 12.
    std::size_t operator()(const GlyphKey& k) const {
      const auto angleAndGlyph = (static_cast<std::size_t>(k.escapement) << 16) ^ k.glyph;
      return HashMix(std::hash<const Font*>()(k.font), angleAndGlyph);
    }
  };

  struct Kept {
    Glyph glyph;
    std::list<GlyphKey>::iterator use;
    std::size_t bytes;
  };
  struct Oversize {
    GlyphKey key{};
    Glyph glyph;
  };

  Selection SelectAnew(const FontSpec& wanted);
  Rotation TurnFor(int escapement);
  const Glyph& Render(const GlyphKey& key, const Rotation& turn);
  void Forget(std::unordered_map<GlyphKey, Kept, GlyphKeyHash>::iterator it);
  void EvictFont();
  void ReportMissing(std::string_view face);

  // Declared first so that it goes last: every font it found must be gone before it.
  std::unique_ptr<FontEngine> engine_;
  std::unordered_map<FontKey, Font, FontKeyHash, FontKeyEq> fonts_;
  std::uint64_t fontUses_ = 0;
  std::unordered_map<GlyphKey, Kept, GlyphKeyHash> glyphs_;
  std::list<GlyphKey> uses_;  // most recently drawn first
  std::size_t glyphBytes_ = 0;
  Oversize oversize_;
  // Faces already reported as having no font at all; kept across Reset, so once per run.
  std::unordered_set<std::string> reported_;
  struct KeptTurn {
    int escapement = -1;  // none yet
    Rotation turn;
  };
  std::array<KeptTurn, 64> turns_{};
  // A text is measured and drawn with the font just selected, so the last answer is kept.
  FontSpec lastWanted_;
  Selection last_;
};
