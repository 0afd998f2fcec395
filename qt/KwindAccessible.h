// The wind dial for screen readers: a group named "Wind dial" with the children DialAccess lists,
// in the user's language: a spin button per value, reading and setting it through the dial's own
// rules, and a push button per step button, which a reader presses as the mouse does. The current
// value's spin button carries the focus while the dial has the keyboard.
#pragma once

#include <QAccessibleInterface>

#include "dial/WindDial.h"

class QObject;
class QString;
class TKWind;

// For QAccessible::installFactory: the dial's interface for a TKWind, nullptr for anything else.
QAccessibleInterface* WindDialAccessibleFactory(const QString& key, QObject* object);

// Sends the focus event of the spin button that shows which.
void NotifyDialFocus(TKWind* dial, DialValue which);

// Sends the value-change event of the spin button that shows which, and the dial's new description.
void NotifyDialValueChanged(TKWind* dial, DialValue which);
