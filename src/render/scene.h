// One complete frame of the demonstration scene: the optional grey gradient,
// four lit objects turning together and the rocking logo text. The same call
// serves both windows; the caller makes the context current and swaps.
#pragma once

#include "render/gl_headers.h"

// First of the 256 display lists holding the logo glyphs in the list space
// both contexts share; 0 until start-up has built them.
extern GLuint glyphListBase;

// Requires a current context that has been through initContextState. Reads
// and advances viewerState. `left` places the window's area in the
// framebuffer, as beginFrame takes it.
void renderFrame(int width, int height, int left = 0);

// Advances viewerState exactly as renderFrame does, drawing nothing: the
// frame of a window nobody can see, so that the animation runs on and the
// picture is right when the window comes back.
void skipFrame();

// The drawing steps of renderFrame, each in its own object space.
void drawShadedCube();
void drawColourCube();
enum class PrismColour { BlueGrey, Green };
void drawPrism(PrismColour colour);
void drawLogo();
