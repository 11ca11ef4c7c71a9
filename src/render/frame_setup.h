// OpenGL state each display context receives once, the set-up every frame
// begins with, and the grey gradient drawn behind the scene. All three work on
// the context current on the calling thread.
#pragma once

#include "viewer/key_commands.h"

// Once per display context, right after it is created and made current, while
// its modelview matrix is still the identity (the light positions are given
// in eye space then and never again).
void initContextState();

// Clear, square viewport anchored at the lower-left corner, perspective.
// `left` is the column where the window's area starts in the framebuffer: 0
// for a window, the right half's first column in the split view (whose
// caller scissors the half, so the clear and the viewport stay inside it).
void beginFrame(int width, int height, int left = 0);

// Vertical ramp from shadeBottom to shadeTop over the whole viewport, in grey
// or in the chosen primary alone, unlit and without depth writes. Leaves the
// modelview mode selected with an identity matrix and the projection matrix
// as it was.
void drawBackground();

// The largest window the current context can draw into, in pixels: the
// viewport limit, and the renderbuffer limit where the context has one and
// it is lower. A window larger than this is not drawn whole (and some
// drivers fail outright), so the display windows are never made larger.
void largestDrawableSize(int& maxWidth, int& maxHeight);

// Switches one light of the current context on or off.
void switchLightInCurrentContext(Light light, bool on);

// For a colour buffer that keeps alpha (an ARGB X visual, a Wayland buffer),
// after renderFrame and before the swap. Each frame clears alpha to 0, which
// a compositor would show as a see-through window; the background, an opaque
// quad over the whole square viewport, covers every pixel with alpha 1. Only
// preset 0 draws none, so only then is alpha alone set to 1: a masked clear
// is a whole extra pass over the window.
void makeFrameOpaque();
