#include "turtle/GlyphCache.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <numbers>
#include <utility>

#include "turtle/HashMix.h"
#include "turtle/SinCos.h"

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
      const SinCos turn = SinCosOf(escapement * (std::numbers::pi / 1800.0));
      return {turn.cos, turn.sin};
    }
  }
}

// Ink coordinates are 16 bits wide.
constexpr int kMaxInkSide = std::numeric_limits<std::uint16_t>::max() + 1;

// Counted first, so that a glyph holds no more than its ink. A run's place among the coverages
// is 32 bits wide, which a box of no more than 2^32 - 1 pixels never outgrows.
Glyph Compact(const Coverage& coverage) {
  if (coverage.width < 0 || coverage.rows < 0 || coverage.width > kMaxInkSide ||
      coverage.rows > kMaxInkSide ||
      static_cast<std::uint64_t>(coverage.width) * static_cast<std::uint64_t>(coverage.rows) >
          std::numeric_limits<std::uint32_t>::max() ||
      (!coverage.data && coverage.width > 0 && coverage.rows > 0)) {
    return {};
  }
  Glyph glyph;
  glyph.left = coverage.left;
  glyph.top = coverage.top;
  glyph.width = coverage.width;
  glyph.rows = coverage.rows;
  // Calls fn(row, first column, end column) for each run of inked pixels.
  auto forEachRun = [&](auto fn) {
    for (int r = 0; r < glyph.rows; ++r) {
      const std::uint8_t* row = coverage.data + r * coverage.pitch;
      for (int c = 0; c < glyph.width;) {
        if (row[c] == 0) {
          ++c;
          continue;
        }
        const int first = c;
        while (c < glyph.width && row[c] != 0) ++c;
        fn(r, first, c);
      }
    }
  };
  std::size_t runs = 0, inked = 0;
  forEachRun([&](int, int first, int end) {
    ++runs;
    inked += static_cast<std::size_t>(end - first);
  });
  glyph.runs.reserve(runs);
  glyph.coverage.reserve(inked);
  forEachRun([&](int r, int first, int end) {
    // A run is at most kMaxInkSide long, one more than 16 bits hold, so the longest is split.
    for (int c = first; c < end;) {
      const int length = std::min(end - c, kMaxInkSide - 1);
      glyph.runs.push_back({static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(r),
                            static_cast<std::uint16_t>(length),
                            static_cast<std::uint32_t>(glyph.coverage.size())});
      const std::uint8_t* row = coverage.data + r * coverage.pitch;
      glyph.coverage.insert(glyph.coverage.end(), row + c, row + c + length);
      c += length;
    }
  });
  return glyph;
}

// What a kept glyph costs, its key and its place in the hash table and the use list included.
std::size_t BytesOf(const Glyph& glyph) {
  constexpr std::size_t kPerGlyph = 128;
  return kPerGlyph + glyph.runs.capacity() * sizeof(Glyph::Run) + glyph.coverage.capacity();
}

// A face name may be any bytes; only printable ASCII reaches the terminal.
std::string Printable(std::string_view face) {
  std::string out(face);
  for (char& c : out) {
    if (c < 0x20 || c > 0x7E) c = '?';
  }
  return out;
}

constexpr std::size_t kMaxReportedFaces = 16;

}  // namespace

GlyphCache::Font::Font(std::unique_ptr<ScaledFont> scaled, int height)
    : scaled_(std::move(scaled)),
      cell_(scaled_ ? scaled_->Metrics() : CellMetrics{0, std::abs(height)}) {}

CharMetrics GlyphCache::Font::Load(char32_t cp) {
  if (auto it = chars_.find(cp); it != chars_.end()) return it->second;
  const CharMetrics metrics = scaled_ ? scaled_->Char(cp) : CharMetrics{};
  if (chars_.size() >= kMaxCachedChars) {
    ascii_.fill(nullptr);
    chars_.clear();
  }
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
    if (fonts_.size() >= kMaxCachedFonts) EvictFont();
    Font font(engine_ ? engine_->Find({key.face, key.height, key.weight}) : nullptr, key.height);
    if (!font.Found()) ReportMissing(key.face);
    it = fonts_.emplace(FontKey{std::string(key.face), key.height, key.weight}, std::move(font))
             .first;
  }
  it->second.lastUse_ = ++fontUses_;
  const int escapement = NormalEscapement(wanted.escapement);
  lastWanted_ = wanted;
  last_ = {&it->second, escapement, TurnFor(escapement)};
  return last_;
}

// A paint turns its labels to the same dozen escapements, 30 degrees apart, every time; those
// land in different places here, and their sine and cosine are worked out once.
Rotation GlyphCache::TurnFor(int escapement) {
  KeptTurn& kept = turns_[static_cast<std::size_t>(escapement) % turns_.size()];
  if (kept.escapement != escapement) kept = {escapement, TurnOf(escapement)};
  return kept.turn;
}

const Glyph& GlyphCache::Render(const GlyphKey& key, const Rotation& turn) {
  if (oversize_.key == key && oversize_.key.font) return oversize_.glyph;
  ScaledFont* scaled = key.font->scaled_.get();
  Coverage coverage;
  Glyph glyph;
  if (scaled && scaled->Render(key.glyph, turn, coverage)) glyph = Compact(coverage);
  const std::size_t bytes = BytesOf(glyph);
  if (bytes > kGlyphCacheBytes / 4) {
    oversize_ = {key, std::move(glyph)};
    return oversize_.glyph;
  }
  while (!uses_.empty() && glyphBytes_ + bytes > kGlyphCacheBytes) {
    Forget(glyphs_.find(uses_.back()));
  }
  uses_.push_front(key);
  glyphBytes_ += bytes;
  return glyphs_.emplace(key, Kept{std::move(glyph), uses_.begin(), bytes}).first->second.glyph;
}

void GlyphCache::Forget(std::unordered_map<GlyphKey, Kept, GlyphKeyHash>::iterator it) {
  glyphBytes_ -= it->second.bytes;
  uses_.erase(it->second.use);
  glyphs_.erase(it);
}

// The least recently selected font goes, and every glyph drawn with it.
void GlyphCache::EvictFont() {
  const auto oldest = std::min_element(fonts_.begin(), fonts_.end(), [](auto& a, auto& b) {
    return a.second.lastUse_ < b.second.lastUse_;
  });
  const Font* font = &oldest->second;
  for (auto use = uses_.begin(); use != uses_.end();) {
    const auto next = std::next(use);
    if (use->font == font) Forget(glyphs_.find(*use));
    use = next;
  }
  if (oversize_.key.font == font) oversize_ = {};
  if (last_.font == font) last_ = {};
  fonts_.erase(oldest);
}

// Once a run for each face, and for a few faces only, however many a caller makes up.
void GlyphCache::ReportMissing(std::string_view face) {
  if (reported_.size() >= kMaxReportedFaces || !reported_.emplace(face).second) return;
  std::fprintf(stderr, "quorel: no usable font for the face \"%s\"; text in it cannot be drawn\n",
               Printable(face).c_str());
}

void GlyphCache::Reset(std::unique_ptr<FontEngine> engine) {
  last_ = {};
  oversize_ = {};
  glyphs_.clear();
  uses_.clear();
  glyphBytes_ = 0;
  fonts_.clear();
  engine_ = std::move(engine);
}
