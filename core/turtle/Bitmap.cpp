#include "turtle/Bitmap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <new>

namespace {

int SaturateInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// floor and ceil for values well inside the long long range, without a library call.
long long FloorLL(double v) {
  const auto t = static_cast<long long>(v);
  return t - (v < static_cast<double>(t));
}

long long CeilLL(double v) {
  const auto t = static_cast<long long>(v);
  return t + (v > static_cast<double>(t));
}

// Where wchar_t is 32 bits wide, the C library's wmemset is a vector fill tuned for the machine,
// several times faster than the 16-byte stores a plain loop compiles to. WebAssembly's C library
// has no such fill, only a loop of single stores, which the compiler's own loop beats.
#ifdef __wasm__
constexpr bool kLibraryFill = false;
#else
constexpr bool kLibraryFill = sizeof(wchar_t) == sizeof(std::uint32_t);
#endif

void FillPixels(std::uint32_t* first, std::size_t count, std::uint32_t colour) {
  if constexpr (kLibraryFill) {
    std::wmemset(reinterpret_cast<wchar_t*>(first), static_cast<wchar_t>(colour), count);
  } else {
    std::fill_n(first, count, colour);
  }
}

struct RowSpan {
  long long first = 0;
  long long last = -1;  // empty when last < first
};

// The pixels of row r (from the box's top) whose centres lie inside the ellipse inscribed in a
// w x h box, as columns from the box's left edge. Measured from the box rather than the bitmap,
// a shape's rows are the same wherever it stands.
RowSpan EllipseSpan(double w, double h, long long r) {
  RowSpan s;
  if (r < 0 || r >= h) return s;
  const double ra = w / 2, rb = h / 2;
  const double dy = static_cast<double>(r) + 0.5 - rb;
  if (dy * dy > rb * rb) return s;
  const double half = ra / rb * std::sqrt(rb * rb - dy * dy);
  s.first = CeilLL(ra - half - 0.5);
  s.last = FloorLL(ra + half - 0.5);
  return s;
}

// A line's walk along its major axis from step lo to hi, as LineTo sets it up.
struct LineWalk {
  long long lo, hi, q, e, a, b, m0, n0, limitN;
  int stepM, stepN;
  bool xMajor;
};

template <class Int>
void Walk(std::uint32_t* pixels, int width, const LineWalk& w, std::uint32_t pen) {
  const auto a = static_cast<Int>(w.a), b = static_cast<Int>(w.b),
             limitN = static_cast<Int>(w.limitN);
  const auto m0 = static_cast<Int>(w.m0), n0 = static_cast<Int>(w.n0);
  auto q = static_cast<Int>(w.q), e = static_cast<Int>(w.e);
  for (auto i = static_cast<Int>(w.lo); i <= static_cast<Int>(w.hi); ++i) {
    const Int n = n0 + w.stepN * q;
    if (n >= 0 && n < limitN) {
      const Int m = m0 + w.stepM * i;
      if (w.xMajor) {
        pixels[static_cast<std::size_t>(n) * width + static_cast<std::size_t>(m)] = pen;
      } else {
        pixels[static_cast<std::size_t>(m) * width + static_cast<std::size_t>(n)] = pen;
      }
    } else if ((w.stepN > 0) == (n >= limitN)) {
      break;  // moving further off the bitmap
    }
    e += 2 * b;
    if (e >= 2 * a) {
      e -= 2 * a;
      ++q;
    }
  }
}

}  // namespace

std::uint32_t Bitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColour;
  return ColourOf(pixels_[static_cast<std::size_t>(y) * width_ + x]);
}

void Bitmap::SetWidth(int width) {
  Resize(width, height_);
}
void Bitmap::SetHeight(int height) {
  Resize(width_, height);
}

void Bitmap::Resize(int width, int height) {
  width = std::clamp(width, 0, kMaxSide);
  height = std::clamp(height, 0, kMaxSide);
  if (width == width_ && height == height_) return;
  try {
    pixels_.resize(static_cast<std::size_t>(width) * height, PixelOf(0));
    width_ = width;
    height_ = height;
  } catch (const std::bad_alloc&) {
    pixels_.clear();
    pixels_.shrink_to_fit();
    width_ = 0;
    height_ = 0;
  }
}

void Bitmap::SetFillColour(int colour) {
  fill_ = Colour(colour);
  fillClear_ = false;
}

void Bitmap::SetFillClear() {
  fillClear_ = true;
  fill_ = PixelOf(0xFFFFFF);
}

void Bitmap::MoveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
}

