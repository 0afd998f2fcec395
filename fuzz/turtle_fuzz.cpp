// libFuzzer target: the input bytes become a sequence of turtle and canvas calls with arbitrary
// arguments. Besides the sanitizers' checks, a few invariants are asserted after every call.
// The text caches live on from one input to the next, as in a long-running program, so any
// growth of theirs shows in the fuzzer's memory figures.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.h"
#include "fuzz/RenewTurtle.h"
#include "turtle/Kg.h"

namespace {

// Sides are mostly up to kSmallSide; now and then one is anything up to kMaxFuzzSide, the other
// then cut so that the bitmap holds at most kMaxFuzzArea pixels.
constexpr int kSmallSide = 512;
constexpr int kMaxFuzzSide = 4096;
constexpr long long kMaxFuzzArea = 1 << 20;
// Every call that may touch the whole bitmap is charged its area; an input stops when it has
// spent this many pixels, which keeps one input at a few milliseconds under the sanitizers.
constexpr long long kPixelBudget = 1 << 20;
constexpr int kMaxCalls = 256;
constexpr std::size_t kMaxTextBytes = 255;
constexpr std::size_t kMaxDrawnTextBytes = 1024;

class Input : public Reader {
 public:
  using Reader::Reader;

  std::string Text() { return Bytes(kMaxTextBytes); }

  std::string DrawnText() {
    std::string s = Bytes(std::min(drawnLeft_, kMaxTextBytes));
    drawnLeft_ -= s.size();
    return s;
  }

  bool Spend(long long pixels) {
    budget_ -= std::max(pixels, 1LL);
    return budget_ >= 0;
  }

 private:
  std::size_t drawnLeft_ = kMaxDrawnTextBytes;
  long long budget_ = kPixelBudget;
};

// A side as the bitmap takes it: mostly small, now and then anything up to kMaxFuzzSide.
int Side(Reader& in) {
  const bool large = in.Byte() % 16 == 0;
  const int v = in.Int();
  if (!large) return v % (kSmallSide + 1);
  return v > kMaxFuzzSide ? v % (kMaxFuzzSide + 1) : v;
}

// side cut so that a bitmap of side by other holds at most kMaxFuzzArea pixels.
int Fitting(int side, int other) {
  const long long o = std::clamp(other, 1, Bitmap::kMaxSide);
  return side * o > kMaxFuzzArea ? static_cast<int>(kMaxFuzzArea / o) : side;
}

// A resize fills its new pixels one at a time, at about three times the cost of a clear's.
long long ResizeCost(int width, int height) {
  return 3LL * std::clamp(width, 0, Bitmap::kMaxSide) * std::clamp(height, 0, Bitmap::kMaxSide);
}

// Mostly small fonts; now and then any height, which the text code cuts to 2048 pixels.
int FontHeight(Reader& in) {
  const bool large = in.Byte() % 32 == 0;
  const int v = in.Int();
  return large ? v : v % 64;
}

// A text's glyphs cost about the square of its height to render.
long long TextCost(const Bitmap& b, int height) {
  const long long h = std::min(std::abs(static_cast<long long>(height)), 2048LL);
  return static_cast<long long>(b.Width()) * b.Height() + h * h;
}

// The bits set in every pixel. Its loop is left out of the fuzzer's coverage, which would
// otherwise trace each pixel.
__attribute__((no_sanitize("coverage"))) std::uint32_t AllOf(const std::uint32_t* pixels,
                                                             std::size_t count) {
  std::uint32_t all = 0xFFFFFFFF;
  for (std::size_t i = 0; i < count; ++i) all &= pixels[i];
  return all;
}

// Reads every pixel DrawTo hands over, so a wrong size or pointer shows up as a bad read, and
// checks that each is opaque, without a comparison per pixel for the fuzzer to trace.
class CheckingTarget final : public CopyTarget {
 public:
  explicit CheckingTarget(const Bitmap& bitmap) : bitmap_(bitmap) {}

  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    Check(pixels == bitmap_.Pixels() && width == bitmap_.Width() && height == bitmap_.Height());
    const std::size_t count = static_cast<std::size_t>(width) * height;
    Check(AllOf(pixels, count) >> 24 == 0xFF);
    Check(ColourOf(pixels[count - 1]) == bitmap_.GetPixel(width - 1, height - 1));
  }

 private:
  const Bitmap& bitmap_;
};

