// Which pixel format a display window takes, decided on plain records so that
// the choice is the same in every front end and can be tested without a
// window system. Each front end describes the formats its driver offers
// (WGL pixel formats, GLX framebuffer configurations) as candidates.
// Drivers sort deeper colour first and treat sizes as minimums, so asking
// one for 8 bits can hand back a 10-bit format; the sizes are matched
// exactly here instead.
#pragma once

#include <vector>

#include "render/level_count.h"

struct PixelFormatCandidate {
  int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0;
  int depthBits = 0;
  bool drawsToWindow = false;  // can back a window (with OpenGL, and on X an X visual)
  bool doubleBuffered = false;
  bool rgba = false;         // fixed-point RGBA: not colour index, not floating point
  bool accelerated = false;  // the driver's own, not a software fallback or slow caveat
  // X only: a visual of the screen's own depth, and TrueColor (DirectColor
  // needs a colormap set up). Formats of other systems keep both true.
  bool screensOwnDepth = true;
  bool trueColour = true;
};

// The names under which GLX and EGL configurations give their colour and
// depth sizes, each asked for on its own.
struct SizeAttributeNames {
  int red, green, blue, alpha, depth;
};

// The candidate's colour and depth sizes, each through attribute(name).
template <typename Attribute>
void readSizes(PixelFormatCandidate& candidate, const SizeAttributeNames& names,
               Attribute attribute) {
  candidate.redBits = attribute(names.red);
  candidate.greenBits = attribute(names.green);
  candidate.blueBits = attribute(names.blue);
  candidate.alphaBits = attribute(names.alpha);
  candidate.depthBits = attribute(names.depth);
}

struct ColourRequest {
  int colourBits;  // exactly this many bits of red, green and blue
  int alphaBits;   // exactly this many, or anyAlpha
};
constexpr int anyAlpha = -1;

// 10-10-10-2, what the 10-bit window exists to show.
constexpr ColourRequest tenBitColour = {10, 2};
// 8 bits per colour; on a depth-30 X screen only the depth-32 ARGB visual has it.
constexpr ColourRequest eightBitColour = {8, anyAlpha};

// Index of the candidate a window with this colour takes: drawing to a
// window, double-buffered, RGBA, with a depth buffer (the scene relies on
// the depth test) and exactly the requested sizes. Among those: accelerated,
// then the screen's own depth, then TrueColor, then the fewest alpha bits,
// then a 24-bit depth buffer or the nearest to it, then the earliest in the
// list. -1 when none matches.
int choosePixelFormat(const std::vector<PixelFormatCandidate>& candidates,
                      const ColourRequest& request);

// Where no candidate is exact: the one nearest in colour, preferring more
// bits to fewer (more can still show every requested level), with the same
// needs and preferences otherwise. -1 when no candidate can back a window.
int chooseNearestPixelFormat(const std::vector<PixelFormatCandidate>& candidates,
                             const ColourRequest& request);

// The format said so; the context has the last word. Prints the error line
// naming the window and returns false when any colour size differs.
bool contextHasChosenColour(const char* title, const ContextColour& got,
                            const PixelFormatCandidate& chosen);

// GLX and EGL, where no configuration can back the window: the 10-bit
// window's line, or the 8-bit window's naming it.
void reportNoConfiguration(bool tenBit, const char* title);

// The 8-bit window is the reference the 10-bit window is judged against:
// when it holds more than 8 bits, says so in one line (the program goes on).
void noteEightBitWindowColour(const ContextColour& got);
