// The Wayland compositor a client talks to, told by the globals it offers,
// and what makes it compose at 10 bits per colour. A client cannot ask a
// compositor at what depth it composes; each names its own setting, so the
// check's report names the compositor and gives only its remedy.
#pragma once

#include <string>
#include <vector>

// The wlroots family offers zwlr_* globals; sway has no global of its own, so
// it is told from the rest of the family only by SWAYSOCK, which sway sets
// for what it starts. Wlroots is a member of the family that tells no more.
enum class Compositor { Unknown, Sway, Wlroots, Hyprland, River, Wayfire, Mutter, KWin, Weston };

// From the interface names of the registry's globals; swaySocket: SWAYSOCK
// is set in this environment.
Compositor compositorFromGlobals(const std::vector<std::string>& interfaces, bool swaySocket);

// "sway", "KWin", "unknown", ...: the report's "Compositor:" line.
const char* compositorName(Compositor compositor);

// What gets the compositor's output to 10 bits per colour, as one clause for
// a verdict: "sway: output NAME render_bit_depth 10". kwinColourDepth is
// KWIN_DRM_PREFER_COLOR_DEPTH as this environment sets it (empty where unset):
// below 30 it keeps KWin at 8 bits, and the clause names it.
std::string compositorRemedy(Compositor compositor, const std::string& kwinColourDepth);
