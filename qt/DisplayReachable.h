// Whether a display server answers where the environment says one is, so that a failed start of
// Qt's platform plugin can be told apart from having no display at all.
#pragma once

// True when the X server named by DISPLAY (":0", "unix:0", "host:10.0", "tcp/host:0") or the
// Wayland compositor named by WAYLAND_DISPLAY (a socket in XDG_RUNTIME_DIR, or an absolute path)
// accepts a connection. Only the socket is tried: no protocol is spoken and no authorisation is
// checked, so that nothing beyond the C library is needed to ask.
bool DisplayReachable();
