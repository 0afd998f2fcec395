// The off-screen bitmap canvas the turtle draws on: a one-pixel pen, a fill colour with a solid
// or clear style, a current point and a font. Every primitive clips to the bitmap; no primitive
// but text anti-aliases, so a flood fill can rely on exact colours.
//
// Colours come and go as 0x00BBGGRR. Pixels are kept in the screen's own 32-bit layout, so a
// finished frame reaches it unconverted: 0xFFRRGGBB, that of RGB window images on little-endian
// machines, or with QUOREL_RGBA_PIXELS 0xFFBBGGRR, the R, G, B, A bytes of a browser's canvas.
// Nothing in the turtle depends on the order of the colour channels, only on the top byte being
// no colour.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "turtle/Text.h"

inline constexpr std::uint32_t kInvalidColour = 0xFFFFFFFF;

// Receives the finished bitmap: height rows of width pixels in the layout above, one after
// another.
class CopyTarget {
 public:
  virtual void CopyPixels(const std::uint32_t* pixels, int width, int height) = 0;

 protected:
  ~CopyTarget() = default;
};

constexpr std::uint32_t PixelOf(std::uint32_t colour) {
#ifdef QUOREL_RGBA_PIXELS
  return 0xFF000000u | (colour & 0xFFFFFFu);
#else
  return 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
#endif
}

constexpr std::uint32_t ColourOf(std::uint32_t pixel) {
  return PixelOf(pixel) & 0xFFFFFFu;
}

class Bitmap {
 public:
  // Sides are cut to this, and a bitmap that cannot be allocated becomes 0 x 0.
  static constexpr int kMaxSide = 16384;

  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint32_t GetPixel(int x, int y) const;
  const std::uint32_t* Pixels() const { return pixels_.data(); }

  void SetWidth(int width);
  void SetHeight(int height);

  void SetPenColour(int colour) { pen_ = Colour(colour); }
  void SetFillColour(int colour);
  void SetFillClear();
  void SetFillSolid() { fillClear_ = false; }
  std::uint32_t FillColour() const { return ColourOf(fill_); }
  bool FillIsClear() const { return fillClear_; }

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  int CurrentX() const { return curX_; }
  int CurrentY() const { return curY_; }

  void Ellipse(int left, int top, int right, int bottom);
  void FillRect(int left, int top, int right, int bottom);
  void FrameRect(int left, int top, int right, int bottom);
  void FloodFill(int x, int y);

  void SelectFont(const FontSpec& font) { font_ = font; }
  const FontSpec& Font() const { return font_; }
  void SetFontColour(int colour) { fontColour_ = Colour(colour); }
  TextExtent MeasureText(std::string_view utf8) const;
  void TextOut(int x, int y, std::string_view utf8);

  void CopyTo(CopyTarget& target) const;

 private:
  static std::uint32_t Colour(int colour) { return PixelOf(static_cast<std::uint32_t>(colour)); }
  void Resize(int width, int height);
  void Span(int y, long long x0, long long x1, std::uint32_t colour);

  // One row of an ellipse, in columns from its box's left edge: the pen from first to last, the
  // fill between inFirst and inLast where inFirst <= inLast. Nothing when first > last.
  template <class Int>
  struct EllipseRow {
    Int first, inFirst, inLast, last;
  };
  static EllipseRow<long long> EllipseRowOf(long long w, long long h, long long r);
  // Rows of a box at most kMaxKeptEllipse wide, whose columns fit an int.
  const EllipseRow<int>* KeptEllipseRows(int w, int h);
  template <class Int, class RowAt>
  void EllipseRows(long long top, long long rowFirst, long long rowLast, Int left, RowAt rowAt);
  void Plot(long long x, long long y, std::uint32_t colour);

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
  std::uint32_t pen_ = PixelOf(0);
  std::uint32_t fill_ = PixelOf(0xFFFFFF);
  bool fillClear_ = false;
  int curX_ = 0;
  int curY_ = 0;
  FontSpec font_;
  std::uint32_t fontColour_ = PixelOf(0);
  std::vector<std::pair<int, int>> fillStack_;  // kept to spare the flood fill an allocation

  static constexpr int kMaxKeptEllipse = 1024;
  struct KeptEllipse {
    int w = 0;
    int h = 0;
    std::vector<EllipseRow<int>> rows;
  };
  std::array<KeptEllipse, 4> keptEllipses_;
  std::size_t nextKept_ = 0;
};
