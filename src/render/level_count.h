// Measuring what a framebuffer really holds: the background ramp alone,
// drawn into the back buffer of the current context as renderFrame draws
// it, read back before any swap and its distinct greys counted; and the
// records the counts go into, with the level arithmetic they are held
// against (plain data, which the check's report in app/ reads).
#pragma once

// A count or a bit size the program could not find out itself.
constexpr int unknownCount = -1;

// The bits of red, green and blue a context holds.
struct ContextColour {
  int redBits, greenBits, blueBits;
};

// The background ramps' levels in one window: as drawn, as shown, and what
// 8 and 10 bits allow at its size.
struct RampMeasurement {
  int drawn = unknownCount;     // distinct greys read back from the back buffer
  int onScreen = unknownCount;  // distinct greys the window system holds after the swap
  int allowed8 = 0, allowed10 = 0;
};

// Whether the window system shows a window's pixels one for one, or scales
// the window (a compositor or Windows stretching it), which blends
// neighbouring levels; unknown where a front end cannot tell.
enum class PixelScaling { Unknown, OneToOne, Scaled };

struct WindowMeasurement {
  int redBits = unknownCount, greenBits = unknownCount, blueBits = unknownCount,
      alphaBits = unknownCount;
  RampMeasurement fullRamp, narrowRamp;
  PixelScaling pixels = PixelScaling::Unknown;
};

// The background presets the check draws: the widest ramp and the
// narrowest one that is still a ramp (not one flat grey).
int widestRampPreset();
int narrowestRampPreset();

// Distinct levels a background ramp from bottom to top can show in a window
// of this inside size at `bits` per colour: the ramp spans the square
// viewport (side = the larger dimension) anchored at the lower-left corner,
// of which the window shows the lower `height` rows, sampled at pixel centres.
int rampLevelsAllowed(float bottom, float top, int width, int height, int bits);

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
