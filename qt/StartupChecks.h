// What the program says on stderr when it cannot do its work fully: no display to open a window
// on, a display but no platform plugin of Qt's for it, no font that has the menu's Japanese
// characters. Each starts "quorel: " and names what is missing.
#pragma once

// Between these two, the messages Qt logs, from any thread, are held back. Should Qt fail to start
// a platform plugin, which it reports with a fatal message and abort(), the program ends with
// status 1 instead, after one line naming DISPLAY and WAYLAND_DISPLAY when no display answers
// there, or else after Qt's held messages and the platform plugins it found. Otherwise the held
// messages are passed on, in order, and any that come late go straight through.
void HoldPlatformMessages();
void ReleasePlatformMessages();

// Says so when no installed font has Japanese characters, which the menu's items are written in.
void CheckMenuFont();
