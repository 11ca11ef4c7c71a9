// The split view of full screen: both pictures on one 10-bit surface, side by
// side. The left half shows the scene as the 8-bit window shows it: drawn
// into an 8-8-8-8 framebuffer object where the context has them (else into
// the surface itself), read back as 8-bit values and drawn again in place, so
// each pixel holds the 8-bit value widened to the nearest level of the
// surface's 10 bits. The right half shows the same frame at the surface's
// own 10 bits. Each half is laid out as a window of the half's size, and a
// label in its top left corner names it.
#pragma once

#include "render/framebuffer_calls.h"
#include "render/level_count.h"

// How OpenGL entry points beyond 1.1 (framebuffer objects) are found with
// the context current: glXGetProcAddress, wglGetProcAddress or
// eglGetProcAddress, set by the front end. Left null, or where the context
// offers no framebuffer objects, the left half is drawn at the surface's bits
// and narrowed when read back: every pixel still holds an 8-bit value, but a
// level that lies within an eighth of a step of the 8-bit rounding point may
// round the other way than an 8-bit framebuffer rounds it.
extern GlLookup splitViewEntryPoint;

// The split view keeps its 8-bit framebuffer object in the current context
// from frame to frame; this deletes it, with that context current (leaving
// full screen). Before the context is destroyed, or another takes over the
// split view, it must be called.
void releaseSplitViewFramebuffer();

// Columns of the left (8-bit) half of a surface `width` wide; the right
// (10-bit) half takes the rest.
int splitLeftWidth(int width);

// The labels of the halves.
inline constexpr char splitLabel8[] = "8-bit";
inline constexpr char splitLabel10[] = "10-bit";

// Draws the split view into the back buffer of the current context (the one
// with the 10-bit window's format, through initContextState) for a surface of
// width by height pixels; the caller swaps. Both halves show one frame: the
// animation advances once, as for one window's paint. The labels need the
// logo's glyph lists; without them (no font) the halves go unlabelled.
void renderSplitView(int width, int height);

// The check on the split view, as measureRamps does it for a window: each
// half's framebuffer bits (the surface's own), and both ramps drawn into each
// half (the left one narrowed to 8 bits) with the levels read back from each
// half and what 8 and 10 bits allow at the half's size. After each ramp,
// `afterDrawing` (when not null) may swap it to the screen and fill in both
// halves' onScreen counts.
void measureSplitView(WindowMeasurement& left, WindowMeasurement& right, int width, int height,
                      void (*afterDrawing)(RampMeasurement& left, RampMeasurement& right,
                                           void* context),
                      void* context);
