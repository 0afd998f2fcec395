#include "turtle/Bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <utility>

#include "tests/Pixels.h"

namespace {

Bitmap Blank(int w, int h) {
  Bitmap b;
  b.SetWidth(w);
  b.SetHeight(h);
  b.SetFillColour(kBlack);
  b.FillRect(0, 0, w, h);
  return b;
}

// Black, with a white pen and a red fill, so an ellipse's outline and inside tell apart.
Bitmap Inked(int w, int h) {
  Bitmap b = Blank(w, h);
  b.SetPenColour(kWhite);
  b.SetFillColour(kRed);
  return b;
}

}  // namespace

TEST(Bitmap, SizesAreClampedAndOutsideReadsAreInvalid) {
  Bitmap b;
  EXPECT_EQ(b.GetPixel(0, 0), kInvalidColour);
  b.SetWidth(-5);
  b.SetHeight(7);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 7);
  b.SetWidth(INT_MAX);
  EXPECT_EQ(b.Width(), Bitmap::kMaxSide);
  b.SetHeight(0);
  b.SetWidth(3);
  b.SetHeight(2);
  EXPECT_EQ(b.GetPixel(2, 1), kBlack);
  EXPECT_EQ(b.GetPixel(3, 1), kInvalidColour);
  EXPECT_EQ(b.GetPixel(-1, 0), kInvalidColour);
  EXPECT_EQ(b.GetPixel(0, INT_MIN), kInvalidColour);
}

TEST(Bitmap, EmptyBitmapTakesEveryOperationWithoutDrawing) {
  Bitmap b;
  b.MoveTo(INT_MIN, INT_MIN);
  b.LineTo(INT_MAX, INT_MAX);
  b.Ellipse(-100, -100, 100, 100);
  b.FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  b.FrameRect(0, 0, 10, 10);
  b.FloodFill(0, 0);
  b.TextOut(0, 0, "N");
  Capture out;
  b.CopyTo(out);
  EXPECT_EQ(out.width, -1);
}

// One side 0 and the other not leaves rows (or columns) without a single pixel behind them.
TEST(Bitmap, BitmapWithOneEmptySideTakesEveryOperation) {
  for (auto [w, h] : {std::pair{0, 7}, std::pair{7, 0}}) {
    Bitmap b;
    b.SetWidth(w);
    b.SetHeight(h);
    b.MoveTo(-3, -3);
    b.LineTo(9, 9);
    b.Ellipse(-10, -10, 10, 10);
    b.FillRect(-1, -1, 9, 9);
    b.FrameRect(-1, -1, 9, 9);
    b.FloodFill(0, 0);
    b.TextOut(0, 0, "N");
    EXPECT_EQ(b.GetPixel(0, 0), kInvalidColour);
  }
}

TEST(Bitmap, FillStyleRules) {
  Bitmap b;
  b.SetFillColour(kRed);
  b.SetFillClear();
  EXPECT_TRUE(b.FillIsClear());
  EXPECT_EQ(b.FillColour(), kWhite);
  b.SetFillSolid();
  EXPECT_FALSE(b.FillIsClear());
  EXPECT_EQ(b.FillColour(), kWhite);
  b.SetFillClear();
  b.SetFillColour(kRed);
  EXPECT_FALSE(b.FillIsClear());
  EXPECT_EQ(b.FillColour(), kRed);
  b.SetFillColour(0x7F123456);  // only the colour bytes count
  EXPECT_EQ(b.FillColour(), 0x123456u);
}

TEST(Bitmap, LinesExcludeTheirEndAndMoveTheCurrentPoint) {
  Bitmap b = Blank(10, 10);
  b.SetPenColour(kWhite);
  b.MoveTo(1, 1);
  b.LineTo(5, 1);
  EXPECT_EQ(b.CurrentX(), 5);
  EXPECT_EQ(b.CurrentY(), 1);
  for (int x = 1; x <= 4; ++x) EXPECT_EQ(b.GetPixel(x, 1), kWhite) << x;
  EXPECT_EQ(b.GetPixel(5, 1), kBlack);
  b.LineTo(5, 1);  // zero length draws nothing
  EXPECT_EQ(Count(b, kWhite), 4);
  b.LineTo(5, 4);
  EXPECT_EQ(b.GetPixel(5, 1), kWhite);
  EXPECT_EQ(b.GetPixel(5, 3), kWhite);
  EXPECT_EQ(b.GetPixel(5, 4), kBlack);
}

TEST(Bitmap, SlantedLinesAreThinAndEightConnected) {
  Bitmap b = Blank(40, 40);
  b.SetPenColour(kWhite);
  b.MoveTo(2, 3);
  b.LineTo(33, 17);
  int previous = -1;
  for (int x = 2; x < 33; ++x) {
    int hits = 0, row = -1;
    for (int y = 0; y < 40; ++y)
      if (b.GetPixel(x, y) == kWhite) ++hits, row = y;
    ASSERT_EQ(hits, 1) << x;
    if (previous >= 0) {
      EXPECT_LE(row - previous, 1);
    }
    previous = row;
  }
  EXPECT_EQ(b.GetPixel(2, 3), kWhite);
  EXPECT_EQ(Count(b, kWhite), 31);
}

