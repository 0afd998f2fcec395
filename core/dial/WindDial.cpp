#include "dial/WindDial.h"

#include "dial/DialFace.h"

namespace {

struct KeyStep {
  int key;
  DialValue value;
  int direction;
};

constexpr KeyStep kKeySteps[] = {
    {kKeyPageDown, DialValue::Course, +1},
    {kKeyPageUp, DialValue::Course, -1},
    {kKeyEnd, DialValue::WindDirection, +1},
    {kKeyHome, DialValue::WindDirection, -1},
};

}  // namespace

WindDial::WindDial() : turtle(std::make_unique<TKG>()) {
  for (const DialValueRule& rule : kDialValues)
    values_[static_cast<int>(rule.value)] = rule.initial;
}

WindDial::~WindDial() = default;

void WarmUpDial() {
  // Only a head start: whatever fails here fails again in the first paint, which reports it.
  try {
    WindDial dial;
    dial.DrawDial();
    dial.DrawButtons();
  } catch (...) {
  }
}

void WindDial::Set(DialValue which, int value) {
  int& stored = values_[static_cast<int>(which)];
  const int before = stored;
  stored = Bounded(which, value);
  Invalidate();
  if (stored == before) return;
  ValueChanged(which);
  AnnounceCurrent();
}

// Only the sign counts, so no direction can carry a value past the int range.
void WindDial::Step(DialValue which, int direction) {
  const int sign = (direction > 0) - (direction < 0);
  Set(which, Value(which) + sign * RuleOf(which).step);
}

void WindDial::MakeCurrent(DialValue which) {
  if (which == current_) return;
  current_ = which;
  currentUnannounced_ = true;
}

void WindDial::FocusGained() {
  if (!focusedBefore_) current_ = DialValue::Course;
  focusedBefore_ = true;
  currentUnannounced_ = true;
}

void WindDial::AnnounceCurrent() {
  if (!currentUnannounced_ || !HasKeyboardFocus()) return;
  currentUnannounced_ = false;
  CurrentChanged(current_);
}

DialPoint WindDial::KeyboardMenuPoint() const {
  const DialArea buttons = StepButtonPair(current_);
  return {buttons.left, buttons.bottom + 1};
}

void WindDial::StepAsUser(DialValue which, int direction) {
  MakeCurrent(which);
  Step(which, direction);
  AnnounceCurrent();
}

// Each key is tested on its own, not as an else-chain.
void WindDial::KeyDown(int key) {
  for (const KeyStep& k : kKeySteps) {
    if (key == k.key) StepAsUser(k.value, k.direction);
  }
}

// Repaints even when no button was hit: speed steps rely on this repaint.
void WindDial::MouseDown(int x, int y) {
  PressStepButtons(x, y);
  Invalidate();
}

void WindDial::PressStepButtons(int x, int y) {
  const auto button = StepButtonAt(x, y);
  if (!button) return;
  const StepPress step = StepOfButton(*button);
  StepAsUser(step.value, step.direction);
}

void WindDial::DrawDial() {
  DrawFace(*turtle, ClientWidth(), ClientHeight(), course(), windDirection(), windSpeed());
}

void WindDial::DrawButtons() {
  DrawStepButtons(*turtle);
}

void WindDial::DrawButton(int x, int y, int w, int h, int style, std::string label) {
  DrawStepButton(*turtle, x, y, w, h, style, label);
}

void WindDial::Paint(CopyTarget& target) {
  DrawDial();
  DrawButtons();
  turtle->DrawTo(target);
}
