// Measuring what a framebuffer really holds: the background ramp alone,
// drawn into the back buffer of the current context as renderFrame draws
// it, read back before any swap and its distinct greys counted.
#pragma once

#include "app/display_check.h"
#include "app/pixel_format_choice.h"

// The current context's bits of red, green and blue, to hold against the
// format it was created with.
ContextColour currentContextColour();

// The current context's GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS and
// GL_ALPHA_BITS into the measurement.
void readFramebufferBits(WindowMeasurement& measurement);

// Clears and draws the ramp from bottom to top over a window of this inside
// size into the back buffer, and returns the distinct greys it holds there.
// The viewer's shades are left as they were; the back buffer holds the ramp
// until the caller swaps or paints again.
int drawRampAndCountLevels(int width, int height, float bottom, float top);

// Clears and draws the ramp from bottom to top over a window of this inside
// size whose area starts at column `left`; the viewer's shades are left as
// they were. Where left is not 0 the caller scissors the area.
void drawRamp(int width, int height, float bottom, float top, int left);

// The distinct colours in the back buffer's columns left to left + width - 1,
// rows 0 to height - 1 (an offscreen framebuffer: its own colour buffer).
int countLevelsInBackBuffer(int left, int width, int height);

// Both ramps (the widest and the narrowest preset) as drawRampAndCountLevels
// counts them, with what 8 and 10 bits allow at this size. Between the two,
// and after the second, `afterDrawing` (when not null) may swap the ramp to
// the screen and fill in its onScreen count.
void measureRamps(WindowMeasurement& measurement, int width, int height,
                  void (*afterDrawing)(RampMeasurement& ramp, void* context), void* context);
