#include "turtle/Kg.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <tuple>

#ifdef QUOREL_QUADMATH
#include <quadmath.h>
#endif

#include "tests/Pixels.h"
#include "turtle/Extended.h"
#include "turtle/SinCos.h"

namespace {

struct Turtle : ::testing::Test {
  Turtle() {
    t.SetSize(300, 300);
    t.Clear(0x000000);
    t.SetColor(0xFFFFFF);
  }
  std::uint32_t At(int x, int y) const { return t.bitmap->GetPixel(x, y); }
  TKG t;
};

#ifdef QUOREL_QUADMATH
__extension__ using Quad = __float128;

// sin or cos of x to 113 bits rounded to double, or NaN where those bits leave it in doubt.
double Nearest(Quad v) {
  const Quad error = (v < 0 ? -v : v) * static_cast<Quad>(0x1p-105);
  return static_cast<double>(v - error) == static_cast<double>(v + error)
             ? static_cast<double>(v)
             : std::numeric_limits<double>::quiet_NaN();
}
#endif

}  // namespace

TEST(TurtleRules, RoundHalfAwayFromZero) {
  EXPECT_EQ(RoundHalfAway(0.5), 1);
  EXPECT_EQ(RoundHalfAway(-0.5), -1);
  EXPECT_EQ(RoundHalfAway(0.49), 0);
  EXPECT_EQ(RoundHalfAway(2.5), 3);
  EXPECT_EQ(RoundHalfAway(-2.5), -3);
  EXPECT_EQ(RoundHalfAway(-2.49), -2);
}

TEST(TurtleRules, TruncationSaturates) {
  EXPECT_EQ(TruncInt(-1.9), -1);
  EXPECT_EQ(TruncInt(1.9), 1);
  EXPECT_EQ(TruncInt(1e300), INT_MAX);
  EXPECT_EQ(TruncInt(-1e300), INT_MIN);
  EXPECT_EQ(TruncInt(std::numeric_limits<double>::quiet_NaN()), INT_MIN);
}

// 64 bits, as the rules demand, whichever way they are computed: an x87 unit left at 53 bits (a
// 32-bit Windows process may start so) or a double in its place would move centred labels.
TEST(TurtleRules, ExtendedArithmeticRoundsAsTheX87UnitDoes) {
  EXPECT_EQ(TruncOfDifference(1, 1, 0x1p-60, 0, 0), 0);
  // 1 + 2^-53 + 2^-80 rounds to 1 + 2^-53 first, a tie, which then rounds to even.
  EXPECT_EQ(StepCoordinate(1, 0x1.0000002p-53, 1), 1);
  // 2451 f = (2^63 + 1) 2^(k - 128): the difference lies just below a tie at 64 bits, and only
  // the bits past the 64th tell.
  for (int k = 1; k <= 30; ++k) {
    const double f = std::ldexp(3763105686191259.0, k - 128);
    EXPECT_EQ(SoftTruncOfDifference(1 << k, 2451, f, 0, 0), (1 << k) - 1) << k;
    EXPECT_EQ(SoftTruncOfDifference(1 << k, 0, 0, 2451, f), (1 << k) - 1) << k;
  }
}

