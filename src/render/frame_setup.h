// OpenGL state each display context receives once, the set-up every frame
// begins with, and the grey gradient drawn behind the scene. All three work on
// the context current on the calling thread.
#pragma once

// Once per display context, right after it is created and made current, while
// its modelview matrix is still the identity (the light positions are given
// in eye space then and never again).
void initContextState();

// Clear, square viewport anchored at the lower-left corner, perspective.
void beginFrame(int width, int height);

// Vertical grey ramp from shadeBottom to shadeTop over the whole viewport,
// unlit and without depth writes. Leaves the modelview mode selected with an
// identity matrix and the projection matrix as it was.
void drawBackground();

// The largest window the current context can draw into, in pixels: the
// viewport limit, and the renderbuffer limit where the context has one and
// it is lower. A window larger than this is not drawn whole (and some
// drivers fail outright), so the display windows are never made larger.
void largestDrawableSize(int& maxWidth, int& maxHeight);
