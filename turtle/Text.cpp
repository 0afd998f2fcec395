#include "turtle/Text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Requested heights are clamped to this many pixels so a wild value cannot ask FreeType for
// glyphs the size of a billboard.
constexpr int kMaxHeightPixels = 2048;
constexpr int kDefaultPpem = 12;

// A glyph bigger than this on either side is left blank: only a broken font gets there, and
// rasterising it could allocate gigabytes.
constexpr long kMaxGlyphPixels = 4 * kMaxHeightPixels;

// Decodes one code point at s[i] and moves i past it; a byte that does not start a well-formed
// sequence yields U+FFFD and moves i by one, so each bad byte is reported on its own.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  const auto bad = [&i] {
    ++i;
    return kReplacement;
  };
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  struct Form {
    std::size_t length;
    unsigned char payload;  // bits of the lead byte that carry the code point
    char32_t min;           // anything smaller is an overlong encoding
  };
  Form form{};
  if (lead >= 0xC2 && lead <= 0xDF) {
    form = {2, 0x1F, 0x80};
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    form = {3, 0x0F, 0x800};
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    form = {4, 0x07, 0x10000};
  } else {
    return bad();
  }
  if (s.size() - i < form.length) return bad();
  char32_t cp = lead & form.payload;
  for (std::size_t k = 1; k < form.length; ++k) {
    const auto next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0) != 0x80) return bad();
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < form.min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return bad();
  i += form.length;
  return cp;
}

std::string_view TruncatedFace(std::string_view face) {
  if (face.size() <= kMaxFaceBytes) return face;
  std::size_t cut = kMaxFaceBytes;
  while (cut > 0 && (static_cast<unsigned char>(face[cut]) & 0xC0) == 0x80) --cut;
  return face.substr(0, cut);
}

// 0 means "don't care" as it does for GDI; fontconfig only maps 1..1000.
int NormalWeight(int weight) {
  return weight <= 0 ? 400 : std::min(weight, 1000);
}

// Height 0 is the default em size, so it shares its cache entries with -kDefaultPpem.
int NormalHeight(int height) {
  if (height == 0) return -kDefaultPpem;
  return std::clamp(height, -kMaxHeightPixels, kMaxHeightPixels);
}

int NormalEscapement(int escapement) {
  return (escapement % 3600 + 3600) % 3600;
}

long long RoundDiv(long long num, long long den) {
  return (2 * num + den) / (2 * den);
}