void Bitmap::Plot(long long x, long long y, std::uint32_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

void Bitmap::Span(int y, long long x0, long long x1, std::uint32_t colour) {
  if (y < 0 || y >= height_) return;
  x0 = std::max<long long>(x0, 0);
  x1 = std::min<long long>(x1, width_ - 1LL);
  if (x0 > x1) return;
  std::uint32_t* row = &pixels_[static_cast<std::size_t>(y) * width_];
  // Outlines are mostly runs of a pixel or two, where a vector fill's set-up costs more than it
  // saves.
  if (x1 - x0 < 8) {
    for (long long x = x0; x <= x1; ++x) row[x] = colour;
  } else {
    FillPixels(row + x0, static_cast<std::size_t>(x1 - x0 + 1), colour);
  }
}

// Bresenham along the major axis; the end pixel is not drawn. Only the steps whose major
// coordinate lies on the bitmap are walked, so any int endpoints cost at most one side's length.
void Bitmap::LineTo(int x, int y) {
  const long long x0 = curX_, y0 = curY_;
  curX_ = x;
  curY_ = y;
  const long long dx = x - x0, dy = y - y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const long long a = xMajor ? std::llabs(dx) : std::llabs(dy);
  const long long b = xMajor ? std::llabs(dy) : std::llabs(dx);
  if (a == 0) return;
  const int stepM = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int stepN = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const long long m0 = xMajor ? x0 : y0, n0 = xMajor ? y0 : x0;
  const long long limitM = xMajor ? width_ : height_, limitN = xMajor ? height_ : width_;

  long long lo = 0, hi = a - 1;
  if (stepM > 0) {
    lo = std::max(lo, -m0);
    hi = std::min(hi, limitM - 1 - m0);
  } else {
    lo = std::max(lo, m0 - (limitM - 1));
    hi = std::min(hi, m0);
  }
  if (lo > hi) return;

  // Minor offset at step i is floor((2iB + A) / 2A): i * B / A rounded, halves away from the start;
  // e = (2iB + A) mod 2A is the walk's error term. Lines that start on the bitmap begin at step 0
  // and need no division. Otherwise, with lo * B = Q * A + R, the offset is Q, or Q + 1 once
  // 2R >= A. Nothing overflows: int endpoints are less than 2^32 apart and lo < A, B <= A, so
  // lo * B < 2^64 fits an unsigned 64-bit product and 2R < 2A < 2^33.
  long long q = 0, e = a;
  if (lo > 0) {
    const auto product = static_cast<unsigned long long>(lo) * static_cast<unsigned long long>(b);
    const auto ua = static_cast<unsigned long long>(a);
    q = static_cast<long long>(product / ua);
    const long long twiceR = 2 * static_cast<long long>(product % ua);
    if (twiceR >= a) {
      ++q;
      e = twiceR - a;
    } else {
      e = twiceR + a;
    }
  }
  const LineWalk walk{lo, hi, q, e, a, b, m0, n0, limitN, stepM, stepN, xMajor};
  // Lines of the size any picture draws walk in int, which 32-bit processors step in one
  // instruction; nothing in such a walk comes near 2^31.
  constexpr long long kIntWalk = 1LL << 28;
  if (a < kIntWalk && std::llabs(m0) < kIntWalk && std::llabs(n0) < kIntWalk) {
    Walk<int>(pixels_.data(), width_, walk, pen_);
  } else {
    Walk<long long>(pixels_.data(), width_, walk, pen_);
  }
}

// The ellipse is the set of pixels whose centres lie inside the ellipse inscribed in the box;
// its outline is the pixels of that set with a 4-neighbour outside it, a closed 8-connected ring.
Bitmap::EllipseRow<long long> Bitmap::EllipseRowOf(long long w, long long h, long long r) {
  const double dw = static_cast<double>(w), dh = static_cast<double>(h);
  const RowSpan above = EllipseSpan(dw, dh, r - 1), here = EllipseSpan(dw, dh, r),
                below = EllipseSpan(dw, dh, r + 1);
  return {here.first, std::max({here.first + 1, above.first, below.first}),
          std::min({here.last - 1, above.last, below.last}), here.last};
}

// The face draws the same few circles on every paint, so the rows of the last few box sizes are
// kept rather than worked out again with a square root each.
const Bitmap::EllipseRow<int>* Bitmap::KeptEllipseRows(int w, int h) {
  if (w > kMaxKeptEllipse || h > kMaxKeptEllipse) return nullptr;
  for (const KeptEllipse& kept : keptEllipses_) {
    if (kept.w == w && kept.h == h) return kept.rows.data();
  }
  KeptEllipse& slot = keptEllipses_[nextKept_];
  nextKept_ = (nextKept_ + 1) % keptEllipses_.size();
  slot.w = w;
  slot.h = h;
  slot.rows.resize(static_cast<std::size_t>(h));
  for (int r = 0; r < h; ++r) {
    const EllipseRow<long long> row = EllipseRowOf(w, h, r);
    slot.rows[static_cast<std::size_t>(r)] = {
        static_cast<int>(row.first), static_cast<int>(row.inFirst), static_cast<int>(row.inLast),
        static_cast<int>(row.last)};
  }
  return slot.rows.data();
}

// Columns are worked out in Int, which holds every one of them: int for the kept boxes, which
// 32-bit processors step through in one instruction, long long for any other.
template <class Int, class RowAt>
void Bitmap::EllipseRows(long long top, long long rowFirst, long long rowLast, Int left,
                         RowAt rowAt) {
  const Int lastX = width_ - 1;
  for (long long row = rowFirst; row <= rowLast; ++row) {
    const auto runs = rowAt(row - top);
    if (runs.first > runs.last) continue;
    std::uint32_t* line = &pixels_[static_cast<std::size_t>(row) * width_];
    auto run = [&](Int x0, Int x1, std::uint32_t colour) {
      for (Int x = std::max<Int>(left + x0, 0), end = std::min<Int>(left + x1, lastX); x <= end;
           ++x) {
        line[x] = colour;
      }
    };
    if (runs.inFirst > runs.inLast) {
      run(runs.first, runs.last, pen_);
    } else {
      run(runs.first, runs.inFirst - 1, pen_);
      if (!fillClear_) run(runs.inFirst, runs.inLast, fill_);
      run(runs.inLast + 1, runs.last, pen_);
    }
  }
}

void Bitmap::Ellipse(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const long long w = static_cast<long long>(right) - left,
                  h = static_cast<long long>(bottom) - top;
  if (w <= 0 || h <= 0) return;

  const long long rowFirst = std::max<long long>(top, 0);
  const long long rowLast = std::min<long long>(bottom - 1LL, height_ - 1LL);
  // A bitmap can be 0 wide yet have rows, and then has no row to point into; a box wholly left
  // or right of it has no column on it.
  if (rowFirst > rowLast || width_ == 0 || right <= 0 || left >= width_) return;
  if (const EllipseRow<int>* kept =
          KeptEllipseRows(static_cast<int>(std::min<long long>(w, INT_MAX)),
                          static_cast<int>(std::min<long long>(h, INT_MAX)))) {
    // left > -kMaxKeptEllipse here, as right > 0.
    EllipseRows<int>(top, rowFirst, rowLast, left, [kept](long long r) { return kept[r]; });
  } else {
    EllipseRows<long long>(top, rowFirst, rowLast, left,
                           [w, h](long long r) { return EllipseRowOf(w, h, r); });
  }
}

// A clear fill style is a hollow brush: rectangles and flood fills paint nothing with it.
void Bitmap::FillRect(int left, int top, int right, int bottom) {
  if (fillClear_) return;
  const long long yFirst = std::max(top, 0), yLast = std::min(bottom - 1LL, height_ - 1LL);
  // Whole rows lie one after another: a clear is then one fill.
  if (left <= 0 && right >= width_ && width_ > 0 && yFirst <= yLast) {
    FillPixels(&pixels_[static_cast<std::size_t>(yFirst) * width_],
               static_cast<std::size_t>(yLast - yFirst + 1) * width_, fill_);
    return;
  }
  for (long long y = yFirst; y <= yLast; ++y) Span(static_cast<int>(y), left, right - 1LL, fill_);
}

void Bitmap::FrameRect(int left, int top, int right, int bottom) {
  if (fillClear_ || right <= left || bottom <= top) return;
  Span(top, left, right - 1LL, fill_);
  Span(SaturateInt(bottom - 1LL), left, right - 1LL, fill_);
  const long long yFirst = std::max(top, 0), yLast = std::min(bottom - 1LL, height_ - 1LL);
  for (long long y = yFirst; y <= yLast; ++y) {
    Plot(left, y, fill_);
    Plot(right - 1LL, y, fill_);
  }
}

// Scanline fill of the 4-connected region of the start pixel's colour.
void Bitmap::FloodFill(int x, int y) {
  if (fillClear_) return;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const std::uint32_t target = pixels_[static_cast<std::size_t>(y) * width_ + x];
  if (target == fill_) return;
  fillStack_.clear();
  fillStack_.emplace_back(x, y);
  while (!fillStack_.empty()) {
    auto [sx, sy] = fillStack_.back();
    fillStack_.pop_back();
    std::uint32_t* row = &pixels_[static_cast<std::size_t>(sy) * width_];
    if (row[sx] != target) continue;
    int first = sx, last = sx;
    while (first > 0 && row[first - 1] == target) --first;
    while (last < width_ - 1 && row[last + 1] == target) ++last;
    std::fill(row + first, row + last + 1, fill_);
    for (int ny : {sy - 1, sy + 1}) {
      if (ny < 0 || ny >= height_) continue;
      const std::uint32_t* next = &pixels_[static_cast<std::size_t>(ny) * width_];
      for (int i = first; i <= last; ++i) {
        if (next[i] == target && (i == first || next[i - 1] != target))
          fillStack_.emplace_back(i, ny);
      }
    }
  }
}

TextExtent Bitmap::MeasureText(std::string_view utf8) const {
  return ::MeasureText(font_, utf8);
}

void Bitmap::TextOut(int x, int y, std::string_view utf8) {
  if (!pixels_.empty())
    DrawText(pixels_.data(), width_, height_, width_, font_, x, y, utf8, fontColour_);
  MoveTo(SaturateInt(static_cast<long long>(x) + MeasureText(utf8).width), y);
}

void Bitmap::CopyTo(CopyTarget& target) const {
  if (!pixels_.empty()) target.CopyPixels(pixels_.data(), width_, height_);
}
