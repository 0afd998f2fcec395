#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "dial/DialAccess.h"
#include "dial/DialFace.h"
#include "dial/StepButtons.h"
#include "dial/WindDial.h"
#include "tests/Pixels.h"

namespace {

// Counts the repaints the dial asks for.
class CountingDial : public WindDial {
 public:
  int invalidations = 0;

 protected:
  void Invalidate() override { ++invalidations; }
};

struct Face : ::testing::Test {
  void Draw(int courseValue, int windValue, int speed) {
    dial.StepCourse(courseValue);
    dial.StepWind(windValue);
    dial.StepSpeed(speed);
    dial.DrawDial();
    dial.DrawButtons();
  }
  std::uint32_t At(int x, int y) const { return dial.turtle->bitmap->GetPixel(x, y); }
  int CountIn(int x0, int y0, int x1, int y1, std::uint32_t colour) const {
    return ::CountIn(*dial.turtle->bitmap, x0, y0, x1, y1, colour);
  }
  // Every pixel around a text's cell equals the same text drawn alone at reference point (x, y):
  // the renderer is shared, so only the placement is under test.
  void ExpectText(const std::string& text, int height, int escapement, int x, int y) const {
    Bitmap ref;
    ref.SetWidth(WindDial::kSize);
    ref.SetHeight(WindDial::kSize);
    ref.SetFillColour(0);
    ref.FillRect(0, 0, WindDial::kSize, WindDial::kSize);
    ref.SelectFont({"Arial", height, 400, escapement});
    ref.SetFontColour(0xFFFFFF);
    ref.TextOut(x, y, text);
    const int tw = ref.MeasureText(text).width, th = height;
    int x0 = x, y0 = y, x1 = x + tw, y1 = y + th;  // upright
    if (escapement == 2700) x0 = x - th, x1 = x, y1 = y + tw;
    if (escapement == 1800) x0 = x - tw, x1 = x, y0 = y - th, y1 = y;
    if (escapement == 900) x1 = x + th, y0 = y - tw, y1 = y;
    int ink = 0;
    for (int py = y0 - 1; py <= y1; ++py)
      for (int px = x0 - 1; px <= x1; ++px) {
        ASSERT_EQ(At(px, py), ref.GetPixel(px, py)) << text << " at " << px << "," << py;
        ink += ref.GetPixel(px, py) != 0;
      }
    EXPECT_GT(ink, 10) << text;
  }
  int HalfWidth(const std::string& text, int height) const {
    return MeasureText({"Arial", height, 400, 0}, text).width / 2;
  }
  CountingDial dial;
};

}  // namespace

TEST(DialRules, WrapDegreesKeepsDirectionsIn1To360) {
  EXPECT_EQ(WrapDegrees(0), 360);
  EXPECT_EQ(WrapDegrees(360), 360);
  EXPECT_EQ(WrapDegrees(370), 10);
  EXPECT_EQ(WrapDegrees(350), 350);
  EXPECT_EQ(WrapDegrees(1), 1);
  EXPECT_EQ(WrapDegrees(-10), 350);
  EXPECT_EQ(WrapDegrees(-360), 360);  // the bare formula gives 0 here
  EXPECT_EQ(WrapDegrees(-720), 360);
  for (long long v : {-1000LL, -361LL, -1LL, 719LL, 1000LL, static_cast<long long>(INT_MIN),
                      static_cast<long long>(INT_MAX)}) {
    const int r = WrapDegrees(static_cast<int>(v));
    EXPECT_TRUE(r >= 1 && r <= 360) << v;
    EXPECT_EQ(((r - v) % 360 + 360) % 360, 0) << v;
  }
}

TEST(DialRules, KeyTableStepsAndWraps) {
  CountingDial d;
  d.StepCourse(10);
  d.StepWind(10);
  d.invalidations = 0;
  d.KeyDown(kKeyPageUp);
  EXPECT_EQ(d.course(), 360);
  d.KeyDown(kKeyPageDown);
  EXPECT_EQ(d.course(), 10);
  d.KeyDown(kKeyHome);
  EXPECT_EQ(d.windDirection(), 360);
  d.KeyDown(kKeyEnd);
  EXPECT_EQ(d.windDirection(), 10);
  EXPECT_EQ(d.invalidations, 4);
  d.KeyDown('A');
  d.KeyDown(0x25);
  EXPECT_EQ(d.invalidations, 4);
  EXPECT_EQ(d.windSpeed(), 0);
  for (int i = 0; i < 36; ++i) d.KeyDown(kKeyPageDown);
  EXPECT_EQ(d.course(), 10);
  EXPECT_EQ(d.windDirection(), 10);
  // A direction off the 10-degree grid wraps by the same rule.
  d.StepCourse(355);
  d.KeyDown(kKeyPageDown);
  EXPECT_EQ(d.course(), 5);
  d.KeyDown(kKeyPageUp);
  EXPECT_EQ(d.course(), 355);
}

