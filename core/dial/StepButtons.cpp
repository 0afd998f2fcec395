#include "dial/StepButtons.h"

#include <algorithm>
#include <climits>
#include <iterator>

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

static_assert(std::size(kButtons) == kStepButtonCount);

// Both ends are inside: a hit area is one pixel wider and taller than the drawn square.
DialArea HitArea(const StepButton& b) {
  return {b.x, b.y, b.x + kButtonSize, b.y + kButtonSize};
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

StepPress StepOfButton(int index) {
  return {kButtons[index].value, kButtons[index].direction};
}

DialArea StepButtonArea(int index) {
  return HitArea(kButtons[index]);
}

// The areas do not overlap, so one press changes one value at most.
std::optional<int> StepButtonAt(int x, int y) {
  for (int i = 0; i < kStepButtonCount; ++i) {
    if (HitArea(kButtons[i]).Contains(x, y)) return i;
  }
  return std::nullopt;
}

DialArea StepButtonPair(DialValue which) {
  DialArea pair{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (const StepButton& b : kButtons) {
    if (b.value != which) continue;
    const DialArea area = HitArea(b);
    pair.left = std::min(pair.left, area.left);
    pair.top = std::min(pair.top, area.top);
    pair.right = std::max(pair.right, area.right);
    pair.bottom = std::max(pair.bottom, area.bottom);
  }
  return pair;
}
