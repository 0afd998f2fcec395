// The wind dial for screen readers: the dial is a group named "Wind dial" with one slider child
// per value, each reading and setting its value through the dial's own rules.
#pragma once

#include <QAccessibleInterface>

#include "dial/WindDial.h"

class QObject;
class QString;
class TKWind;

// For QAccessible::installFactory: the dial's interface for a TKWind, nullptr for anything else.
QAccessibleInterface* WindDialAccessibleFactory(const QString& key, QObject* object);

// Sends the value-change event of the child that shows which.
void NotifyDialValueChanged(TKWind* dial, DialValue which);