// What a screen reader may set: any real number, taken to the nearest value a step could reach.
TEST(DialRules, NearestAllowedRoundsToAStepWithinTheRange) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr DialValue kCourse = DialValue::Course, kWind = DialValue::WindDirection,
                      kSpeed = DialValue::WindSpeed;
  // The last three are no number, which leaves the value as it is.
  struct Case {
    DialValue which;
    double v;
    int current, want;
  } cases[] = {{kCourse, 370, 360, 10},   {kCourse, 374.9, 360, 10}, {kCourse, 376, 360, 20},
               {kCourse, 0, 100, 360},    {kCourse, -10, 100, 350},  {kWind, 40, 360, 40},
               {kWind, 355, 100, 360},    {kWind, -724, 100, 360},   {kSpeed, 50, 0, 40},
               {kSpeed, -3, 20, 0},       {kSpeed, 12.6, 0, 13},     {kSpeed, kNaN, 7, 7},
               {kCourse, kInf, 100, 100}, {kWind, -kInf, 100, 100}};
  for (const Case& c : cases)
    EXPECT_EQ(NearestAllowed(c.which, c.v, c.current), c.want)
        << TextsOf(Language::English, c.which).name << " " << c.v;
  // Far beyond a turn: where it lands is not fixed, but it is a direction the keys could reach.
  const int far = NearestAllowed(DialValue::Course, 1e300, 100);
  EXPECT_TRUE(far >= 10 && far <= 360 && far % 10 == 0) << far;
}

TEST(DialRules, CompassLabelsEveryThirtyDegrees) {
  const auto& labels = compassLabels();
  EXPECT_EQ(labels[0], "N");
  EXPECT_EQ(labels[9], "E");
  EXPECT_EQ(labels[18], "S");
  EXPECT_EQ(labels[27], "W");
  EXPECT_EQ(labels[3], "3");
  EXPECT_EQ(labels[33], "33");
  int drawn = 0;
  for (const auto& l : labels) drawn += !l.empty();
  EXPECT_EQ(drawn, 12);
}

TEST(StepButtons, HitAreasIncludeBothEnds) {
  struct Case {
    int x, y;
    int course, wind, speed;
  };
  for (const Case& c :
       {Case{270, 25, 350, 360, 0}, Case{255, 10, 350, 360, 0}, Case{271, 25, 360, 360, 0},
        Case{275, 10, 10, 360, 0}, Case{290, 25, 10, 360, 0}, Case{291, 25, 360, 360, 0},
        Case{26, 280, 360, 360, 0}, Case{30, 280, 360, 10, 0}, Case{10, 285, 360, 350, 0},
        Case{255, 270, 360, 360, 0}, Case{275, 285, 360, 360, 1}, Case{150, 150, 360, 360, 0},
        Case{-1, -1, 360, 360, 0}}) {
    CountingDial d;
    d.MouseDown(c.x, c.y);
    EXPECT_EQ(d.course(), c.course) << c.x << "," << c.y;
    EXPECT_EQ(d.windDirection(), c.wind) << c.x << "," << c.y;
    EXPECT_EQ(d.windSpeed(), c.speed) << c.x << "," << c.y;
    EXPECT_GE(d.invalidations, 1) << "every press repaints";
  }
}

TEST(StepButtons, SpeedIsClampedAndDirectionsWrap) {
  CountingDial d;
  d.MouseDown(260, 275);
  EXPECT_EQ(d.windSpeed(), 0);
  d.StepSpeed(39);
  d.MouseDown(280, 275);
  EXPECT_EQ(d.windSpeed(), 40);
  d.MouseDown(280, 275);
  EXPECT_EQ(d.windSpeed(), 40);
  d.StepCourse(10);
  d.MouseDown(260, 15);
  EXPECT_EQ(d.course(), 360);
  d.MouseDown(280, 15);
  d.MouseDown(280, 15);  // a double click's second press steps again
  EXPECT_EQ(d.course(), 20);
}

