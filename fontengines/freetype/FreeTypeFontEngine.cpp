// The font engine on fontconfig and FreeType: fontconfig picks the font file for a face name,
// FreeType scales the face to a cell height the way GDI does and rasterises its glyphs.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "FreeTypeFontEngine.h"
#include "LruMap.h"
#include "turtle/FontEngine.h"
#include "turtle/HashMix.h"

namespace {

struct LibraryDone {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDone {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct SizeDone {
  void operator()(FT_Size size) const { FT_Done_Size(size); }
};
struct ConfigDestroy {
  void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct PatternDestroy {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct FontSetDestroy {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
struct LangSetDestroy {
  void operator()(FcLangSet* langs) const { FcLangSetDestroy(langs); }
};
struct ObjectSetDestroy {
  void operator()(FcObjectSet* objects) const { FcObjectSetDestroy(objects); }
};

using LibraryPtr = std::unique_ptr<FT_LibraryRec_, LibraryDone>;
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDone>;
using SizePtr = std::unique_ptr<FT_SizeRec_, SizeDone>;
using ConfigPtr = std::unique_ptr<FcConfig, ConfigDestroy>;
using PatternPtr = std::unique_ptr<FcPattern, PatternDestroy>;
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDestroy>;
using LangSetPtr = std::unique_ptr<FcLangSet, LangSetDestroy>;
using ObjectSetPtr = std::unique_ptr<FcObjectSet, ObjectSetDestroy>;

struct PairHash {
  template <class A, class B>
  std::size_t operator()(const std::pair<A, B>& p) const {
    return HashMix(std::hash<A>()(p.first), std::hash<B>()(p.second));
  }
};

long long RoundDiv(long long num, long long den) {
  return (2 * num + den) / (2 * den);
}

// A font file's face with the Windows metrics that GDI maps a cell height by.
struct Face {
  FacePtr ft;
  long long upem = 0;
  long long winAscent = 0;
  long long winDescent = 0;
};

// Shared by the engine and every font scaled from it, so that the engine may close a face that
// a font still draws with.
using SharedFace = std::shared_ptr<const Face>;

class FreeTypeFont final : public ScaledFont {
 public:
  FreeTypeFont(SharedFace face, SizePtr size, CellMetrics cell)
      : shared_(std::move(face)), face_(shared_->ft.get()), size_(std::move(size)), cell_(cell) {}

  CellMetrics Metrics() const override { return cell_; }

  CharMetrics Char(char32_t cp) override {
    CharMetrics metrics{FT_Get_Char_Index(face_, cp), 0};
    if (FT_Activate_Size(size_.get()) != 0) return metrics;
    FT_Set_Transform(face_, nullptr, nullptr);
    if (FT_Load_Glyph(face_, metrics.glyph, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) == 0) {
      metrics.advance = static_cast<int>((face_->glyph->advance.x + 32) >> 6);
    }
    return metrics;
  }

  bool Render(GlyphId glyph, const Rotation& turn, Coverage& out) override {
    if (FT_Activate_Size(size_.get()) != 0) return false;
    // FreeType's y axis points up, so the screen's counter-clockwise turn is the usual matrix.
    FT_Matrix matrix{static_cast<FT_Fixed>(std::lround(turn.cos * 65536.0)),
                     static_cast<FT_Fixed>(std::lround(-turn.sin * 65536.0)),
                     static_cast<FT_Fixed>(std::lround(turn.sin * 65536.0)),
                     static_cast<FT_Fixed>(std::lround(turn.cos * 65536.0))};
    FT_Set_Transform(face_, &matrix, nullptr);
    if (FT_Load_Glyph(face_, glyph, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return false;
    FT_GlyphSlot slot = face_->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_BBox box;
      FT_Outline_Get_CBox(&slot->outline, &box);
      if ((box.xMax - box.xMin) / 64 > kMaxGlyphPixels ||
          (box.yMax - box.yMin) / 64 > kMaxGlyphPixels) {
        return false;
      }
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.num_grays != 256 ||
        bitmap.pitch < static_cast<int>(bitmap.width)) {
      return false;
    }
    out = {slot->bitmap_left,
           slot->bitmap_top,
           static_cast<int>(bitmap.width),
           static_cast<int>(bitmap.rows),
           bitmap.pitch,
           bitmap.buffer};
    return true;
  }

 private:
  SharedFace shared_;  // declared before the size, which must go first
  FT_Face face_;
  SizePtr size_;
  CellMetrics cell_;
};

// The farthest corner of the face's box around every glyph, scaled, with room for hinting and
// for the rasteriser's rounding outwards; 0 when the font gives no box.
int Reach(const Face& face, long long ppem) {
  const FT_BBox& box = face.ft->bbox;
  if (box.xMax <= box.xMin || box.yMax <= box.yMin) return 0;
  const double far = std::max({std::hypot(box.xMin, box.yMin), std::hypot(box.xMin, box.yMax),
                               std::hypot(box.xMax, box.yMin), std::hypot(box.xMax, box.yMax)});
  const double scaled = far * static_cast<double>(ppem) / static_cast<double>(face.upem);
  return static_cast<int>(std::min(std::ceil(scaled) + 2.0 + ppem / 32, 2.0 * kMaxGlyphPixels));
}

// GDI's cell mapping: a whole-pixel em chosen so that the Windows ascent and descent, each
// rounded, fill the requested cell exactly.
std::unique_ptr<ScaledFont> Scale(SharedFace shared, int height) {
  const Face& face = *shared;
  const long long span = face.winAscent + face.winDescent;
  long long ppem = 0;
  long long cell = 0;
  if (height > 0) {
    cell = height;
    ppem = std::clamp<long long>(RoundDiv(height * face.upem, span), 1, kMaxHeightPixels);
  } else {
    ppem = -static_cast<long long>(height);
    cell = RoundDiv(span * ppem, face.upem);
  }
  const long long ascent =
      std::clamp<long long>(RoundDiv(face.winAscent * ppem, face.upem), 0, cell);

  FT_Size raw = nullptr;
  if (FT_New_Size(face.ft.get(), &raw) != 0) return nullptr;
  SizePtr size(raw);
  if (FT_Activate_Size(size.get()) != 0 ||
      FT_Set_Pixel_Sizes(face.ft.get(), 0, static_cast<FT_UInt>(ppem)) != 0) {
    return nullptr;
  }
  return std::make_unique<FreeTypeFont>(
      std::move(shared), std::move(size),
      CellMetrics{static_cast<int>(ascent), static_cast<int>(cell), Reach(face, ppem)});
}

using NameKey = std::pair<std::string, int>;  // face name and weight
using FileKey = std::pair<std::string, int>;  // font file and face index; no file: no font

class FreeTypeFontEngine final : public FontEngine {
 public:
  std::unique_ptr<ScaledFont> Find(const FontRequest& request) override {
    SharedFace face = Match(std::string(request.face), request.weight);
    return face ? Scale(std::move(face), request.height) : nullptr;
  }

  KeptFaces Kept() const { return {matches_.Size(), faces_.Size()}; }

 private:
  FT_Library Library() {
    FT_Library raw = nullptr;
    if (!library_ && FT_Init_FreeType(&raw) == 0) library_.reset(raw);
    return library_.get();
  }

  // A name is remembered with the file it matched, or with none when no font will do; a failure
  // of fontconfig itself is not remembered, so that the next find asks again.
  SharedFace Match(const std::string& family, int weight) {
    NameKey key{family, weight};
    if (const FileKey* file = matches_.Find(key)) return Open(*file);
    const std::optional<FileKey> file = Ask(family, weight);
    return file ? Open(matches_.Put(std::move(key), *file)) : nullptr;
  }

  // The file of the face fontconfig picks for a name, no file when no installed font will do,
  // nothing when fontconfig could not answer (no configuration, or out of memory).
  std::optional<FileKey> Ask(const std::string& family, int weight) {
    // Referenced for the whole match: another thread may replace the current configuration.
    const ConfigPtr config{FcConfigReference(nullptr)};
    const PatternPtr pattern{FcPatternCreate()};
    const int fcWeight = FcWeightFromOpenType(weight);
    if (!config || !pattern || fcWeight < 0) return std::nullopt;
    const auto* name = reinterpret_cast<const FcChar8*>(family.c_str());
    if ((!family.empty() && !FcPatternAddString(pattern.get(), FC_FAMILY, name)) ||
        !FcPatternAddInteger(pattern.get(), FC_WEIGHT, fcWeight) ||
        !FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern)) {
      return std::nullopt;
    }
    FcDefaultSubstitute(pattern.get());

    // No match at all means that no font is installed; anything else without one is a failure.
    FcResult result = FcResultNoMatch;
    const PatternPtr match{FcFontMatch(config.get(), pattern.get(), &result)};
    if (!match && result != FcResultNoMatch) return std::nullopt;
    if (match && result == FcResultMatch) {
      if (std::optional<FileKey> file = Usable(match.get())) return file;
    }
    // The best match may be a file FreeType cannot scale; take the next font that works. The
    // sort gives an empty set when there are no fonts, and null only when it fails.
    const FontSetPtr set{FcFontSort(config.get(), pattern.get(), FcTrue, nullptr, &result)};
    if (!set) return std::nullopt;
    for (int i = 0; i < set->nfont; ++i) {
      if (std::optional<FileKey> file = Usable(set->fonts[i])) return file;
    }
    return FileKey();
  }

  // The file and face of a font fontconfig found, if FreeType can scale it.
  std::optional<FileKey> Usable(FcPattern* font) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file || !*file) {
      return std::nullopt;
    }
    // A font without an index is the first face of its file; a negative one would only ask
    // FreeType how many faces the file has.
    int index = 0;
    const FcResult got = FcPatternGetInteger(font, FC_INDEX, 0, &index);
    if (got == FcResultNoMatch) {
      index = 0;
    } else if (got != FcResultMatch || index < 0) {
      return std::nullopt;
    }
    FileKey key{reinterpret_cast<const char*>(file), index};
    if (!Open(key)) return std::nullopt;
    return key;
  }

  // Names that match the same file share its face while it is kept.
  SharedFace Open(const FileKey& key) {
    if (key.first.empty()) return nullptr;
    if (const SharedFace* kept = faces_.Find(key)) return *kept;
    FT_Library library = Library();
    if (!library) return nullptr;
    FT_Face raw = nullptr;
    if (FT_New_Face(library, key.first.c_str(), key.second, &raw) != 0) return nullptr;
    FacePtr ft(raw);
    if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0) return nullptr;

    auto face = std::make_shared<Face>();
    face->upem = ft->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft.get(), FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(ft.get(), FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      face->winAscent = os2->usWinAscent;
      face->winDescent = os2->usWinDescent;
    } else if (hhea && hhea->Ascender - hhea->Descender > 0) {
      face->winAscent = hhea->Ascender;
      face->winDescent = -hhea->Descender;
    } else if (ft->ascender - ft->descender > 0) {
      face->winAscent = ft->ascender;
      face->winDescent = -ft->descender;
    } else {
      face->winAscent = face->upem;
    }
    face->ft = std::move(ft);
    return faces_.Put(key, std::move(face));
  }

  // Declared first so that it goes last, after every face.
  LibraryPtr library_;
  LruMap<FileKey, SharedFace, PairHash> faces_{kMaxKeptFiles};
  LruMap<NameKey, FileKey, PairHash> matches_{kMaxKeptNames};
};

}  // namespace

std::unique_ptr<FontEngine> MakePlatformFontEngine() {
  return std::make_unique<FreeTypeFontEngine>();
}

KeptFaces KeptBy(const FontEngine& engine) {
  return dynamic_cast<const FreeTypeFontEngine&>(engine).Kept();
}

bool PlatformHasFontFor(std::string_view language) {
  const std::string tag(language);
  const PatternPtr pattern(FcPatternCreate());
  const LangSetPtr langs(FcLangSetCreate());
  const ObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, nullptr));
  if (!pattern || !langs || !objects ||
      !FcLangSetAdd(langs.get(), reinterpret_cast<const FcChar8*>(tag.c_str())) ||
      !FcPatternAddLangSet(pattern.get(), FC_LANG, langs.get())) {
    return true;
  }
  const FontSetPtr fonts(FcFontList(nullptr, pattern.get(), objects.get()));
  return !fonts || fonts->nfont > 0;
}
