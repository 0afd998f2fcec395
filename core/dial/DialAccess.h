// The dial as screen readers present it, the same in every shell: one slider per value, in the
// order of kDialValues, with the texts they read and the part of the dial each slider covers.
// Which slider is the current one is kept by WindDial.
#pragma once

#include <optional>
#include <string>

#include "dial/DialValues.h"
#include "dial/StepButtons.h"
#include "dial/WindDial.h"

inline constexpr const char* kDialAccessName = "Wind dial";

// A value as read out: "100 degrees" for a direction, the bare number for the speed.
std::string ValueText(DialValue which, int value);

// How a user changes the value, keys first, then the step buttons.
const char* HowToChange(DialValue which);

// The readout and the card in words: "Wind dial: course 360, wind 360 degrees at 0".
std::string DialSummary(int course, int windDirection, int windSpeed);

// The slider at client pixel (x, y): each covers the pair of step buttons of its value (its
// StepButtonPair); the rest of the dial belongs to no slider.
std::optional<DialValue> SliderAt(int x, int y);

// A screen reader sets a value: the allowed value nearest to v, under the dial's own rule, as a key
// or button could leave it. A value that changes becomes the current one first, as with a key;
// v that is not a number changes nothing.
void SetFromScreenReader(WindDial& dial, DialValue which, double v);
