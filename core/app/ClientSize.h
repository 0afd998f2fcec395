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

enum class WindowShow { Normal, Maximised, Minimised, FullScreen };

// The client size to snap back to after a resize, or nothing when the window stays as it is:
// the system sizes a window that is not shown normally, and one that is the dial's size already
// ends the chain of resizes.
std::optional<Extent> SnapBackClientSize(WindowShow show, Extent client);