std::size_t HashMix(std::size_t seed, std::size_t value) {
  return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

struct PairHash {
  template <class A, class B>
  std::size_t operator()(const std::pair<A, B>& p) const {
    return HashMix(std::hash<A>()(p.first), std::hash<B>()(p.second));
  }
};

struct Face {
  FT_Face ft = nullptr;
  long long upem = 0;
  long long winAscent = 0;
  long long winDescent = 0;
};

struct CharInfo {
  FT_UInt glyph = 0;
  int advance = 0;
};

struct SizedFace {
  Face* face = nullptr;
  FT_Size size = nullptr;
  int ascent = 0;
  int cell = 0;
  std::array<const CharInfo*, 128> ascii{};  // the labels' characters, without a hash lookup
  std::unordered_map<char32_t, CharInfo> chars;
};

// Coverage, 0..255, rows top to bottom; left/top place it from the glyph origin (top is upwards).
struct Glyph {
  struct Ink {
    std::uint16_t x;
    std::uint16_t y;
    std::uint8_t coverage;  // 1..255
  };
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  std::vector<Ink> ink;  // only the covered pixels: about half of a glyph's box is empty
};

struct GlyphSet {
  SizedFace* sized = nullptr;
  int escapement = 0;
  double cos = 1;
  double sin = 0;
  std::unordered_map<FT_UInt, Glyph> glyphs;
};

struct Instance {
  SizedFace* sized = nullptr;
  GlyphSet* glyphs = nullptr;
};

struct InstanceKeyView {
  std::string_view face;
  int height;
  int weight;
  int escapement;
  bool operator==(const InstanceKeyView&) const = default;
};

struct InstanceKey {
  std::string face;
  int height;
  int weight;
  int escapement;
  InstanceKeyView View() const { return {face, height, weight, escapement}; }
};

// Transparent so a repaint can look a font up by string_view without building a key string.
struct InstanceHash {
  using is_transparent = void;
  std::size_t operator()(const InstanceKeyView& k) const {
    std::size_t h = std::hash<std::string_view>()(k.face);
    h = HashMix(h, std::hash<int>()(k.height));
    h = HashMix(h, std::hash<int>()(k.weight));
    return HashMix(h, std::hash<int>()(k.escapement));
  }
  std::size_t operator()(const InstanceKey& k) const { return (*this)(k.View()); }
};

struct InstanceEq {
  using is_transparent = void;
  static InstanceKeyView V(const InstanceKeyView& k) { return k; }
  static InstanceKeyView V(const InstanceKey& k) { return k.View(); }
  template <class A, class B>
  bool operator()(const A& a, const B& b) const {
    return V(a) == V(b);
  }
};

class Cache {
 public:
  Cache() = default;
  Cache(const Cache&) = delete;
  Cache& operator=(const Cache&) = delete;
  ~Cache() { Reset(); }

  void Reset() {
    last_ = nullptr;
    instances_.clear();
    glyphSets_.clear();
    sized_.clear();
    resolved_.clear();
    for (auto& [key, face] : faces_) FT_Done_Face(face.ft);
    faces_.clear();
    if (library_) FT_Done_FreeType(library_);
    library_ = nullptr;
  }

  // A text is measured and drawn with the font just selected, so the last answer is kept.
  const Instance& Get(const FontSpec& font) {
    if (last_ && font == lastSpec_) return *last_;
    lastSpec_ = font;
    last_ = &Find(font);
    return *last_;
  }

  const Instance& Find(const FontSpec& font) {
    const InstanceKeyView key{TruncatedFace(font.face), NormalHeight(font.height),
                              NormalWeight(font.weight), NormalEscapement(font.escapement)};
    if (auto it = instances_.find(key); it != instances_.end()) return it->second;

    Instance instance;
    if (Face* face = Resolve(std::string(key.face), key.weight)) {
      instance.sized = Sized(face, key.height);
      if (instance.sized) instance.glyphs = Glyphs(instance.sized, key.escapement);
    }
    InstanceKey stored{std::string(key.face), key.height, key.weight, key.escapement};
    return instances_.emplace(std::move(stored), instance).first->second;
  }

  const CharInfo& Char(SizedFace& sized, char32_t cp) {
    if (cp < sized.ascii.size() && sized.ascii[cp]) return *sized.ascii[cp];
    if (auto it = sized.chars.find(cp); it != sized.chars.end()) return it->second;
    CharInfo info;
    FT_Face ft = sized.face->ft;
    info.glyph = FT_Get_Char_Index(ft, cp);
    FT_Activate_Size(sized.size);
    FT_Set_Transform(ft, nullptr, nullptr);
    if (FT_Load_Glyph(ft, info.glyph, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) == 0) {
      info.advance = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
    }
    const CharInfo& stored = sized.chars.emplace(cp, info).first->second;
    if (cp < sized.ascii.size()) sized.ascii[cp] = &stored;
    return stored;
  }

  const Glyph& GlyphFor(GlyphSet& set, FT_UInt index) {
    if (auto it = set.glyphs.find(index); it != set.glyphs.end()) return it->second;
    return set.glyphs.emplace(index, Render(set, index)).first->second;
  }

 private:
  FT_Library Library() {
    if (!library_ && FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    return library_;
  }

  Face* Resolve(const std::string& name, int weight) {
    const auto key = std::make_pair(name, weight);
    if (auto it = resolved_.find(key); it != resolved_.end()) return it->second;

    FcPattern* pattern = FcPatternCreate();
    Face* face = nullptr;
    if (pattern) {
      if (!name.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
      }
      FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
      FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
      FcDefaultSubstitute(pattern);
      FcResult result = FcResultNoMatch;
      if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        face = OpenMatched(match);
        FcPatternDestroy(match);
      }
      // The best match may be a file FreeType cannot scale; take the next font that works.
      if (!face) {
        if (FcFontSet* set = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result)) {
          for (int i = 0; i < set->nfont && !face; ++i) face = OpenMatched(set->fonts[i]);
          FcFontSetDestroy(set);
        }
      }
      FcPatternDestroy(pattern);
    }
    resolved_.emplace(key, face);
    return face;
  }

  Face* OpenMatched(FcPattern* match) {
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || !file) return nullptr;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    return Open(reinterpret_cast<const char*>(file), index);
  }

  Face* Open(const std::string& file, int index) {
    const auto key = std::make_pair(file, index);
    if (auto it = faces_.find(key); it != faces_.end()) return &it->second;
    FT_Library library = Library();
    if (!library) return nullptr;
    FT_Face ft = nullptr;
    if (FT_New_Face(library, file.c_str(), index, &ft) != 0) return nullptr;
    if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0) {
      FT_Done_Face(ft);
      return nullptr;
    }

    Face face;
    face.ft = ft;
    face.upem = ft->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      face.winAscent = os2->usWinAscent;
      face.winDescent = os2->usWinDescent;
    } else if (hhea && hhea->Ascender - hhea->Descender > 0) {
      face.winAscent = hhea->Ascender;
      face.winDescent = -hhea->Descender;
    } else if (ft->ascender - ft->descender > 0) {
      face.winAscent = ft->ascender;
      face.winDescent = -ft->descender;
    } else {
      face.winAscent = face.upem;
    }
    return &faces_.emplace(key, face).first->second;
  }

  // GDI's cell mapping: a whole-pixel em chosen so that the Windows ascent and descent, each
  // rounded, fill the requested cell exactly.
  SizedFace* Sized(Face* face, int height) {
    const auto key = std::make_pair(face, height);
    if (auto it = sized_.find(key); it != sized_.end()) return &it->second;

    const long long span = face->winAscent + face->winDescent;
    long long ppem = 0;
    long long cell = 0;
    if (height > 0) {
      cell = height;
      ppem = std::clamp<long long>(RoundDiv(height * face->upem, span), 1, kMaxHeightPixels);
    } else {
      ppem = -static_cast<long long>(height);
      cell = RoundDiv(span * ppem, face->upem);
    }
    const long long ascent =
        std::clamp<long long>(RoundDiv(face->winAscent * ppem, face->upem), 0, cell);

    FT_Size size = nullptr;
    if (FT_New_Size(face->ft, &size) != 0) return nullptr;
    if (FT_Activate_Size(size) != 0 ||
        FT_Set_Pixel_Sizes(face->ft, 0, static_cast<FT_UInt>(ppem)) != 0) {
      FT_Done_Size(size);
      return nullptr;
    }
    SizedFace sized;
    sized.face = face;
    sized.size = size;
    sized.ascent = static_cast<int>(ascent);
    sized.cell = static_cast<int>(cell);
    return &sized_.emplace(key, std::move(sized)).first->second;
  }

  GlyphSet* Glyphs(SizedFace* sized, int escapement) {
    const auto key = std::make_pair(sized, escapement);
    if (auto it = glyphSets_.find(key); it != glyphSets_.end()) return &it->second;
    GlyphSet set;
    set.sized = sized;
    set.escapement = escapement;
    // Exact values at the right angles keep rotated text on whole pixels.
    switch (escapement) {
      case 0:
        set.cos = 1, set.sin = 0;
        break;
      case 900:
        set.cos = 0, set.sin = 1;
        break;
      case 1800:
        set.cos = -1, set.sin = 0;
        break;
      case 2700:
        set.cos = 0, set.sin = -1;
        break;
      default: {
        const double radians = escapement * (std::numbers::pi / 1800.0);
        set.cos = std::cos(radians);
        set.sin = std::sin(radians);
      }
    }
    return &glyphSets_.emplace(key, std::move(set)).first->second;
  }

  static Glyph Render(const GlyphSet& set, FT_UInt index) {
    Glyph glyph;
    FT_Face ft = set.sized->face->ft;
    FT_Activate_Size(set.sized->size);
    // FreeType's y axis points up, so the screen's counter-clockwise turn is the usual matrix.
    FT_Matrix matrix{static_cast<FT_Fixed>(std::lround(set.cos * 65536.0)),
                     static_cast<FT_Fixed>(std::lround(-set.sin * 65536.0)),
                     static_cast<FT_Fixed>(std::lround(set.sin * 65536.0)),
                     static_cast<FT_Fixed>(std::lround(set.cos * 65536.0))};
    FT_Set_Transform(ft, set.escapement == 0 ? nullptr : &matrix, nullptr);
    if (FT_Load_Glyph(ft, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return glyph;
    FT_GlyphSlot slot = ft->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_BBox box;
      FT_Outline_Get_CBox(&slot->outline, &box);
      if ((box.xMax - box.xMin) / 64 > kMaxGlyphPixels ||
          (box.yMax - box.yMin) / 64 > kMaxGlyphPixels) {
        return glyph;
      }
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;

    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.num_grays != 256 ||
        bitmap.pitch < static_cast<int>(bitmap.width)) {
      return glyph;
    }
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    for (int r = 0; r < glyph.rows; ++r) {
      const unsigned char* row = bitmap.buffer + static_cast<std::size_t>(r) * bitmap.pitch;
      for (int c = 0; c < glyph.width; ++c) {
        if (row[c] != 0) {
          glyph.ink.push_back(
              {static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(r), row[c]});
        }
      }
    }
    return glyph;
  }

  FT_Library library_ = nullptr;
  FontSpec lastSpec_;
  const Instance* last_ = nullptr;
  std::unordered_map<std::pair<std::string, int>, Face*, PairHash> resolved_;
  std::unordered_map<std::pair<std::string, int>, Face, PairHash> faces_;
  std::unordered_map<std::pair<Face*, int>, SizedFace, PairHash> sized_;
  std::unordered_map<std::pair<SizedFace*, int>, GlyphSet, PairHash> glyphSets_;
  std::unordered_map<InstanceKey, Instance, InstanceHash, InstanceEq> instances_;
};

