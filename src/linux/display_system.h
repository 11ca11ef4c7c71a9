// Which display system the Linux program talks to, decided once at start the
// way the common toolkits decide it: LUMIVANE_PLATFORM ("wayland" or "x11")
// forces one; otherwise a Wayland session (WAYLAND_DISPLAY or WAYLAND_SOCKET
// set, or the default socket wayland-0 in XDG_RUNTIME_DIR) gets the Wayland
// front end and everything else the X11 one. A Wayland session that does not
// answer, chosen without force where an X display is named too, gives way
// to X11 (a stale wayland-0 left by a compositor that ended must not keep
// the program off a working X server). Pure, so that tests need no display.
#pragma once

#include <string>

enum class DisplaySystem { X11, Wayland, Unknown };

// forced: LUMIVANE_PLATFORM, waylandDisplay: WAYLAND_DISPLAY, waylandSocket:
// WAYLAND_SOCKET (each null or empty when unset); Unknown when forced names
// no display system.
DisplaySystem chooseDisplaySystem(const char* forced, const char* waylandDisplay,
                                  const char* waylandSocket, bool defaultWaylandSocketExists);

// Whether a Wayland connection that failed gives way to X11: only where the
// choice was not forced and DISPLAY (xDisplay) names an X display.
bool fallsBackToX11(const char* forced, const char* xDisplay);

// Where libwayland looks without WAYLAND_DISPLAY; empty without a runtime folder.
std::string defaultWaylandSocket(const char* runtimeDirectory);
