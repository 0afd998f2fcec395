// What the program says on stderr when it cannot do its work fully: no display to open a window
// on, no font that has the menu's Japanese characters. One line each, naming what is missing.
#pragma once

// Between these two, the messages Qt logs, from any thread, are held back. Should Qt fail to open
// a display, which it reports with a fatal message and abort(), one line naming DISPLAY and
// WAYLAND_DISPLAY goes to stderr instead and the program ends with status 1. Otherwise the held
// messages are passed on, in order, and any that come late go straight through.
void HoldPlatformMessages();
void ReleasePlatformMessages();

// Says so when no installed font has Japanese characters, which the menu's items are written in.
void CheckMenuFont();