// One per process: the canvas is only drawn from the GUI thread. Its destructor hands every
// face and the FreeType library back at exit.
Cache& TheCache() {
  static Cache cache;
  return cache;
}

// Per channel dst + (src - dst) * coverage / 255, rounded half away from zero, without a
// division: (v + 1 + (v >> 8)) >> 8 is v / 255 exactly for v below 65536. Red and blue share
// each step in 16-bit lanes. The top byte is not a colour channel and is kept.
std::uint32_t Blend(std::uint32_t dst, std::uint32_t colour, int coverage) {
  const std::uint32_t a = static_cast<std::uint32_t>(coverage), na = 255 - a;
  const std::uint32_t rb = (dst & 0x00FF00FFu) * na + (colour & 0x00FF00FFu) * a + 0x007F007Fu;
  const std::uint32_t g = ((dst >> 8) & 0xFFu) * na + ((colour >> 8) & 0xFFu) * a + 0x7Fu;
  const std::uint32_t outRb = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  const std::uint32_t outG = (g + 1 + (g >> 8)) >> 8;
  return (dst & 0xFF000000u) | outRb | (outG << 8);
}

// Far enough outside any buffer to be clipped, near enough to convert to int64 safely.
std::int64_t RoundToPixel(double v) {
  constexpr double kFar = 1e15;
  return static_cast<std::int64_t>(std::floor(std::clamp(v, -kFar, kFar) + 0.5));
}

