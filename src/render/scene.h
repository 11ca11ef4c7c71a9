// One complete frame of the demonstration scene: the optional grey gradient,
// four lit objects turning together and the rocking logo text. The same call
// serves both windows; the caller makes the context current and swaps.
#pragma once

#include "render/gl_headers.h"
#include "viewer/viewer_state.h"  // skipFrame, for a window nobody can see

// First of the 256 display lists holding the logo glyphs in the list space
// both contexts share; 0 until start-up has built them.
extern GLuint glyphListBase;

// Both require a current context that has been through initContextState.
// drawFrame draws the frame viewerState describes; renderFrame draws it and
// then advances the animation by one frame (skipFrame). `left` places the
// window's area in the framebuffer, as beginFrame takes it.
void renderFrame(int width, int height, int left = 0);
void drawFrame(int width, int height, int left = 0);

// The drawing steps of renderFrame, each in its own object space.
void drawShadedCube();
void drawColourCube();
enum class PrismColour { BlueGrey, Green };
void drawPrism(PrismColour colour);
void drawLogo();
