// Which GLX framebuffer configuration a display window takes, decided on
// plain records so that the choice can be tested without an X server.
// glXChooseFBConfig sorts deeper colour first and treats sizes as minimums,
// so asking it for 8 bits would hand back a 10-bit configuration on a
// depth-30 screen; the sizes are matched exactly here instead.
#pragma once

#include <vector>

namespace x11 {

struct FramebufferConfig {
  int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0;
  int depthBits = 0;
  bool windowCapable = false;  // GLX_WINDOW_BIT in GLX_DRAWABLE_TYPE
  bool doubleBuffered = false;
  bool rgba = false;        // GLX_RGBA_BIT in GLX_RENDER_TYPE
  int visualDepth = 0;      // depth of its X visual, 0 without one
  bool trueColour = false;  // GLX_TRUE_COLOR visual (DirectColor needs a colormap set up)
  bool slow = false;        // GLX_SLOW_CONFIG caveat
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

}  // namespace x11
