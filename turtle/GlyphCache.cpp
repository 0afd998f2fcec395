#include "turtle/GlyphCache.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <numbers>
#include <utility>

#include "turtle/HashMix.h"

namespace {

constexpr int kDefaultPpem = 12;

std::string_view TruncatedFace(std::string_view face) {
  if (face.size() <= kMaxFaceBytes) return face;
  std::size_t cut = kMaxFaceBytes;
  while (cut > 0 && (static_cast<unsigned char>(face[cut]) & 0xC0) == 0x80) --cut;
  return face.substr(0, cut);
}

// Height 0 is the default em size, so it shares its font with -kDefaultPpem.
int NormalHeight(int height) {
  if (height == 0) return -kDefaultPpem;
  return std::clamp(height, -kMaxHeightPixels, kMaxHeightPixels);
}

// 0 means "don't care" as it does for GDI; font matchers map only 1..1000.
int NormalWeight(int weight) {
  return weight <= 0 ? 400 : std::min(weight, 1000);
}

int NormalEscapement(int escapement) {
  return (escapement % 3600 + 3600) % 3600;
}

Rotation TurnOf(int escapement) {
  switch (escapement) {
    case 0:
      return {1, 0};
    case 900:
      return {0, 1};
    case 1800:
      return {-1, 0};
    case 2700:
      return {0, -1};
    default: {
      const double radians = escapement * (std::numbers::pi / 1800.0);
      return {std::cos(radians), std::sin(radians)};
    }
  }
}

// Ink coordinates are 16 bits wide.
constexpr int kMaxInkSide = std::numeric_limits<std::uint16_t>::max() + 1;

Glyph Compact(const Coverage& coverage) {
  if (coverage.width < 0 || coverage.rows < 0 || coverage.width > kMaxInkSide ||
      coverage.rows > kMaxInkSide || (!coverage.data && coverage.width > 0 && coverage.rows > 0)) {
    return {};
  }
  Glyph glyph;
  glyph.left = coverage.left;
  glyph.top = coverage.top;
  glyph.width = coverage.width;
  glyph.rows = coverage.rows;
  for (int r = 0; r < glyph.rows; ++r) {
    const std::uint8_t* row = coverage.data + r * coverage.pitch;
    for (int c = 0; c < glyph.width; ++c) {
      if (row[c] != 0) {
        glyph.ink.push_back({static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(r), row[c]});
      }
    }
  }
  return glyph;
}

}  // namespace

GlyphCache::Font::Font(std::unique_ptr<ScaledFont> scaled, int height)
    : scaled_(std::move(scaled)),
      cell_(scaled_ ? scaled_->Metrics() : CellMetrics{0, std::abs(height)}) {}

const CharMetrics& GlyphCache::Font::Load(char32_t cp) {
  if (auto it = chars_.find(cp); it != chars_.end()) return it->second;
  const CharMetrics metrics = scaled_ ? scaled_->Char(cp) : CharMetrics{};
  const CharMetrics& stored = chars_.emplace(cp, metrics).first->second;
  if (cp < ascii_.size()) ascii_[cp] = &stored;
  return stored;
}

std::size_t GlyphCache::FontKeyHash::operator()(const FontKeyView& k) const {
  const std::size_t h = HashMix(std::hash<std::string_view>()(k.face), std::hash<int>()(k.height));
  return HashMix(h, std::hash<int>()(k.weight));
}

GlyphCache::GlyphCache(std::unique_ptr<FontEngine> engine) : engine_(std::move(engine)) {}

GlyphCache::~GlyphCache() = default;

GlyphCache::Selection GlyphCache::SelectAnew(const FontSpec& wanted) {
  const FontKeyView key{TruncatedFace(wanted.face), NormalHeight(wanted.height),
                        NormalWeight(wanted.weight)};
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    Font font(engine_ ? engine_->Find({key.face, key.height, key.weight}) : nullptr, key.height);
    it = fonts_.emplace(FontKey{std::string(key.face), key.height, key.weight}, std::move(font))
             .first;
  }
  const int escapement = NormalEscapement(wanted.escapement);
  lastWanted_ = wanted;
  last_ = {&it->second, escapement, TurnOf(escapement)};
  return last_;
}

const Glyph& GlyphCache::Render(const GlyphKey& key, const Rotation& turn) {
  ScaledFont* scaled = key.font->scaled_.get();
  Coverage coverage;
  Glyph glyph;
  if (scaled && scaled->Render(key.glyph, turn, coverage)) glyph = Compact(coverage);
  return glyphs_.emplace(key, std::move(glyph)).first->second;
}

void GlyphCache::Reset(std::unique_ptr<FontEngine> engine) {
  last_ = {};
  glyphs_.clear();
  fonts_.clear();
  engine_ = std::move(engine);
}
