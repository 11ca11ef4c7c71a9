// Finding a window of ours in a copy of the whole screen, where the program
// does not know where its windows stand (a Wayland client). Before the copy
// the window's picture gets marks down its first and last column: two
// saturated primaries (or white) alternating row by row, a pair of its own
// for each picture the check shows (which window, which ramp). A compositor
// keeps such colours exact at any depth it composes in, and no other
// picture of ours carries the same pair in the same order from the same
// row, so a window is found only where its own marks stand whole, a full
// window's height apart from nothing else: never in the other window, nor in
// a stale frame of the ramp before. The background ramp is vertical, so the
// columns between the marks still hold every one of its levels.
#pragma once

#include <vector>

// The pictures the check marks: the 8-bit and 10-bit windows (or halves),
// each with the full and the narrow ramp.
constexpr int markedPictureCount = 4;
inline int markedPicture(bool tenBit, bool narrowRamp) {
  return (tenBit ? 2 : 0) + (narrowRamp ? 1 : 0);
}

// Draws the marks of `picture` into columns 0 and width - 1 of the current
// context's back buffer (a window of this size); the GL state is left as it
// was.
void drawWindowMarks(int width, int height, int picture);

// A copy of the screen: levels of its own depth (0 to maxLevel), rows from
// the top.
struct CopiedPixel {
  int r, g, b;
  bool operator<(const CopiedPixel& o) const {
    return r != o.r ? r < o.r : g != o.g ? g < o.g : b < o.b;
  }
};
struct CopiedScreen {
  int width = 0, height = 0, maxLevel = 255;
  std::vector<CopiedPixel> pixels;
  const CopiedPixel& at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
};

// Where the marked picture of this size stands whole in the copy: its left
// column and top row. False where it is not there whole (covered, off the
// output, resampled, or not marked at all).
bool findMarkedPicture(const CopiedScreen& copy, int width, int height, int picture, int& left,
                       int& top);

// Distinct colours in the copy's columns left to left + width - 1, rows top
// to top + height - 1.
int countCopiedLevels(const CopiedScreen& copy, int left, int top, int width, int height);
