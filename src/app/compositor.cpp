#include "app/compositor.h"

#include <cstdlib>

namespace {

bool offers(const std::vector<std::string>& interfaces, const char* prefix) {
  for (const std::string& name : interfaces)
    if (name.rfind(prefix, 0) == 0) return true;
  return false;
}

// KWIN_DRM_PREFER_COLOR_DEPTH as a number, 0 where it is none.
long colourDepth(const std::string& value) {
  char* end = nullptr;
  const long depth = std::strtol(value.c_str(), &end, 10);
  return end != value.c_str() && *end == '\0' ? depth : 0;
}

}  // namespace

Compositor compositorFromGlobals(const std::vector<std::string>& interfaces, bool swaySocket) {
  // KWin offers some zwlr_* globals too, and sway some org_kde_kwin_* ones:
  // only Plasma's own globals tell KWin.
  if (offers(interfaces, "org_kde_plasma_") || offers(interfaces, "kde_")) return Compositor::KWin;
  if (offers(interfaces, "gtk_shell1")) return Compositor::Mutter;
  if (offers(interfaces, "weston_")) return Compositor::Weston;
  if (offers(interfaces, "hyprland_")) return Compositor::Hyprland;
  if (offers(interfaces, "zriver_") || offers(interfaces, "river_")) return Compositor::River;
  if (offers(interfaces, "zwf_")) return Compositor::Wayfire;
  if (offers(interfaces, "zwlr_")) return swaySocket ? Compositor::Sway : Compositor::Wlroots;
  return Compositor::Unknown;
}

const char* compositorName(Compositor compositor) {
  switch (compositor) {
    case Compositor::Sway:
      return "sway";
    case Compositor::Wlroots:
      return "sway or another wlroots compositor";
    case Compositor::Hyprland:
      return "Hyprland";
    case Compositor::River:
      return "river";
    case Compositor::Wayfire:
      return "Wayfire";
    case Compositor::Mutter:
      return "Mutter";
    case Compositor::KWin:
      return "KWin";
    case Compositor::Weston:
      return "Weston";
    case Compositor::Unknown:
      break;
  }
  return "unknown";
}

std::string compositorRemedy(Compositor compositor, const std::string& kwinColourDepth) {
  switch (compositor) {
    case Compositor::Sway:
      return "sway: output NAME render_bit_depth 10";
    case Compositor::Wlroots:
      return "sway: output NAME render_bit_depth 10; other wlroots compositors: their own output "
             "settings";
    case Compositor::Hyprland:
      return "Hyprland: bitdepth,10 in the output's monitor rule";
    case Compositor::Mutter:
      return "Mutter composes at 8 bits before GNOME 46, which tries 10-bit output first";
    case Compositor::KWin:
      if (!kwinColourDepth.empty() && colourDepth(kwinColourDepth) < 30)
        return "KWin: KWIN_DRM_PREFER_COLOR_DEPTH=" + kwinColourDepth +
               " is set here, which keeps it below 10 bits: unset it in the session's environment";
      return "KWin composes at 10 bits where the driver and the monitor allow, unless "
             "KWIN_DRM_PREFER_COLOR_DEPTH is set below 30";
    case Compositor::Weston:
      return "Weston: gbm-format=xrgb2101010 in weston.ini";
    case Compositor::River:
    case Compositor::Wayfire:
    case Compositor::Unknown:
      break;
  }
  return "in the compositor's own output settings";
}
