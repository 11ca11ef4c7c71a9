// Which display system the Linux program talks to, decided once at start the
// way the common toolkits decide it: LUMIVANE_PLATFORM ("wayland" or "x11")
// forces one; otherwise a Wayland session (WAYLAND_DISPLAY set, or the
// default socket wayland-0 in XDG_RUNTIME_DIR) gets the Wayland front end
// and everything else the X11 one. Pure, so that tests need no display.
#pragma once

#include <string>

enum class DisplaySystem { X11, Wayland, Unknown };

// forced: LUMIVANE_PLATFORM, waylandDisplay: WAYLAND_DISPLAY (either null or
// empty when unset); Unknown when forced names no display system.
DisplaySystem chooseDisplaySystem(const char* forced, const char* waylandDisplay,
                                  bool defaultWaylandSocketExists);

// Where libwayland looks without WAYLAND_DISPLAY; empty without a runtime folder.
std::string defaultWaylandSocket(const char* runtimeDirectory);