// One call; false once the input has spent its pixel budget.
bool Step(TKG& t, Input& in) {
  Bitmap& b = *t.bitmap;
  const long long area = static_cast<long long>(b.Width()) * b.Height();
  const long long line = static_cast<long long>(b.Width()) + b.Height();
  const int op = in.Byte() % 35;
  switch (op) {
    case 0: {
      const int w = Side(in), h = Side(in);
      const int fitted = Fitting(w, std::max(h, b.Height()));
      if (!in.Spend(ResizeCost(fitted, h))) return false;
      t.SetSize(fitted, Fitting(h, fitted));
      break;
    }
    case 1:
      if (!in.Spend(area)) return false;
      t.Clear(in.Int());
      break;
    case 2:
      t.SetColor(in.Int());
      break;
    case 3: {
      const std::string face = in.Text();
      t.SetFont(face, FontHeight(in));
      break;
    }
    case 4:
      t.PenUp();
      break;
    case 5:
      t.PenDown();
      break;
    case 6:
      t.penDown = in.Int();
      break;
    case 7:
      t.SetHeading(in.Double());
      break;
    case 8:
      t.Turn(in.Double());
      break;
    case 9:
      if (!in.Spend(line)) return false;
      t.Forward(in.Double());
      break;
    case 10: {
      if (!in.Spend(line)) return false;
      const int x = in.Int();
      t.SetPos(x, in.Int());
      break;
    }
    case 11:
      if (!in.Spend(line)) return false;
      t.SetX(in.Int());
      break;
    case 12: {
      if (!in.Spend(area)) return false;
      const int r = in.Int();
      t.Circle(r, in.Int());
      break;
    }
    case 13: {
      if (!in.Spend(area)) return false;
      const int w = in.Int(), h = in.Int();
      t.Box(w, h, in.Int());
      break;
    }
    case 14:
      if (!in.Spend(area)) return false;
      t.Fill();
      break;
    case 15: {
      if (!in.Spend(TextCost(b, t.font->height))) return false;
      const std::string text = in.DrawnText();
      t.Text(text, in.Int());
      break;
    }
    case 16: {
      const int x = in.Int(), y = in.Int();
      const std::uint32_t c = b.GetPixel(x, y);
      const bool inside = x >= 0 && y >= 0 && x < b.Width() && y < b.Height();
      Check(inside ? c <= 0xFFFFFF : c == kInvalidColour);
      break;
    }
    case 17: {
      const int x = in.Int();
      b.MoveTo(x, in.Int());
      break;
    }
    case 18: {
      if (!in.Spend(line)) return false;
      const int x = in.Int();
      b.LineTo(x, in.Int());
      break;
    }
    case 19: {
      if (!in.Spend(area)) return false;
      const int l = in.Int(), tp = in.Int(), r = in.Int();
      b.Ellipse(l, tp, r, in.Int());
      break;
    }
    case 20: {
      if (!in.Spend(area)) return false;
      const int l = in.Int(), tp = in.Int(), r = in.Int();
      b.FillRect(l, tp, r, in.Int());
      break;
    }
    case 21: {
      if (!in.Spend(line)) return false;
      const int l = in.Int(), tp = in.Int(), r = in.Int();
      b.FrameRect(l, tp, r, in.Int());
      break;
    }
    case 22: {
      if (!in.Spend(area)) return false;
      const int x = in.Int();
      b.FloodFill(x, in.Int());
      break;
    }
    case 23: {
      if (!in.Spend(TextCost(b, b.Font().height))) return false;
      const int x = in.Int(), y = in.Int();
      b.TextOut(x, y, in.DrawnText());
      break;
    }
    case 24: {
      const TextExtent e = b.MeasureText(in.Text());
      Check(e.width >= 0 && e.height >= 0);
      break;
    }
    case 25: {
      FontSpec font;
      font.face = in.Text();
      font.height = FontHeight(in);
      font.weight = in.Int();
      font.escapement = in.Int();
      b.SelectFont(font);
      break;
    }
    case 26:
      b.SetPenColour(in.Int());
      break;
    case 27:
      b.SetFillColour(in.Int());
      break;
    case 28:
      b.SetFillClear();
      break;
    case 29:
      b.SetFillSolid();
      break;
    case 30:
      b.SetFontColour(in.Int());
      break;
    case 31: {
      const int w = Fitting(Side(in), b.Height());
      if (!in.Spend(ResizeCost(w, b.Height()))) return false;
      b.SetWidth(w);
      break;
    }
    case 32: {
      const int h = Fitting(Side(in), b.Width());
      if (!in.Spend(ResizeCost(b.Width(), h))) return false;
      b.SetHeight(h);
      break;
    }
    case 33: {
      if (!in.Spend(area)) return false;
      CheckingTarget target(b);
      t.DrawTo(target);
      break;
    }
    default:
      if (!in.Spend(area)) return false;
      t.Clear(in.Int());
      t.SetFont("Arial", 20);
      t.SetPos(b.Width() / 2, b.Height() / 2);
      break;
  }
  Check(b.Width() >= 0 && b.Width() <= kMaxFuzzSide && b.Height() >= 0 &&
        b.Height() <= kMaxFuzzSide &&
        static_cast<long long>(b.Width()) * b.Height() <= kMaxFuzzArea);
  Check(std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.heading));
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TKG t;
  RenewTurtle(t);
  Input in(data, size);
  for (int calls = 0; calls < kMaxCalls && !in.AtEnd() && Step(t, in); ++calls) {
  }
  return 0;
}