// The integer version against the x87 unit, where there is one, on numbers of every size and on
// sums that cancel or lie next to whole numbers.
TEST(TurtleRules, SoftExtendedArithmeticMatchesTheX87Unit) {
  if (std::numeric_limits<long double>::digits != 64) GTEST_SKIP() << "no x87 format here";
  std::mt19937_64 random(7);
  auto number = [&](int low, int high) {
    const std::uint64_t bits = random();
    double v = std::ldexp(static_cast<double>(bits >> 11),
                          low - 53 + static_cast<int>(bits % (high - low + 1)));
    const double special[] = {0, std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN(),
                              std::ldexp(static_cast<double>(bits >> 40), -1074)};
    if (bits % 61 < 4) v = special[bits % 61];
    return random() & 1 ? -v : v;
  };
  auto whole = [&] {
    return random() % 8 == 0 ? static_cast<int>(static_cast<std::uint32_t>(random()))
                             : static_cast<int>(random() % 4001) - 2000;
  };
  auto same = [](double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
  };
  for (int i = 0; i < 500'000; ++i) {
    double unit = number(-60, 1), distance = number(-10, 12), from = number(-10, 12);
    if (i % 4 == 0)
      from =
          -static_cast<double>(unit * static_cast<long double>(distance)) * (1 + number(-60, -40));
    if (i % 4 == 1)
      std::tie(from, unit, distance) =
          std::tuple{number(-1100, 1100), number(-1100, 1100), number(-1100, 1100)};
    const double x87 = static_cast<double>(from + static_cast<long double>(unit) * distance);
    ASSERT_TRUE(same(SoftStepCoordinate(from, unit, distance), x87))
        << std::hexfloat << from << " + " << unit << " * " << distance;

    const int w = whole(), p = whole(), q = whole();
    const double f = number(-70, 1);
    double g = number(-70, 1);
    if (i % 2 == 0) g = static_cast<double>((w - p * static_cast<long double>(f) - i % 5) / q);
    if (i % 4 == 2) g = std::nextafter(g, 0);
    const double x87Trunc = static_cast<double>(
        std::trunc(w - p * static_cast<long double>(f) - q * static_cast<long double>(g)));
    ASSERT_TRUE(same(SoftTruncOfDifference(w, p, f, q, g), x87Trunc))
        << std::hexfloat << w << " - " << p << " * " << f << " - " << q << " * " << g;
  }
}

