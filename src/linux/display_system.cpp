#include "linux/display_system.h"

#include <strings.h>

namespace {

bool isSet(const char* value) {
  return value != nullptr && value[0] != '\0';
}

}  // namespace

DisplaySystem chooseDisplaySystem(const char* forced, const char* waylandDisplay,
                                  const char* waylandSocket, bool defaultWaylandSocketExists) {
  if (isSet(forced)) {
    if (strcasecmp(forced, "wayland") == 0) return DisplaySystem::Wayland;
    if (strcasecmp(forced, "x11") == 0) return DisplaySystem::X11;
    return DisplaySystem::Unknown;
  }
  return isSet(waylandDisplay) || isSet(waylandSocket) || defaultWaylandSocketExists
             ? DisplaySystem::Wayland
             : DisplaySystem::X11;
}

bool fallsBackToX11(const char* forced, const char* xDisplay) {
  return !isSet(forced) && isSet(xDisplay);
}

std::string defaultWaylandSocket(const char* runtimeDirectory) {
  if (!isSet(runtimeDirectory)) return std::string();
  return std::string(runtimeDirectory) + "/wayland-0";
}
