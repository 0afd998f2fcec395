// The main window's client area is exactly the dial, WindDial::kSize pixels a side: a new window
// asks for that, and after every resize the form snaps back to it. Sizes are in the units the
// shell sizes its window in (Qt's logical pixels, Win32's pixels).
#pragma once

#include <optional>

struct Extent {
  int width = 0;
  int height = 0;
  bool operator==(const Extent&) const = default;
};

// What a screen offers the window: its work area (without task bars and docks) and how much
// wider and taller than its client area the window's frame makes it; no frame before the window
// is on the screen.
struct ScreenRoom {
  Extent workArea;
  Extent frame;
};

enum class WindowShow { Normal, Maximised, Minimised, FullScreen };

// Neither of these ever asks for more than the room holds: a request past the screen would be
// refused or cut by the system, or given a back buffer of the size asked for, on every resize
// again. Where the room cannot hold the dial, the program says so on stderr, once a run.

// The client size a new window asks for: the dial's, cut to what the room holds, at least 1 x 1.
Extent InitialClientSize(const ScreenRoom& room);

// The client size to snap back to after a resize, or nothing when the window stays as it is:
// the system sizes a window that is not shown normally; one that is the dial's size already ends
// the chain of resizes; and on a screen whose room cannot hold the dial the window keeps the size
// the system gives it.
std::optional<Extent> SnapBackClientSize(WindowShow show, Extent client, const ScreenRoom& room);
