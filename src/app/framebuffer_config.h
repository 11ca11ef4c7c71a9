// Which framebuffer configuration a display window takes, decided on plain
// records so that the choice can be tested without a display. Each front end
// describes its candidates (GLX framebuffer configurations, EGL
// configurations) in these records. The platforms' own choosers sort deeper
// colour first and treat sizes as minimums, so asking them for 8 bits would
// hand back a 10-bit configuration on a deep-colour screen; the sizes are
// matched exactly here instead.
#pragma once

#include <vector>

struct FramebufferConfig {
  int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0;
  int depthBits = 0;
  bool windowCapable = false;  // can draw to a window with desktop OpenGL
  bool doubleBuffered = false;
  bool rgba = false;        // RGBA rather than colour-index or luminance
  int visualDepth = 0;      // depth of its X visual or bits of its pixel format, 0 without one
  bool trueColour = false;  // a TrueColor visual (DirectColor needs a colormap set up)
  bool slow = false;        // a slow (software fallback) caveat
};

struct ColourRequest {
  int colourBits;  // exactly this many bits of red, green and blue
  int alphaBits;   // exactly this many, or anyAlpha
};
constexpr int anyAlpha = -1;

// 10-10-10-2, what the 10-bit window exists to show.
constexpr ColourRequest tenBitColour = {10, 2};
// 8 bits per colour; on a depth-30 screen only the depth-32 ARGB visual has it.
constexpr ColourRequest eightBitColour = {8, anyAlpha};

// Index of the configuration a window with this colour takes: window-capable,
// double-buffered, RGBA, with a depth buffer and exactly the requested sizes.
// Among matches: no slow caveat, then a visual of the screen's own depth,
// then TrueColor, then the fewest alpha bits, then a 24-bit depth buffer or
// the nearest to it, then the earliest in the list. -1 when none matches.
int chooseFramebufferConfig(const std::vector<FramebufferConfig>& configs,
                            const ColourRequest& request, int screenDepth);
