#include "dial/StepButtons.h"

#include <algorithm>
#include <climits>

#include "dial/DialStyle.h"

namespace {

// An outlined button carries the value's letter and lowers it; a filled one raises it.
constexpr int kButtonOutlined = 0;
constexpr int kButtonFilled = 1;

struct StepButton {
  int x;
  int y;
  const char* label;
  int style;
  DialValue value;
  int direction;
};

constexpr int kButtonSize = 15;
constexpr int kButtonFontHeight = 15;

constexpr StepButton kButtons[] = {
    {255, 10, "C", kButtonOutlined, DialValue::Course, -1},
    {275, 10, "", kButtonFilled, DialValue::Course, +1},
    {10, 270, "W", kButtonOutlined, DialValue::WindDirection, -1},
    {30, 270, "", kButtonFilled, DialValue::WindDirection, +1},
    {255, 270, "S", kButtonOutlined, DialValue::WindSpeed, -1},
    {275, 270, "", kButtonFilled, DialValue::WindSpeed, +1},
};

// Both ends are inside: a hit area is one pixel wider and taller than the drawn square.
bool Hits(const StepButton& b, int x, int y) {
  return x >= b.x && x <= b.x + kButtonSize && y >= b.y && y <= b.y + kButtonSize;
}

}  // namespace

void DrawStepButtons(TKG& t) {
  for (const StepButton& b : kButtons)
    DrawStepButton(t, b.x, b.y, kButtonSize, kButtonSize, b.style, b.label);
}

void DrawStepButton(TKG& t, int x, int y, int w, int h, int style, const std::string& label) {
  t.SetColor(kGrey);
  t.PenUp();
  t.SetPos(x, y);
  if (style == kButtonOutlined) {
    t.Box(w, h, kBoxFramed);
    t.SetColor(kGrey);
  }
  if (style == kButtonFilled) {
    t.Box(w, h, kBoxFilled);
    t.SetColor(kBlack);
  }
  t.SetFont(kDialFace, kButtonFontHeight);
  t.PenUp();
  // Summed wide and saturated, so that a button of any size at any place has a centre.
  t.SetPos(TruncInt(static_cast<double>(static_cast<long long>(x) + w / 2)),
           TruncInt(static_cast<double>(static_cast<long long>(y) + h / 2 + 1)));
  t.SetHeading(0);
  t.Text(label, kTextCentred);
}

// The areas do not overlap, so one press changes one value at most.
std::optional<StepPress> StepButtonAt(int x, int y) {
  for (const StepButton& b : kButtons) {
    if (Hits(b, x, y)) return StepPress{b.value, b.direction};
  }
  return std::nullopt;
}

DialArea StepButtonPair(DialValue which) {
  DialArea area{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (const StepButton& b : kButtons) {
    if (b.value != which) continue;
    area.left = std::min(area.left, b.x);
    area.top = std::min(area.top, b.y);
    area.right = std::max(area.right, b.x + kButtonSize);
    area.bottom = std::max(area.bottom, b.y + kButtonSize);
  }
  return area;
}
