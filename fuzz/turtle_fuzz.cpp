// libFuzzer target: the input bytes become a sequence of turtle and canvas calls with arbitrary
// arguments. Besides the sanitizers' checks, a few invariants are asserted after every call.
#include <fontconfig/fontconfig.h>
#include <sanitizer/lsan_interface.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "turtle/Kg.h"

namespace {

// The canvas takes sides up to 16384, but a few fills of 4096 x 4096 already take as long as one
// fuzzer input may.
constexpr int kMaxFuzzSide = 4096;
constexpr int kMaxCalls = 256;
constexpr std::size_t kMaxTextBytes = 48;
// Text at 2048 pixels costs a few hundred milliseconds a glyph under the sanitizers; this many
// drawn bytes per input keep an input well inside the fuzzer's timeout.
constexpr std::size_t kMaxDrawnTextBytes = 16;

constexpr int kInts[] = {
    INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX - 1, 0,        -1,       1,    2,    150,  299,
    300,       2047,          2048,      2049,          -2048,    -2049,    4095, 4096, 4097, 16384,
    65536,     -65536,        1 << 30,   -(1 << 30),    0xFFFFFF, 0x1000000};

constexpr double kDoubles[] = {0.0,
                               -0.0,
                               0.5,
                               -0.5,
                               2.5,
                               90,
                               360,
                               -360,
                               1e18,
                               1e300,
                               -1e300,
                               2147483647.5,
                               -2147483648.5,
                               9.3e18,
                               std::numeric_limits<double>::quiet_NaN(),
                               -std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::denorm_min(),
                               -std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest(),
                               std::numeric_limits<double>::epsilon()};

template <class T, std::size_t N>
constexpr std::size_t Count(const T (&)[N]) {
  return N;
}

// Reads past the end as zeros, so every input decodes to something.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  template <class T>
  T Raw() {
    unsigned char bytes[sizeof(T)];
    for (unsigned char& b : bytes) b = Byte();
    T v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
  }

  // Mostly small or notable values, which find edges faster than uniform 32-bit noise.
  int Int() {
    switch (Byte() % 4) {
      case 0:
        return static_cast<std::int8_t>(Byte());
      case 1:
        return Raw<std::int16_t>();
      case 2:
        return kInts[Byte() % Count(kInts)];
      default:
        return Raw<std::int32_t>();
    }
  }

  double Double() {
    switch (Byte() % 4) {
      case 0:
        return static_cast<std::int8_t>(Byte());
      case 1:
        return Raw<std::int16_t>() / 8.0;
      case 2:
        return kDoubles[Byte() % Count(kDoubles)];
      default:
        return Raw<double>();
    }
  }

  std::string Bytes(std::size_t limit = kMaxTextBytes) {
    std::string s(Byte() % (std::min(limit, kMaxTextBytes) + 1), '\0');
    for (char& c : s) c = static_cast<char>(Byte());
    return s;
  }

  std::string DrawnText() {
    std::string s = Bytes(drawnLeft_);
    drawnLeft_ -= s.size();
    return s;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  std::size_t drawnLeft_ = kMaxDrawnTextBytes;
};

// Mostly small bitmaps and fonts, which keep the fuzzer quick under its instrumentation (every
// pixel costs there); now and then a value may be anything (a side up to kMaxFuzzSide).
int Side(Reader& in) {
  const bool large = in.Byte() % 16 == 0;
  const int v = in.Int();
  if (!large) return v % 160;
  return v > kMaxFuzzSide ? v % (kMaxFuzzSide + 1) : v;
}

int FontHeight(Reader& in) {
  const bool large = in.Byte() % 8 == 0;
  const int v = in.Int();
  return large ? v : v % 64;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

// Reads every pixel DrawTo hands over, so a wrong size or pointer shows up as a bad read, and
// compares each with what GetPixel says is there.
class CheckingTarget final : public CopyTarget {
 public:
  explicit CheckingTarget(const Bitmap& bitmap) : bitmap_(bitmap) {}

  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    Check(width == bitmap_.Width() && height == bitmap_.Height());
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
        Check(p >> 24 == 0xFF && ColourOf(p) == bitmap_.GetPixel(x, y));
      }
    }
  }

 private:
  const Bitmap& bitmap_;
};

void Step(TKG& t, Reader& in) {
  Bitmap& b = *t.bitmap;
  switch (in.Byte() % 35) {
    case 0: {
      const int w = Side(in);
      t.SetSize(w, Side(in));
      break;
    }
    case 1:
      t.Clear(in.Int());
      break;
    case 2:
      t.SetColor(in.Int());
      break;
    case 3: {
      const std::string face = in.Bytes();
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
      t.Forward(in.Double());
      break;
    case 10: {
      const int x = in.Int();
      t.SetPos(x, in.Int());
      break;
    }
    case 11:
      t.SetX(in.Int());
      break;
    case 12: {
      const int r = in.Int();
      t.Circle(r, in.Int());
      break;
    }
    case 13: {
      const int w = in.Int(), h = in.Int();
      t.Box(w, h, in.Int());
      break;
    }
    case 14:
      t.Fill();
      break;
    case 15: {
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
      const int x = in.Int();
      b.LineTo(x, in.Int());
      break;
    }
    case 19: {
      const int l = in.Int(), tp = in.Int(), r = in.Int();
      b.Ellipse(l, tp, r, in.Int());
      break;
    }
    case 20: {
      const int l = in.Int(), tp = in.Int(), r = in.Int();
      b.FillRect(l, tp, r, in.Int());
      break;
    }
    case 21: {
      const int l = in.Int(), tp = in.Int(), r = in.Int();
      b.FrameRect(l, tp, r, in.Int());
      break;
    }
    case 22: {
      const int x = in.Int();
      b.FloodFill(x, in.Int());
      break;
    }
    case 23: {
      const int x = in.Int(), y = in.Int();
      b.TextOut(x, y, in.DrawnText());
      break;
    }
    case 24: {
      const TextExtent e = b.MeasureText(in.Bytes());
      Check(e.width >= 0 && e.height >= 0);
      break;
    }
    case 25: {
      FontSpec font;
      font.face = in.Bytes();
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
    case 31:
      b.SetWidth(Side(in));
      break;
    case 32:
      b.SetHeight(Side(in));
      break;
    case 33: {
      CheckingTarget target(b);
      t.DrawTo(target);
      break;
    }
    default:
      t.Clear(in.Int());
      t.SetFont("Arial", 20);
      t.SetPos(b.Width() / 2, b.Height() / 2);
      break;
  }
  Check(b.Width() >= 0 && b.Width() <= kMaxFuzzSide && b.Height() >= 0 &&
        b.Height() <= kMaxFuzzSide);
  Check(std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.heading));
}

}  // namespace

// fontconfig loads its configuration once per process and never hands all of it back; loading it
// here, out of the leak checker's sight, keeps that from being taken for a leak of some input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __lsan_disable();
  FcInit();
  __lsan_enable();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  {
    TKG t;
    for (int calls = 0; calls < kMaxCalls && !in.AtEnd(); ++calls) Step(t, in);
  }
  // Each input starts from cold text caches, so a crash replays from its input alone.
  ResetTextCache();
  return 0;
}
