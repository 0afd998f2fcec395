// The wind dial for screen readers: the dial is a group named "Wind dial" with one slider child
// per value, each reading and setting its value through the dial's own rules. The slider of the
// current value carries the focus while the dial has the keyboard.
#pragma once

#include <QAccessibleInterface>

#include "dial/WindDial.h"

class QObject;
class QString;
class TKWind;

// For QAccessible::installFactory: the dial's interface for a TKWind, nullptr for anything else.
QAccessibleInterface* WindDialAccessibleFactory(const QString& key, QObject* object);

// Sends the focus event of the slider that shows which.
void NotifyDialFocus(TKWind* dial, DialValue which);

// Sends the value-change event of the slider that shows which, and the dial's new description.
void NotifyDialValueChanged(TKWind* dial, DialValue which);
