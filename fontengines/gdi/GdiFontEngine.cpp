// The font engine on GDI: CreateFontIndirectW makes the font for a face name and cell height,
// GetGlyphOutlineW measures and rasterises its glyphs, turned by its transformation matrix.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "turtle/FontEngine.h"

namespace {

struct DcDelete {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct FontDelete {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using DcPtr = std::unique_ptr<std::remove_pointer_t<HDC>, DcDelete>;
using FontPtr = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDelete>;

// Selects a font into a device context for one call and puts the previous font back.
class Selected {
 public:
  Selected(HDC dc, HFONT font) : dc_(dc), previous_(SelectObject(dc, font)) {}
  ~Selected() {
    if (Ok()) SelectObject(dc_, previous_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;
  bool Ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(units, 0)), L'\0');
  if (units > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), units);
  return wide;
}

FIXED Fixed(double v) {
  const long scaled = std::lround(v * 65536.0);
  FIXED f;
  f.fract = static_cast<WORD>(scaled & 0xFFFF);
  f.value = static_cast<short>(scaled >> 16);
  return f;
}

// The farthest corner of the font's box around every glyph, with room for hinting and for the
// rasteriser's rounding outwards; 0 when the font gives no box (a bitmap font).
int Reach(HDC dc, int cell) {
  const UINT bytes = GetOutlineTextMetricsW(dc, 0, nullptr);
  if (bytes < sizeof(OUTLINETEXTMETRICW)) return 0;
  // The strings of the metrics follow the structure in the same buffer.
  std::vector<OUTLINETEXTMETRICW> buffer(bytes / sizeof(OUTLINETEXTMETRICW) + 1);
  if (GetOutlineTextMetricsW(dc, bytes, buffer.data()) == 0) return 0;
  const RECT box = buffer[0].otmrcFontBox;
  if (box.right <= box.left || box.top <= box.bottom) return 0;
  const double corner =
      std::max({std::hypot(box.left, box.top), std::hypot(box.left, box.bottom),
                std::hypot(box.right, box.top), std::hypot(box.right, box.bottom)});
  return static_cast<int>(std::min(std::ceil(corner) + 2.0 + cell / 32, 2.0 * kMaxGlyphPixels));
}

// GDI's grey levels run 0..64.
constexpr int kGreyLevels = 64;

class GdiFont final : public ScaledFont {
 public:
  GdiFont(HDC dc, FontPtr font, CellMetrics cell) : dc_(dc), font_(std::move(font)), cell_(cell) {}

  CellMetrics Metrics() const override { return cell_; }

  // Characters beyond the 16-bit range, and any the font lacks, get its missing-glyph box.
  CharMetrics Char(char32_t cp) override {
    CharMetrics metrics;
    const Selected selected(dc_, font_.get());
    if (!selected.Ok()) return metrics;
    WORD index = 0xFFFF;
    if (cp <= 0xFFFF) {
      const wchar_t unit = static_cast<wchar_t>(cp);
      if (GetGlyphIndicesW(dc_, &unit, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
        index = 0xFFFF;
      }
    }
    metrics.glyph = index == 0xFFFF ? 0 : index;
    ABC abc;
    if (GetCharABCWidthsI(dc_, static_cast<UINT>(metrics.glyph), 1, nullptr, &abc)) {
      metrics.advance = abc.abcA + static_cast<int>(abc.abcB) + abc.abcC;
    }
    return metrics;
  }

  bool Render(GlyphId glyph, const Rotation& turn, Coverage& out) override {
    const Selected selected(dc_, font_.get());
    if (!selected.Ok()) return false;
    // GDI's glyph space has y upwards, so a counter-clockwise turn on the screen is the usual
    // rotation matrix.
    const MAT2 matrix{Fixed(turn.cos), Fixed(turn.sin), Fixed(-turn.sin), Fixed(turn.cos)};
    const UINT format = GGO_GRAY8_BITMAP | GGO_GLYPH_INDEX;
    GLYPHMETRICS gm;
    const DWORD size = GetGlyphOutlineW(dc_, glyph, format, &gm, 0, nullptr, &matrix);
    if (size == GDI_ERROR) return false;
    const int width = static_cast<int>(gm.gmBlackBoxX), rows = static_cast<int>(gm.gmBlackBoxY);
    // A blank glyph (a space) has no bitmap, only a nominal one-pixel box.
    if (size == 0) {
      out = {gm.gmptGlyphOrigin.x, gm.gmptGlyphOrigin.y, 0, 0, 0, nullptr};
      return true;
    }
    if (width > kMaxGlyphPixels || rows > kMaxGlyphPixels || rows <= 0) return false;
    buffer_.resize(size);
    if (GetGlyphOutlineW(dc_, glyph, format, &gm, size, buffer_.data(), &matrix) == GDI_ERROR) {
      return false;
    }
    // Rows are padded to whole 32-bit words.
    const std::ptrdiff_t pitch = (width + 3) & ~3;
    if (pitch * rows > static_cast<std::ptrdiff_t>(size)) return false;
    for (std::uint8_t& level : buffer_) {
      level = static_cast<std::uint8_t>((std::min<int>(level, kGreyLevels) * 255 + 32) / 64);
    }
    out = {gm.gmptGlyphOrigin.x, gm.gmptGlyphOrigin.y, width, rows, pitch, buffer_.data()};
    return true;
  }

 private:
  HDC dc_;  // the engine's
  FontPtr font_;
  CellMetrics cell_;
  std::vector<std::uint8_t> buffer_;
};

class GdiFontEngine final : public FontEngine {
 public:
  GdiFontEngine() : dc_(CreateCompatibleDC(nullptr)) {}

  std::unique_ptr<ScaledFont> Find(const FontRequest& request) override {
    if (!dc_) return nullptr;
    LOGFONTW description{};
    description.lfHeight = request.height;
    description.lfWeight = request.weight;
    const std::wstring face = Widen(request.face);
    face.copy(description.lfFaceName, LF_FACESIZE - 1);
    FontPtr font(CreateFontIndirectW(&description));
    if (!font) {
      ReportFallbackOnce(face);
      description.lfFaceName[0] = L'\0';
      font.reset(CreateFontIndirectW(&description));
    }
    if (!font) return nullptr;
    // Height comes from the font's metrics: an empty string measures 0 x 0 with some engines.
    TEXTMETRICW tm;
    int reach = 0;
    {
      const Selected selected(dc_.get(), font.get());
      if (!selected.Ok() || !GetTextMetricsW(dc_.get(), &tm)) return nullptr;
      reach = Reach(dc_.get(), static_cast<int>(tm.tmHeight));
    }
    // A positive height is the cell by definition; Wine's metrics come out a pixel short of it
    // at large sizes.
    const int height = request.height > 0 ? request.height : static_cast<int>(tm.tmHeight);
    const CellMetrics cell{std::min(static_cast<int>(tm.tmAscent), height), height, reach};
    return std::make_unique<GdiFont>(dc_.get(), std::move(font), cell);
  }

 private:
  void ReportFallbackOnce(const std::wstring& face) {
    if (reported_) return;
    reported_ = true;
    const std::wstring line =
        L"Quorel: font \"" + face + L"\" could not be created; drawing with the default face\n";
    OutputDebugStringW(line.c_str());
  }

  DcPtr dc_;
  bool reported_ = false;
};

}  // namespace

std::unique_ptr<FontEngine> MakePlatformFontEngine() {
  return std::make_unique<GdiFontEngine>();
}

// Windows finds a face for any script it can show by its own font linking.
bool PlatformHasFontFor(std::string_view) {
  return true;
}
