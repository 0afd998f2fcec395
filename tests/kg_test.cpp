#include "turtle/Kg.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "tests/Pixels.h"

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

// The x87 unit rounds to its precision control, not to the type: a 32-bit Windows process may
// start at 53 bits, which would quietly move centred labels by a pixel.
TEST(TurtleRules, ExtendedArithmeticKeepsA64BitMantissaAtRunTime) {
  volatile long double one = 1;
  volatile long double tiny = std::ldexp(static_cast<long double>(1), -60);
  EXPECT_NE(one + tiny, one);
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