// Callers far outside the dial's own use: steps of any size, buttons anywhere.
TEST(DialRules, StepsGoOneStepWhateverTheDirectionAndButtonsDrawAnywhere) {
  CountingDial d;
  d.Step(DialValue::Course, INT_MAX);
  EXPECT_EQ(d.course(), 10);
  d.Step(DialValue::WindSpeed, INT_MIN);
  EXPECT_EQ(d.windSpeed(), 0);
  d.Step(DialValue::WindSpeed, 7);
  EXPECT_EQ(d.windSpeed(), 1);
  d.DrawButton(INT_MAX, INT_MIN, INT_MAX, INT_MIN, 1, "C");
}

// What a screen reader is told, in order: "current NAME" and "NAME = VALUE".
class NarratedDial : public WindDial {
 public:
  std::vector<std::string> told;

 protected:
  void CurrentChanged(DialValue which) override {
    told.push_back(std::string("current ") + TextsOf(Language::English, which).name);
  }
  void ValueChanged(DialValue which) override {
    told.push_back(std::string(TextsOf(Language::English, which).name) + " = " +
                   std::to_string(Value(which)));
  }
};

// A change is told first and its value then announced as current, so that a reader, which
// speaks for the focused object only, hears the new value once, with the focus.
TEST(DialAccess, KeysAndButtonsTellTheirChangeThenMakeTheirValueCurrent) {
  NarratedDial d;
  d.MakeCurrent(DialValue::WindSpeed);  // by a reader, before the dial ever had the focus
  d.FocusGained();                      // the first focus starts at Course all the same
  d.AnnounceCurrent();
  EXPECT_EQ(d.told, std::vector<std::string>{"current Course"});
  d.told.clear();
  d.KeyDown(kKeyPageDown);
  d.KeyDown(kKeyEnd);
  d.KeyDown(kKeyHome);
  d.MouseDown(150, 150);  // no button
  d.MouseDown(262, 277);  // speed down at 0: the speed is being worked on, but stays
  d.MouseDown(282, 277);
  d.MouseDown(282, 17);
  d.MouseDown(17, 277);
  d.StepSpeed(5);  // set directly, not by the user: the current value stays
  EXPECT_EQ(d.told, (std::vector<std::string>{"Course = 10", "Wind direction = 10",
                                              "current Wind direction", "Wind direction = 360",
                                              "current Wind speed", "Wind speed = 1", "Course = 20",
                                              "current Course", "Wind direction = 350",
                                              "current Wind direction", "Wind speed = 5"}));
  // The menu opens below the wind's buttons, and when the focus comes back from it, the wind is
  // still the current value, announced again.
  EXPECT_EQ(d.KeyboardMenuPoint(), (DialPoint{10, 286}));
  d.told.clear();
  d.FocusGained();
  d.AnnounceCurrent();
  EXPECT_EQ(d.told, std::vector<std::string>{"current Wind direction"});
}

TEST(DialAccess, TextsInEachLanguage) {
  constexpr Language kEn = Language::English, kJa = Language::Japanese;
  EXPECT_EQ(ValueText(kEn, DialValue::Course, 100), "100 degrees");
  EXPECT_EQ(ValueText(kEn, DialValue::WindDirection, 360), "360 degrees");
  EXPECT_EQ(ValueText(kEn, DialValue::WindSpeed, 25), "25");
  EXPECT_EQ(DialSummary(kEn, 360, 360, 0), "Wind dial: course 360, wind 360 degrees at 0");
  EXPECT_EQ(ValueText(kJa, DialValue::WindDirection, 10), "10度");
  EXPECT_EQ(ValueText(kJa, DialValue::WindSpeed, 25), "25");
  EXPECT_EQ(DialSummary(kJa, 30, 120, 25), "風ダイヤル: 針路 30度、風向 120度、風速 25");
  EXPECT_STREQ(ChildName(kJa, ChildOfButton(5)), "風速を上げる");
  for (const char* tag : {"ja", "ja_JP.UTF-8", "ja-JP", "ja@modifier"})
    EXPECT_EQ(LanguageOfTag(tag), kJa) << tag;
  for (const char* tag : {"jam", "en_GB", ""}) EXPECT_EQ(LanguageOfTag(tag), kEn) << tag;
}