void Plot(std::uint32_t& pixel, std::uint32_t colour, int coverage) {
  pixel = coverage == 255 ? (pixel & 0xFF000000u) | (colour & 0x00FFFFFFu)
                          : Blend(pixel, colour, coverage);
}

void Blit(std::uint32_t* pixels, int width, int height, int stride, const Glyph& glyph,
          std::int64_t gx, std::int64_t gy, std::uint32_t colour) {
  const auto rowStride = static_cast<std::size_t>(stride);
  if (gx >= 0 && gy >= 0 && gx + glyph.width <= width && gy + glyph.rows <= height) {
    std::uint32_t* origin = pixels + static_cast<std::size_t>(gy) * rowStride + gx;
    for (const Glyph::Ink& ink : glyph.ink) {
      Plot(origin[ink.y * rowStride + ink.x], colour, ink.coverage);
    }
    return;
  }
  for (const Glyph::Ink& ink : glyph.ink) {
    const std::int64_t x = gx + ink.x, y = gy + ink.y;
    if (x >= 0 && y >= 0 && x < width && y < height) {
      Plot(pixels[static_cast<std::size_t>(y) * rowStride + static_cast<std::size_t>(x)], colour,
           ink.coverage);
    }
  }
}

}  // namespace

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) out.push_back(NextCodePoint(utf8, i));
  return out;
}

TextExtent MeasureText(const FontSpec& font, std::string_view utf8) {
  Cache& cache = TheCache();
  const Instance& instance = cache.Get(font);
  if (!instance.sized) return {0, std::abs(NormalHeight(font.height))};
  std::int64_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    width += cache.Char(*instance.sized, NextCodePoint(utf8, i)).advance;
  }
  return {static_cast<int>(std::min<std::int64_t>(width, INT_MAX)), instance.sized->cell};
}

void DrawText(std::uint32_t* pixels, int width, int height, int stride, const FontSpec& font, int x,
              int y, std::string_view utf8, std::uint32_t colour) {
  if (!pixels || width <= 0 || height <= 0 || stride < width || utf8.empty()) return;
  Cache& cache = TheCache();
  const Instance& instance = cache.Get(font);
  if (!instance.glyphs) return;
  GlyphSet& set = *instance.glyphs;
  SizedFace& sized = *instance.sized;
  const double ascent = sized.ascent;
  double pen = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const CharInfo& info = cache.Char(sized, NextCodePoint(utf8, i));
    const std::int64_t ox = RoundToPixel(x + pen * set.cos + ascent * set.sin);
    const std::int64_t oy = RoundToPixel(y - pen * set.sin + ascent * set.cos);
    const Glyph& glyph = cache.GlyphFor(set, info.glyph);
    Blit(pixels, width, height, stride, glyph, ox + glyph.left, oy - glyph.top, colour);
    pen += info.advance;
  }
}

void ResetTextCache() {
  TheCache().Reset();
}
