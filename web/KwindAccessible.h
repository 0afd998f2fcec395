// The dial for screen readers: the canvas as a group named after the dial, with an ARIA slider
// per value and an ARIA button per step button inside it, their words from the core's DialAccess
// in the browser's language. The canvas keeps the keyboard focus and points at the current value
// with aria-activedescendant, so that the keys still reach the dial.
#pragma once

#include "dial/WindDial.h"

class TKWind;

// Builds the children and their texts once the dial exists.
void BuildDialAccessible(const TKWind& dial);
// A value changed: its slider's value and the dial's description follow.
void NotifyDialValueChanged(const TKWind& dial, DialValue which);
// which became the current value: the canvas points at its slider.
void NotifyDialFocus(DialValue which);
