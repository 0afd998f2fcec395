// The dial as screen readers present it, the same in every shell: one slider per value, in the
// order of kDialValues, with the texts they read and the part of the dial each slider covers.
// Which slider is the current one is kept by WindDial.
#pragma once

#include <string>

#include "dial/DialValues.h"

inline constexpr const char* kDialAccessName = "Wind dial";

// A value as read out: "100 degrees" for a direction, the bare number for the speed.
std::string ValueText(DialValue which, int value);

// How a user changes the value, keys first, then the step buttons.
const char* HowToChange(DialValue which);

// The readout and the card in words: "Wind dial: course 360, wind 360 degrees at 0".
std::string DialSummary(int course, int windDirection, int windSpeed);

// An area in the dial's client pixels; both ends are inside, as for the step buttons' hit areas.
struct DialArea {
  int left;
  int top;
  int right;
  int bottom;
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  bool operator==(const DialArea&) const = default;
};

// The hit areas of the pair of step buttons that change the value, taken together.
DialArea StepButtonPair(DialValue which);