// Every tenth of a degree over two turns each way, random headings up to a million degrees, and
// random doubles of any size against a 113-bit reference.
TEST(TurtleRules, SinAndCosAreCorrectlyRounded) {
#ifdef QUOREL_QUADMATH
  int unsure = 0;
  auto check = [&](double x) {
    const double sine = Nearest(sinq(x)), cosine = Nearest(cosq(x));
    const SinCos ours = SinCosOf(x);
    EXPECT_TRUE(std::isnan(sine) || ours.sin == sine) << std::hexfloat << x;
    EXPECT_TRUE(std::isnan(cosine) || ours.cos == cosine) << std::hexfloat << x;
    unsure += std::isnan(sine) + std::isnan(cosine);
  };
  for (int tenths = -7200; tenths <= 7200; ++tenths) check(tenths / 10.0 * kRadiansPerDegree);
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> degrees(-1e6, 1e6);
  for (int i = 0; i < 100'000; ++i) check(degrees(random) * kRadiansPerDegree);
  for (int i = 0; i < 20'000; ++i) {
    const std::uint64_t bits = random() & ~(std::uint64_t{0x7FF} << 52);
    check(std::bit_cast<double>(bits | (984 + random() % 1062) << 52));
  }
  EXPECT_LT(unsure, 5);
#else
  GTEST_SKIP() << "no 113-bit reference here";
#endif
}

TEST(TurtleRules, SinAndCosOfTinyAndNonFiniteAngles) {
  EXPECT_EQ(SinCosOf(0).cos, 1);
  EXPECT_TRUE(std::signbit(SinCosOf(-0.0).sin));
  EXPECT_EQ(SinCosOf(-0x1p-30).sin, -0x1p-30);
  EXPECT_EQ(SinCosOf(0x1p-30).cos, 1);
  for (double x :
       {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_TRUE(std::isnan(SinCosOf(x).sin));
    EXPECT_TRUE(std::isnan(SinCosOf(-x).cos));
  }
}

TEST(TurtleRules, ConstructionAndDefaults) {
  TKG t;
  EXPECT_EQ(t.x, 0);
  EXPECT_EQ(t.heading, 0);
  EXPECT_EQ(t.penDown, 0);
  EXPECT_EQ(t.busy, 0);
  EXPECT_EQ(t.bitmap->Width(), 0);
  EXPECT_EQ(t.bitmap->Height(), 0);
  EXPECT_EQ(t.bitmap->GetPixel(0, 0), kInvalidColour);
}

TEST_F(Turtle, ForwardEndsOnWholePixelsAtQuarterTurns) {
  for (auto [h, ex, ey] : {std::tuple{0.0, 150, 139}, {90.0, 161, 150}, {180.0, 150, 161}}) {
    t.SetPos(150, 150);
    t.SetHeading(h);
    t.Forward(11);
    EXPECT_EQ(RoundHalfAway(t.x), ex) << h;
    EXPECT_EQ(RoundHalfAway(t.y), ey) << h;
    EXPECT_EQ(t.bitmap->CurrentX(), ex);
    EXPECT_EQ(t.bitmap->CurrentY(), ey);
  }
}

TEST_F(Turtle, TurnKeepsTheHeadingInRange) {
  t.SetHeading(355);
  t.Turn(10);
  EXPECT_EQ(t.heading, 5);
  t.Turn(-10);
  EXPECT_EQ(t.heading, 355);
  t.SetHeading(-350);
  EXPECT_EQ(t.heading, -350);
  t.Turn(90);
  EXPECT_EQ(t.heading, 100);
  t.Turn(-100);
  EXPECT_EQ(t.heading, 0);
}

TEST_F(Turtle, UnreducedHeadingMovesLikeItsRemainder) {
  t.SetPos(150, 150);
  t.SetHeading(-350);
  t.Forward(100);
  const double x = t.x, y = t.y;
  t.SetPos(150, 150);
  t.SetHeading(10);
  t.Forward(100);
  EXPECT_NEAR(t.x, x, 1e-9);
  EXPECT_NEAR(t.y, y, 1e-9);
}

// Once a coordinate or the heading was NaN or infinite, no later move could bring the turtle back.
TEST_F(Turtle, NonFiniteResultsLeaveTheTurtleWhereItWas) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kMax = std::numeric_limits<double>::max();
  t.SetPos(100, 120);
  t.PenDown();
  t.SetHeading(30);
  for (double d : {kInf, -kInf, kNaN}) {
    t.Forward(d);
    EXPECT_EQ(t.x, 100) << d;
    EXPECT_EQ(t.y, 120) << d;
  }
  for (double a : {kInf, -kInf, kNaN}) {
    t.Turn(a);
    t.SetHeading(a);
    EXPECT_EQ(t.heading, 30) << a;
  }
  t.SetHeading(kMax);
  t.Turn(kMax);  // the sum overflows
  EXPECT_EQ(t.heading, kMax);
  EXPECT_EQ(Count(*t.bitmap, kWhite), 0);
  EXPECT_EQ(t.bitmap->CurrentX(), 100);
  EXPECT_EQ(t.bitmap->CurrentY(), 120);

  t.PenUp();
  t.SetHeading(90);
  t.Forward(kMax);
  EXPECT_EQ(t.x, kMax);
  t.Forward(kMax);  // the sum overflows
  EXPECT_EQ(t.x, kMax);
  EXPECT_EQ(t.bitmap->CurrentX(), INT_MAX);

  t.SetPos(100, 120);
  t.PenDown();
  t.Forward(10);  // still steers and draws normally afterwards
  EXPECT_EQ(At(100, 120), kWhite);
  EXPECT_EQ(At(109, 120), kWhite);
  EXPECT_EQ(t.bitmap->CurrentX(), 110);
}

TEST_F(Turtle, PenUpMovesTheCurrentPointForTheNextLine) {
  t.PenUp();
  t.SetPos(10, 10);
  t.SetHeading(90);
  t.Forward(20);
  EXPECT_EQ(Count(*t.bitmap, kWhite), 0);
  t.PenDown();
  t.SetPos(30, 20);  // draws from (30, 10), where the pen-up move ended
  EXPECT_EQ(At(30, 10), kWhite);
  EXPECT_EQ(At(30, 19), kWhite);
  EXPECT_EQ(At(30, 20), kBlack);
  EXPECT_EQ(Count(*t.bitmap, kWhite), 10);
  t.SetX(25);  // y stays 20
  EXPECT_EQ(At(30, 20), kWhite);
  EXPECT_EQ(At(25, 20), kBlack);
}

TEST_F(Turtle, OtherPenStatesMoveTheTurtleOnly) {
  t.SetPos(40, 40);
  t.penDown = 2;
  t.Forward(10);
  t.SetPos(70, 80);
  t.SetX(90);
  EXPECT_EQ(t.x, 90);
  EXPECT_EQ(t.y, 80);
  EXPECT_EQ(t.bitmap->CurrentX(), 40);
  EXPECT_EQ(t.bitmap->CurrentY(), 40);
  EXPECT_EQ(Count(*t.bitmap, kWhite), 0);
}

TEST_F(Turtle, BoxesCoverTheirPixelsExactly) {
  t.SetPos(255, 10);
  t.Box(15, 15, 0);
  EXPECT_EQ(At(255, 10), kWhite);
  EXPECT_EQ(At(269, 24), kWhite);
  EXPECT_EQ(At(262, 17), kBlack);
  EXPECT_EQ(At(270, 24), kBlack);
  EXPECT_EQ(Count(*t.bitmap, kWhite), 56);
  t.SetPos(149, 44);
  t.Box(3, 13, 1);
  EXPECT_EQ(At(151, 56), kWhite);
  EXPECT_EQ(At(152, 56), kBlack);
  EXPECT_EQ(At(149, 57), kBlack);
  EXPECT_EQ(Count(*t.bitmap, kWhite), 56 + 39);
  t.Box(10, 10, 2);  // any other mode draws nothing
  t.Box(-10, 10, 1);
  EXPECT_EQ(Count(*t.bitmap, kWhite), 56 + 39);
}

TEST_F(Turtle, OutlineCircleLeavesTheFillWhiteForTheNextBox) {
  t.SetColor(0x0000FF);
  t.SetPos(100, 100);
  t.Circle(20, 0);
  EXPECT_EQ(At(100, 100), kBlack);
  EXPECT_EQ(At(100, 80), 0x0000FFu);
  EXPECT_EQ(At(100, 79), kBlack);
  t.SetPos(10, 10);
  t.Box(2, 2, 1);
  EXPECT_EQ(At(10, 10), kWhite);
  t.SetPos(200, 200);
  t.SetColor(0x00FF00);
  t.Circle(3, 1);
  EXPECT_EQ(At(200, 200), 0x00FF00u);
  EXPECT_EQ(At(197, 200), 0x00FF00u);
  EXPECT_EQ(At(196, 200), kBlack);
  EXPECT_EQ(At(203, 200), kBlack);
}

TEST_F(Turtle, FillStartsAtTheTurtleAndStopsAtOutlines) {
  t.SetPos(50, 50);
  t.Box(20, 20, 0);
  t.SetColor(0x00FF00);
  t.SetPos(60, 60);
  t.Fill();
  EXPECT_EQ(At(60, 60), 0x00FF00u);
  EXPECT_EQ(At(51, 51), 0x00FF00u);
  EXPECT_EQ(At(50, 50), kWhite);
  EXPECT_EQ(At(40, 40), kBlack);
  t.SetPos(-5, 60);
  t.Fill();  // off the bitmap: nothing
  EXPECT_EQ(At(0, 60), kBlack);
}

TEST_F(Turtle, ClearPaintsEverythingEvenAfterText) {
  t.penDown = 1;
  t.SetPos(20, 20);
  t.SetHeading(45);
  t.Text("N", 2);
  t.Clear(0x0000FF);
  EXPECT_EQ(Count(*t.bitmap, 0x0000FFu), 300 * 300);
  EXPECT_EQ(t.x, 0);
  EXPECT_EQ(t.y, 0);
  EXPECT_EQ(t.heading, 0);
  EXPECT_EQ(t.penDown, 1);
}

TEST_F(Turtle, EmptyTextDrawsNothingButMovesTheCurrentPoint) {
  t.SetFont("Arial", 20);
  t.SetPos(100, 120);
  t.Text("", 2);
  EXPECT_EQ(Count(*t.bitmap, kWhite), 0);
  EXPECT_EQ(t.bitmap->CurrentX(), 100);
  EXPECT_EQ(t.bitmap->CurrentY(), 110);  // half the cell height above
  EXPECT_TRUE(t.bitmap->FillIsClear());
  EXPECT_EQ(t.bitmap->FillColour(), kWhite);
}

// Centred text lands where the extended-precision offsets put it: one pixel off its exact
// top-left at headings 0, 180 and 270, exactly on it at 90.
TEST_F(Turtle, CentredTextOffsetsAtQuarterTurns) {
  t.SetFont("Arial", 20);
  t.bitmap->SelectFont({"Arial", 20, 400, 0});
  const int tw = t.bitmap->MeasureText("N").width, hw = tw / 2;
  ASSERT_GE(tw, 2);
  struct Case {
    double heading;
    int x, y;  // where the turtle stands
    int ex, ey;
  };
  for (const Case& c :
       {Case{0, 150, 32, 150 - hw, 21}, Case{90, 268, 150, 278, 150 - hw},
        Case{180, 150, 268, 150 + hw - 1, 278}, Case{270, 32, 150, 21, 150 + hw - 1}}) {
    t.SetPos(c.x, c.y);
    t.SetHeading(c.heading);
    t.Text("N", 2);
    EXPECT_EQ(t.bitmap->CurrentX(), c.ex + tw) << c.heading;
    EXPECT_EQ(t.bitmap->CurrentY(), c.ey) << c.heading;
    EXPECT_EQ(t.bitmap->Font().escapement, static_cast<int>((360 - c.heading) * 10));
  }
}

TEST_F(Turtle, TextModesChooseRotationAndCentring) {
  t.SetFont("Arial", 20);
  t.SetHeading(90);
  for (int mode : {0, -3}) {
    t.SetPos(100, 100);
    t.Text("E", mode);
    EXPECT_EQ(t.bitmap->Font().escapement, 0) << mode;
    EXPECT_EQ(t.bitmap->CurrentY(), 100) << mode;
  }
  for (int mode : {1, 7}) {
    t.SetPos(100, 100);
    t.Text("E", mode);
    EXPECT_EQ(t.bitmap->Font().escapement, 2700) << mode;
    EXPECT_EQ(t.bitmap->CurrentY(), 100) << mode;
  }
  EXPECT_EQ(t.bitmap->Font().face, "Arial");
  EXPECT_EQ(t.bitmap->Font().height, 20);
  EXPECT_EQ(t.bitmap->Font().weight, 400);
}

TEST_F(Turtle, UpTextIsDrawnInTheTemplateColourNearTheTurtle) {
  t.SetColor(0x00FF00);
  t.SetFont("Arial", 20);
  t.SetPos(100, 100);
  t.Text("W", 0);
  int inked = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 300; ++x) {
      if (At(x, y) == kBlack) continue;
      ++inked;
      EXPECT_TRUE(x >= 99 && x <= 125 && y >= 100 && y < 120) << x << "," << y;
    }
  EXPECT_GT(inked, 20);
  EXPECT_GT(Count(*t.bitmap, 0x00FF00), 5);
}

TEST(TurtleRobustness, AnyInputIsSafeOnAnyBitmap) {
  TKG t;
  t.SetFont(std::string(100, 'x'), 20);
  for (int size : {0, 1, 50}) {
    t.SetSize(size, -size);
    t.SetSize(size, size);
    t.Clear(0);
    t.PenDown();
    t.SetPos(INT_MIN, INT_MAX);
    t.Forward(1e300);
    t.Forward(-std::numeric_limits<double>::infinity());
    t.Turn(std::numeric_limits<double>::quiet_NaN());
    t.Forward(5);
    t.SetX(INT_MAX);
    t.Circle(INT_MAX, 1);
    t.Circle(INT_MIN, 0);
    t.Box(INT_MAX, INT_MAX, 1);
    t.Box(INT_MIN, INT_MIN, 0);
    t.Fill();
    t.Text("\xff\xfe\xc0", 2);
    t.Text("", 1);
    t.SetPos(size / 2, size / 2);
    t.SetHeading(1e18);
    t.Text("12", 2);
    t.Fill();
  }
  EXPECT_EQ(t.bitmap->Width(), 50);
}
