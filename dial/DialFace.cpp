// The dial face: a heading-up compass card turned so that the course is under the index mark,
// axis dots, rings, ticks, the wind bar and the readout, all white on black.
#include <cstdio>

#include "dial/WindDial.h"

namespace {

constexpr int kBlack = 0x000000;
constexpr int kWhite = 0xFFFFFF;
constexpr int kFaceFontHeight = 20;
constexpr int kCentreRing = 5;
constexpr int kAxisDot = 3;
constexpr int kAxisDotSpacing = 11;
constexpr int kOuterRing = 140;
constexpr int kLabelDistance = 118;
constexpr int kTickInner = 94;
constexpr int kLongTick = 12;
constexpr int kShortTick = 6;
constexpr int kIndexTop = 106;
constexpr int kBarOuter = 90;
constexpr int kBarHalfWidth = 5;
constexpr int kReadoutDown = 64;
constexpr int kReadoutLeft = 26;

// Clears the drawing flag however the drawing ends, so one failed paint cannot freeze the face.
struct BusyScope {
  explicit BusyScope(TKG& t) : turtle(t) { turtle.busy = 1; }
  ~BusyScope() { turtle.busy = 0; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  TKG& turtle;
};

// 36 ticks 10 degrees apart from kTickInner outwards, the first at heading first + 10. With
// the course a multiple of 10 they land on the same screen directions whatever the course.
void DrawTicks(TKG& t, int cx, int cy, int first, int length) {
  t.SetHeading(first);
  for (int tick = 0; tick < 36; ++tick) {
    t.PenUp();
    t.SetPos(cx, cy);
    t.Turn(10);
    t.Forward(kTickInner);
    t.PenDown();
    t.Forward(length);
  }
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

void WindDial::DrawDial() {
  const auto& labels = compassLabels();
  TKG& t = *turtle;
  if (t.busy == 1) return;
  BusyScope busy(t);

  const int width = ClientWidth(), height = ClientHeight();
  const int cx = width / 2, cy = height / 2;
  t.SetSize(width, height);
  t.Clear(kBlack);
  t.SetColor(kWhite);
  t.SetFont("Arial", kFaceFontHeight);

  t.PenUp();
  t.SetPos(cx, cy);
  t.Circle(kCentreRing, 0);

  // The dots stay on the screen's axes; they do not turn with the card.
  t.SetHeading(0);
  for (int axis = 0; axis < 4; ++axis) {
    t.SetPos(cx, cy);
    for (int dot = 0; dot < 5; ++dot) {
      t.Forward(kAxisDotSpacing);
      t.Circle(kAxisDot, 1);
    }
    t.Turn(90);
  }

  t.SetPos(cx, cy);
  t.Circle(kOuterRing, 0);

  t.PenUp();
  t.SetHeading(360 - course);
  for (const std::string& label : labels) {
    if (!label.empty()) {
      t.SetPos(cx, cy);
      t.Forward(kLabelDistance);
      t.Text(label, 2);
    }
    t.Turn(10);
  }

  DrawTicks(t, cx, cy, course, kLongTick);

  // The index mark is fixed at the top and covers the top long tick.
  t.PenUp();
  t.SetPos(cx, cy);
  t.SetHeading(0);
  t.Forward(kIndexTop);
  t.SetX(TruncInt(t.GetX() - 1));
  t.Box(3, 13, 1);

  DrawTicks(t, cx, cy, course + 5, kShortTick);

  // The bar's outline is closed only through diagonal steps when slanted; the fill spreads to
  // edge neighbours only, so it stays inside. It starts 3 pixels in from the outer side.
  const int length = 2 * windSpeed + 5;
  t.PenUp();
  t.SetPos(cx, cy);
  t.SetHeading(windDirection - course);
  t.Forward(kBarOuter);
  t.PenDown();
  for (int side : {kBarHalfWidth, length, 2 * kBarHalfWidth, length, kBarHalfWidth, 3}) {
    t.Turn(90);
    t.Forward(side);
  }
  t.Fill();

  t.PenUp();
  t.SetPos(cx, cy);
  t.SetHeading(180);
  t.Forward(kReadoutDown);
  t.SetX(TruncInt(t.GetX() - kReadoutLeft));
  char readout[32];
  std::snprintf(readout, sizeof readout, "%03d  %02d", windDirection, windSpeed);
  t.Text(readout, 0);
}
