// The six step buttons: squares drawn over the face and found again by coordinates on a press.
#pragma once

#include <optional>
#include <string>

#include "dial/DialValues.h"
#include "turtle/Kg.h"

// A point in the dial's client pixels.
struct DialPoint {
  int x;
  int y;
  bool operator==(const DialPoint&) const = default;
};

// An area in the dial's client pixels; both ends are inside, as for the step buttons' hit areas.
struct DialArea {
  int left;
  int top;
  int right;
  int bottom;
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
  DialPoint Centre() const { return {left + (right - left) / 2, top + (bottom - top) / 2}; }
  bool operator==(const DialArea&) const = default;
};

// The step a press asks for: one step of the value up (+1) or down (-1).
struct StepPress {
  DialValue value;
  int direction;
};

inline constexpr int kStepButtonCount = 6;

// The buttons by index, in the order they are drawn and hit-tested: for each value in the order of
// kDialValues, the outlined button that lowers it, then the filled one that raises it.
StepPress StepOfButton(int index);
DialArea StepButtonArea(int index);  // its hit area

// The index of the button at client pixel (x, y), if any.
std::optional<int> StepButtonAt(int x, int y);

// The hit areas of the pair of step buttons that change the value, taken together.
DialArea StepButtonPair(DialValue which);

void DrawStepButtons(TKG& t);
// A w x h button with its top-left at (x, y): framed (style 0) or filled (style 1), in grey, with
// the label centred on it.
void DrawStepButton(TKG& t, int x, int y, int w, int h, int style, const std::string& label);
