// The six step buttons: squares drawn over the face and found again by coordinates on a press.
#include "dial/WindDial.h"

namespace {

struct StepButton {
  int x;
  int y;
  const char* label;
  int style;  // 0 outlined with the value's letter (lowers it), 1 filled (raises it)
  int WindDial::*value;
  void (WindDial::*step)(int);  // wraps or clamps the new value
  int change;
};

constexpr int kButtonSize = 15;
constexpr int kButtonInk = 0xAAAAAA;
constexpr int kButtonFontHeight = 15;

constexpr StepButton kButtons[] = {
    {255, 10, "C", 0, &WindDial::course, &WindDial::StepCourse, -10},
    {275, 10, "", 1, &WindDial::course, &WindDial::StepCourse, +10},
    {10, 270, "W", 0, &WindDial::windDirection, &WindDial::StepWind, -10},
    {30, 270, "", 1, &WindDial::windDirection, &WindDial::StepWind, +10},
    {255, 270, "S", 0, &WindDial::windSpeed, &WindDial::StepSpeed, -1},
    {275, 270, "", 1, &WindDial::windSpeed, &WindDial::StepSpeed, +1},
};

// Both ends are inside: a hit area is one pixel wider and taller than the drawn square.
bool Hits(const StepButton& b, int x, int y) {
  return x >= b.x && x <= b.x + kButtonSize && y >= b.y && y <= b.y + kButtonSize;
}

}  // namespace

void WindDial::DrawButtons() {
  for (const StepButton& b : kButtons)
    DrawButton(b.x, b.y, kButtonSize, kButtonSize, b.style, b.label);
}

void WindDial::DrawButton(int x, int y, int w, int h, int style, std::string label) {
  TKG& t = *turtle;
  t.SetColor(kButtonInk);
  t.PenUp();
  t.SetPos(x, y);
  if (style == 0) {
    t.Box(w, h, 0);
    t.SetColor(kButtonInk);
  }
  if (style == 1) {
    t.Box(w, h, 1);
    t.SetColor(0x000000);
  }
  t.SetFont("Arial", kButtonFontHeight);
  t.PenUp();
  t.SetPos(x + w / 2, y + h / 2 + 1);
  t.SetHeading(0);
  t.Text(label, 2);
}

// Every area is tested on its own; they do not overlap, so one press changes one value at most.
void WindDial::PressStepButtons(int x, int y) {
  for (const StepButton& b : kButtons) {
    if (Hits(b, x, y)) (this->*b.step)(this->*b.value + b.change);
  }
}