TEST(Bitmap, ExtremeLinesAreClippedExactly) {
  Bitmap b = Blank(8, 6);
  b.SetPenColour(kWhite);
  b.MoveTo(INT_MIN, INT_MIN);
  b.LineTo(INT_MAX, INT_MAX);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.GetPixel(i, i), kWhite) << i;
  EXPECT_EQ(Count(b, kWhite), 6);

  b.MoveTo(INT_MAX, 4);
  b.LineTo(INT_MIN, 4);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(b.GetPixel(x, 4), kWhite) << x;

  Bitmap c = Blank(8, 6);
  c.SetPenColour(kWhite);
  c.MoveTo(-1000, -2000);  // passes wide of the bitmap
  c.LineTo(-10, 2000);
  EXPECT_EQ(Count(c, kWhite), 0);
}

namespace {

// Whether step i of a line A steps long on its major axis and B on its minor one lies q off the
// start: q = floor((2iB + A) / 2A), that is -A <= 2(iB - Aq) < A. Where q is within 2 of iB / A,
// iB - Aq is small, so its 64-bit wrap-around value is exact even when iB and Aq are not.
bool OnLine(long long i, long long q, long long a, long long b) {
  if (std::fabs(static_cast<double>(q) - static_cast<double>(i) * b / a) > 2) return false;
  const auto d = static_cast<long long>(static_cast<unsigned long long>(i) * b -
                                        static_cast<unsigned long long>(a) * q);
  return -a <= 2 * d && 2 * d < a;
}

}  // namespace

// Lines from far off the bitmap enter it part-way along, where the walk starts with a division
// whose operands need all 64 bits; every pixel is checked against the rule above.
TEST(Bitmap, FarLinesFollowTheRoundingRuleOnTheBitmap) {
  constexpr int kSide = 12;
  auto check = [](long long x0, long long y0, long long x1, long long y1) {
    Bitmap b = Blank(kSide, kSide);
    b.SetPenColour(kWhite);
    b.MoveTo(static_cast<int>(x0), static_cast<int>(y0));
    b.LineTo(static_cast<int>(x1), static_cast<int>(y1));
    const long long dx = x1 - x0, dy = y1 - y0, sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        const long long i = xMajor ? (x - x0) * sx : (y - y0) * sy;
        const long long q = xMajor ? (y - y0) * sy : (x - x0) * sx;
        const long long a = std::llabs(xMajor ? dx : dy), minor = std::llabs(xMajor ? dy : dx);
        ASSERT_EQ(b.GetPixel(x, y) == kWhite, i >= 0 && i < a && OnLine(i, q, a, minor))
            << x0 << "," << y0 << " to " << x1 << "," << y1 << " at " << x << "," << y;
      }
  };
  // Every other step of this one is exactly half-way between two rows.
  check(INT_MIN + 1, -(1 << 30), INT_MAX, (1 << 30) - 1);
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> far(INT_MIN + 2 * kSide, INT_MAX), near(0, kSide - 1),
      bit(0, 1);
  for (int n = 0; n < 300; ++n) {
    // Through or next to the middle of a pixel of the bitmap, with far ends on either side.
    const long long x0 = far(random), y0 = far(random);
    check(x0, y0, 2 * near(random) - x0 + bit(random), 2 * near(random) - y0 + bit(random));
  }
}

TEST(Bitmap, RectanglesIncludeLeftTopAndExcludeRightBottom) {
  Bitmap b = Blank(300, 300);
  b.SetFillColour(kWhite);
  b.FrameRect(255, 10, 270, 25);
  EXPECT_EQ(b.GetPixel(255, 10), kWhite);
  EXPECT_EQ(b.GetPixel(269, 24), kWhite);
  EXPECT_EQ(b.GetPixel(262, 24), kWhite);
  EXPECT_EQ(b.GetPixel(270, 10), kBlack);
  EXPECT_EQ(b.GetPixel(255, 25), kBlack);
  EXPECT_EQ(b.GetPixel(262, 17), kBlack);
  EXPECT_EQ(Count(b, kWhite), 4 * 14);

  Bitmap c = Blank(300, 300);
  c.SetFillColour(kWhite);
  c.FillRect(149, 44, 152, 57);
  EXPECT_EQ(Count(c, kWhite), 3 * 13);
  EXPECT_EQ(c.GetPixel(151, 56), kWhite);
  c.FillRect(10, 10, 5, 20);  // inverted: empty
  EXPECT_EQ(Count(c, kWhite), 3 * 13);
  c.FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(Count(c, kWhite), 300 * 300);
}