TEST(DialAccess, TheValuesCoverTheirButtonPairsAndTheButtonsTheirHitAreas) {
  EXPECT_EQ(ChildArea(ChildOfValue(DialValue::Course)), (DialArea{255, 10, 290, 25}));
  EXPECT_EQ(ChildArea(ChildOfValue(DialValue::WindDirection)), (DialArea{10, 270, 45, 285}));
  EXPECT_EQ(ChildArea(ChildOfValue(DialValue::WindSpeed)), (DialArea{255, 270, 290, 285}));
  EXPECT_EQ(ChildArea(ChildOfButton(3)), (DialArea{30, 270, 45, 285}));
  // A point finds the button under it, its value between the two buttons, nothing elsewhere.
  EXPECT_EQ(ChildAt(270, 25), ChildOfButton(0));
  EXPECT_EQ(ChildAt(272, 17), ChildOfValue(DialValue::Course));
  EXPECT_EQ(ChildAt(275, 285), ChildOfButton(5));
  EXPECT_EQ(ChildAt(150, 150), std::nullopt);
}

TEST_F(Face, InitialPictureFixedFigures) {
  Draw(360, 360, 0);
  EXPECT_EQ(dial.turtle->bitmap->Width(), WindDial::kSize);
  EXPECT_EQ(CountIn(149, 44, 151, 56, kWhite), 3 * 13);  // index mark
  EXPECT_EQ(At(148, 50), kBlack);
  EXPECT_EQ(At(152, 50), kBlack);
  EXPECT_EQ(CountIn(145, 60, 155, 65, kWhite), 11 * 6);  // wind bar, outline and filling
  EXPECT_EQ(CountIn(144, 59, 156, 66, kWhite), 11 * 6);
  // Rings: outer radius 140, centre radius 5 left open.
  EXPECT_EQ(At(150, 10), kWhite);
  EXPECT_EQ(At(150, 9), kBlack);
  EXPECT_EQ(At(10, 150), kWhite);
  EXPECT_EQ(At(289, 150), kWhite);
  EXPECT_EQ(At(290, 150), kBlack);
  EXPECT_EQ(At(150, 289), kWhite);
  EXPECT_EQ(At(150, 145), kWhite);
  EXPECT_EQ(At(150, 150), kBlack);
  // Axis dots, 11 apart on the screen's axes.
  for (int k = 1; k <= 5; ++k) {
    EXPECT_EQ(At(150, 150 - 11 * k), kWhite) << k;
    EXPECT_EQ(At(150 + 11 * k, 150), kWhite) << k;
    EXPECT_EQ(At(150, 150 + 11 * k), kWhite) << k;
    EXPECT_EQ(At(150 - 11 * k, 150), kWhite) << k;
  }
  EXPECT_EQ(At(150, 150 - 11 * 6), kBlack);
  // Long ticks reach from 94 to 106 pixels out, short ones to 100.
  EXPECT_EQ(At(243, 150), kBlack);
  EXPECT_EQ(CountIn(244, 150, 255, 150, kWhite), 12);
  EXPECT_EQ(At(256, 150), kBlack);
  EXPECT_EQ(CountIn(150, 244, 150, 255, kWhite), 12);
  EXPECT_EQ(CountIn(45, 150, 56, 150, kWhite), 12);
  EXPECT_EQ(At(44, 150), kBlack);
  EXPECT_EQ(dial.turtle->busy, 0);
  EXPECT_EQ(dial.turtle->penDown, 0);
}

TEST_F(Face, CardinalLabelsAtTheirReferencePoints) {
  Draw(360, 360, 0);
  const int n = HalfWidth("N", 20), e = HalfWidth("E", 20);
  const int s = HalfWidth("S", 20), w = HalfWidth("W", 20);
  ExpectText("N", 20, 3600, 150 - n, 21);
  ExpectText("E", 20, 2700, 278, 150 - e);
  ExpectText("S", 20, 1800, 150 + s - 1, 278);
  ExpectText("W", 20, 900, 21, 150 + w - 1);
}

TEST_F(Face, ReadoutIsZeroPaddedBelowTheCentre) {
  Draw(360, 360, 0);
  ExpectText("360  00", 20, 0, 124, 214);
  Draw(360, 10, 5);
  ExpectText("010  05", 20, 0, 124, 214);
}

