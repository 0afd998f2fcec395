// The dial as screen readers present it, the same in every shell: a group with one spin button per
// value and one push button per step button, the texts they read in the user's language, and the
// part of the dial each covers. Which value is the current one is kept by WindDial.
//
// The values are spin buttons rather than sliders: like a spin box they step through their range
// with a button each way, and readers say a spin button's value as its text, unit included, where
// they would give a slider's as a bare number and a share of the range.
#pragma once

#include <optional>
#include <string>

#include "dial/DialTexts.h"
#include "dial/DialValues.h"
#include "dial/StepButtons.h"
#include "dial/WindDial.h"

// The dial's children, numbered from 0: the values in the order of kDialValues, then the step
// buttons in the order of their index.
inline constexpr int kDialChildCount = kDialValueCount + kStepButtonCount;

constexpr int ChildOfValue(DialValue which) {
  return static_cast<int>(which);
}
constexpr int ChildOfButton(int button) {
  return kDialValueCount + button;
}
// The value a child shows; none for a step button.
std::optional<DialValue> ValueOfChild(int child);
// The step button a child is; none for a value.
std::optional<int> ButtonOfChild(int child);

// A value covers the pair of step buttons that changes it, a step button its hit area.
DialArea ChildArea(int child);
const char* ChildName(Language language, int child);

// The child at client pixel (x, y): a step button, or between the two buttons of a pair, their
// value; none on the rest of the dial.
std::optional<int> ChildAt(int x, int y);

// A value as read out: "100 degrees" for a direction, the bare number for the speed.
std::string ValueText(Language language, DialValue which, int value);

// How a user changes the value, keys first, then the step buttons.
const char* HowToChange(Language language, DialValue which);

// The readout and the card in words: "Wind dial: course 360, wind 360 degrees at 0".
std::string DialSummary(Language language, int course, int windDirection, int windSpeed);

// A screen reader sets a value: the allowed value nearest to v, under the dial's own rule, as a key
// or button could leave it. A value that changes becomes the current one, as with a key; v that is
// not a number changes nothing.
void SetFromScreenReader(WindDial& dial, DialValue which, double v);