TEST(Bitmap, ClearStylePaintsNoRectangleOrFill) {
  Bitmap b = Blank(10, 10);
  b.SetFillClear();
  b.FillRect(0, 0, 10, 10);
  b.FrameRect(0, 0, 10, 10);
  b.FloodFill(5, 5);
  EXPECT_EQ(Count(b, kBlack), 100);
}

TEST(Bitmap, EllipseStaysInsideItsBoxWhateverTheCornerOrder) {
  Bitmap a = Inked(20, 20), b = Inked(20, 20);
  a.Ellipse(5, 5, 15, 15);
  b.Ellipse(15, 15, 5, 5);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      ASSERT_EQ(a.GetPixel(x, y), b.GetPixel(x, y));
      if (x < 5 || x > 14 || y < 5 || y > 14) {
        EXPECT_EQ(a.GetPixel(x, y), kBlack);
      }
    }
  EXPECT_EQ(a.GetPixel(10, 5), kWhite);
  EXPECT_EQ(a.GetPixel(5, 10), kWhite);
  EXPECT_EQ(a.GetPixel(14, 9), kWhite);
  EXPECT_EQ(a.GetPixel(9, 14), kWhite);
  EXPECT_EQ(a.GetPixel(10, 10), kRed);
}

TEST(Bitmap, EllipseOutlineIsClosed) {
  Bitmap b = Blank(300, 300);
  b.SetPenColour(kWhite);
  b.SetFillClear();
  b.Ellipse(10, 10, 290, 290);
  const int outline = Count(b, kWhite);
  b.SetFillColour(kRed);
  b.FloodFill(150, 150);
  EXPECT_EQ(b.GetPixel(0, 0), kBlack);
  EXPECT_EQ(b.GetPixel(299, 299), kBlack);
  EXPECT_EQ(Count(b, kWhite), outline);
  EXPECT_GT(Count(b, kRed), 50000);
}

// Rows worked out once per box size serve every ellipse of that size, wherever it stands, cut by
// the edges or not, however many other sizes came between.
TEST(Bitmap, EllipsesOfOneSizeAreTheSameShapeAnywhere) {
  Bitmap fresh = Inked(40, 40), reused = Inked(40, 40);
  fresh.Ellipse(2, 3, 9, 12);
  for (int size = 1; size <= 6; ++size) reused.Ellipse(20, 0, 20 + size, size + 1);
  reused.Ellipse(20, 10, 27, 15);  // as wide, less tall
  reused.Ellipse(30, 25, 37, 34);
  reused.Ellipse(-3, -4, 4, 5);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 7; ++x) {
      ASSERT_EQ(reused.GetPixel(30 + x, 25 + y), fresh.GetPixel(2 + x, 3 + y)) << x << "," << y;
      if (x >= 3 && y >= 4) {
        ASSERT_EQ(reused.GetPixel(x - 3, y - 4), fresh.GetPixel(2 + x, 3 + y)) << x << "," << y;
      }
    }
  }
}

TEST(Bitmap, HugeEllipsesClipAndDegenerateOnesDrawNothing) {
  Bitmap b = Inked(50, 50);
  b.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(Count(b, kRed), 50 * 50);
  Bitmap c = Blank(50, 50);
  c.SetPenColour(kWhite);
  c.Ellipse(10, 10, 10, 40);
  c.Ellipse(10, 10, 40, 10);
  EXPECT_EQ(Count(c, kBlack), 50 * 50);
}

TEST(Bitmap, FloodFillSpreadsToEdgeNeighboursOnly) {
  Bitmap b = Blank(10, 10);
  b.SetPenColour(kWhite);
  b.MoveTo(0, 0);
  b.LineTo(10, 10);  // a diagonal: closed only through corner steps
  b.SetFillColour(kRed);
  b.FloodFill(7, 2);
  EXPECT_EQ(b.GetPixel(9, 0), kRed);
  EXPECT_EQ(b.GetPixel(2, 7), kBlack);
  EXPECT_EQ(Count(b, kRed), 45);

  b.FloodFill(-1, 3);  // outside: nothing
  b.FloodFill(3, 100);
  b.FloodFill(9, 0);  // already the fill colour: nothing to do
  EXPECT_EQ(Count(b, kRed), 45);
}

TEST(Bitmap, CopyHandsOverTheWholeBitmapInWindowOrder) {
  Bitmap b = Blank(3, 2);
  b.SetFillColour(0x00332211);
  b.FillRect(1, 1, 3, 2);
  Capture out;
  b.CopyTo(out);
  EXPECT_EQ(out.width, 3);
  EXPECT_EQ(out.height, 2);
  EXPECT_EQ(out.pixels[0], 0xFF000000u);
  EXPECT_EQ(out.pixels[5], 0xFF112233u);
  EXPECT_EQ(b.GetPixel(2, 1), 0x00332211u);
}