TEST_F(Face, CardTurnsWithTheCourse) {
  Draw(90, 360, 0);
  const int e = HalfWidth("E", 20), n = HalfWidth("N", 20);
  ExpectText("E", 20, 3600, 150 - e, 21);
  ExpectText("N", 20, 900, 21, 150 + n - 1);
  // The bar lies on the left, its outer end 90 pixels out.
  EXPECT_EQ(CountIn(60, 145, 65, 155, kWhite), 6 * 11);
  EXPECT_EQ(At(59, 150), kBlack);
  EXPECT_EQ(At(66, 150), kBlack);
  EXPECT_EQ(CountIn(145, 60, 155, 65, kWhite), 0);
}

TEST_F(Face, LongestBarMeetsTheCentreRing) {
  Draw(360, 360, 40);
  EXPECT_EQ(CountIn(145, 60, 155, 145, kWhite), 11 * 86);
  EXPECT_EQ(At(150, 146), kBlack);
  EXPECT_EQ(At(144, 100), kBlack);
  EXPECT_EQ(At(156, 100), kBlack);
}

TEST_F(Face, SlantedBarIsFilledInsideOnly) {
  Draw(360, 360, 0);
  int before = CountIn(0, 0, 299, 299, kWhite);
  Draw(360, 30, 20);
  const int after = CountIn(0, 0, 299, 299, kWhite);
  // A leaking fill would whiten most of the face; a 10 x 45 bar adds about 450 pixels.
  EXPECT_GT(after - before, 350);
  EXPECT_LT(after - before, 600);
  // Middle of the bar, 67 pixels out at 30 degrees, is filled; beside it the face is black.
  EXPECT_EQ(At(150 + 34, 150 - 58), kWhite);
  EXPECT_EQ(At(150 + 34 + 9, 150 - 58 + 5), kBlack);
}

TEST_F(Face, ButtonsAreDrawnOverTheFace) {
  Draw(360, 360, 0);
  for (auto [x, y] : {std::pair{255, 10}, {10, 270}, {255, 270}}) {
    EXPECT_EQ(CountIn(x, y, x + 14, y, kGrey), 15) << x;
    EXPECT_EQ(CountIn(x, y + 14, x + 14, y + 14, kGrey), 15) << x;
    EXPECT_EQ(At(x + 15, y + 7), kBlack) << x;
    EXPECT_GT(CountIn(x + 1, y + 1, x + 13, y + 13, kBlack), 60) << "mostly empty inside";
    EXPECT_NE(CountIn(x + 1, y + 1, x + 13, y + 13, kBlack), 13 * 13) << "carries a letter";
  }
  for (auto [x, y] : {std::pair{275, 10}, {30, 270}, {275, 270}}) {
    EXPECT_EQ(CountIn(x, y, x + 14, y + 14, kGrey), 15 * 15) << x;
    EXPECT_EQ(At(x + 15, y), kBlack) << x;
  }
}

TEST_F(Face, BusyDialDrawsNothingAndAFailedDrawingDoesNotFreezeIt) {
  Draw(360, 360, 0);
  dial.turtle->busy = 1;
  dial.StepSpeed(40);
  dial.DrawDial();
  EXPECT_EQ(At(150, 100), kBlack);
  EXPECT_EQ(dial.turtle->busy, 1);

  struct FailingDial : WindDial {
    mutable bool fail = true;
    int ClientWidth() const override {
      if (fail) {
        fail = false;
        throw std::runtime_error("no size");
      }
      return kSize;
    }
  } failing;
  EXPECT_THROW(failing.DrawDial(), std::runtime_error);
  EXPECT_EQ(failing.turtle->busy, 0);
  failing.DrawDial();
  EXPECT_EQ(failing.turtle->bitmap->GetPixel(150, 50), kWhite);
}

TEST_F(Face, PaintCopiesTheWholePicture) {
  Capture target;
  dial.Paint(target);
  ASSERT_EQ(target.width, WindDial::kSize);
  ASSERT_EQ(target.height, WindDial::kSize);
  EXPECT_EQ(target.At(150, 50), 0xFFFFFFFFu);
  EXPECT_EQ(target.At(0, 0), 0xFF000000u);
  EXPECT_EQ(target.At(255, 10), 0xFFAAAAAAu);
}
