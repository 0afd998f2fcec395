#include "dial/WindDial.h"

#include <algorithm>

// The remainder takes the dividend's sign, so negative inputs are brought back up; a negative
// multiple of 360 leaves 0 there, which is north too.
int WrapDegrees(int v) {
  int r = static_cast<int>((static_cast<long long>(v) + 359) % 360) + 1;
  if (r <= 0) r += 360;
  return r;
}

WindDial::WindDial() : turtle(std::make_unique<TKG>()) {}

WindDial::~WindDial() = default;

void WindDial::StepCourse(int value) {
  const int before = course;
  course = WrapDegrees(value);
  Invalidate();
  if (course != before) ValueChanged(DialValue::Course);
}

void WindDial::StepWind(int value) {
  const int before = windDirection;
  windDirection = WrapDegrees(value);
  Invalidate();
  if (windDirection != before) ValueChanged(DialValue::WindDirection);
}

void WindDial::StepSpeed(int value) {
  const int before = windSpeed;
  windSpeed = std::clamp(value, 0, kMaxWindSpeed);
  Invalidate();
  if (windSpeed != before) ValueChanged(DialValue::WindSpeed);
}

// Each key is tested on its own, not as an else-chain.
void WindDial::KeyDown(int key) {
  if (key == kKeyPageDown) StepCourse(course + 10);
  if (key == kKeyPageUp) StepCourse(course - 10);
  if (key == kKeyEnd) StepWind(windDirection + 10);
  if (key == kKeyHome) StepWind(windDirection - 10);
}

// Repaints even when no button was hit: speed steps rely on this repaint.
void WindDial::MouseDown(int x, int y) {
  PressStepButtons(x, y);
  Invalidate();
}

void WindDial::Paint(CopyTarget& target) {
  DrawDial();
  DrawButtons();
  turtle->DrawTo(target);
}
