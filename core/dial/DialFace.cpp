// Each element is drawn from the centre, so none depends on where the one before left the turtle.
#include "dial/DialFace.h"

#include <cstdio>

#include "dial/DialStyle.h"

namespace {

constexpr int kFaceFontHeight = 20;
constexpr int kCentreRing = 5;
constexpr int kOuterRing = 140;

constexpr int kAxes = 4;
constexpr int kDotsPerAxis = 5;
constexpr int kAxisDot = 3;
constexpr int kAxisDotSpacing = 11;

constexpr int kCardSteps = 36;  // labels and ticks, one place per 10 degrees
constexpr int kCardStep = 10;
constexpr int kLabelDistance = 118;
constexpr int kTickInner = 94;
constexpr int kLongTick = 12;
constexpr int kShortTick = 6;
constexpr int kShortTickOffset = 5;  // midway between long ticks

constexpr int kIndexTop = 106;
constexpr int kIndexWidth = 3;
constexpr int kIndexHeight = 13;

constexpr int kBarOuter = 90;
constexpr int kBarWidth = 10;
constexpr int kBarCalmLength = 5;  // at speed 0
constexpr int kBarPerSpeed = 2;    // pixels longer per unit of speed
constexpr int kBarFillInset = 3;   // where the fill starts, in from the bar's outer side

constexpr int kReadoutDown = 64;
constexpr int kReadoutLeft = 26;

int BarLength(int windSpeed) {
  return kBarPerSpeed * windSpeed + kBarCalmLength;
}

struct Centre {
  int x;
  int y;
};

// Clears the drawing flag however the drawing ends, so one failed paint cannot freeze the face.
struct BusyScope {
  explicit BusyScope(TKG& t) : turtle(t) { turtle.busy = 1; }
  ~BusyScope() { turtle.busy = 0; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  TKG& turtle;
};

void DrawRing(TKG& t, Centre c, int radius) {
  t.PenUp();
  t.SetPos(c.x, c.y);
  t.Circle(radius, kCircleOutline);
}

// The dots stay on the screen's axes; they do not turn with the card.
void DrawAxisDots(TKG& t, Centre c) {
  t.SetHeading(0);
  for (int axis = 0; axis < kAxes; ++axis) {
    t.SetPos(c.x, c.y);
    for (int dot = 0; dot < kDotsPerAxis; ++dot) {
      t.Forward(kAxisDotSpacing);
      t.Circle(kAxisDot, kCircleFilled);
    }
    t.Turn(360 / kAxes);
  }
}

// Label k sits at screen direction 10k - course, its letters' tops facing outwards.
void DrawLabels(TKG& t, Centre c, int course) {
  t.PenUp();
  t.SetHeading(360 - course);
  for (const std::string& label : compassLabels()) {
    if (!label.empty()) {
      t.SetPos(c.x, c.y);
      t.Forward(kLabelDistance);
      t.Text(label, kTextCentred);
    }
    t.Turn(kCardStep);
  }
}

// One tick per 10 degrees from kTickInner outwards, the first at heading first + 10. With the
// course a multiple of 10 they land on the same screen directions whatever the course.
void DrawTicks(TKG& t, Centre c, int first, int length) {
  t.SetHeading(first);
  for (int tick = 0; tick < kCardSteps; ++tick) {
    t.PenUp();
    t.SetPos(c.x, c.y);
    t.Turn(kCardStep);
    t.Forward(kTickInner);
    t.PenDown();
    t.Forward(length);
  }
}

// Fixed at the top of the screen; it covers the top long tick.
void DrawIndexMark(TKG& t, Centre c) {
  t.PenUp();
  t.SetPos(c.x, c.y);
  t.SetHeading(0);
  t.Forward(kIndexTop);
  t.SetX(TruncInt(t.GetX() - kIndexWidth / 2));
  t.Box(kIndexWidth, kIndexHeight, kBoxFilled);
}

// The outline's outer side is centred kBarOuter out at the wind's direction on the card. When
// slanted it is closed only through diagonal steps; the fill spreads to edge neighbours only, so
// it stays inside.
void DrawWindBar(TKG& t, Centre c, int heading, int windSpeed) {
  const int length = BarLength(windSpeed);
  t.PenUp();
  t.SetPos(c.x, c.y);
  t.SetHeading(heading);
  t.Forward(kBarOuter);
  t.PenDown();
  for (int side : {kBarWidth / 2, length, kBarWidth, length, kBarWidth / 2, kBarFillInset}) {
    t.Turn(90);
    t.Forward(side);
  }
  t.Fill();
}

void DrawReadout(TKG& t, Centre c, int windDirection, int windSpeed) {
  t.PenUp();
  t.SetPos(c.x, c.y);
  t.SetHeading(180);
  t.Forward(kReadoutDown);
  t.SetX(TruncInt(t.GetX() - kReadoutLeft));
  char readout[32];
  std::snprintf(readout, sizeof readout, "%03d  %02d", windDirection, windSpeed);
  t.Text(readout, kTextUpright);
}

}  // namespace

const std::array<std::string, 36>& compassLabels() {
  // One entry per 10 degrees; a label every 30.
  // clang-format off
  static const std::array<std::string, 36> labels = {
      "N", "", "", "3",  "", "", "6",  "", "", "E", "", "", "12", "", "", "15", "", "",
      "S", "", "", "21", "", "", "24", "", "", "W", "", "", "30", "", "", "33", "", ""};
  // clang-format on
  return labels;
}

void DrawFace(TKG& t, int width, int height, int course, int windDirection, int windSpeed) {
  if (t.busy == 1) return;
  BusyScope busy(t);

  const Centre c{width / 2, height / 2};
  t.SetSize(width, height);
  t.Clear(kBlack);
  t.SetColor(kWhite);
  t.SetFont(kDialFace, kFaceFontHeight);

  DrawRing(t, c, kCentreRing);
  DrawAxisDots(t, c);
  DrawRing(t, c, kOuterRing);
  DrawLabels(t, c, course);
  DrawTicks(t, c, course, kLongTick);
  DrawIndexMark(t, c);
  DrawTicks(t, c, course + kShortTickOffset, kShortTick);
  DrawWindBar(t, c, windDirection - course, windSpeed);
  DrawReadout(t, c, windDirection, windSpeed);
}
