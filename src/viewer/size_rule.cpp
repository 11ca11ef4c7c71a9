#include "viewer/size_rule.h"

namespace {

// The start of a span of `length` moved as little as possible to lie within
// the span from `low` of `room`; the span fits.
int within(int start, int length, int low, int room) {
  if (start + length > low + room) start = low + room - length;
  return start < low ? low : start;
}

}  // namespace

bool window10FollowingWindow8(const WindowBox& window8, Window8Shape shape,
                              const WindowBox& window10, int maxWidth, int maxHeight,
                              const WindowBox& screen, Window10Place& place, WindowBox& target) {
  // A minimised (or shaded, or empty) 8-bit window reports a size nobody
  // chose; the 10-bit window keeps its own until the 8-bit window is back.
  if (shape == Window8Shape::Minimised || window8.width <= 0 || window8.height <= 0) return false;
  target.width = window8.width < maxWidth ? window8.width : maxWidth;
  target.height = window8.height < maxHeight ? window8.height : maxHeight;
  // The place is taken before the 10-bit window grows to a size the window
  // manager may answer by moving it.
  if (!place.held) {
    place.left = window10.left;
    place.top = window10.top;
  }
  const bool fits = target.width <= screen.width && target.height <= screen.height;
  place.held = shape == Window8Shape::Maximised || !fits;
  if (place.held) {
    // Too large to stand wholly on the screen, it is never placed where its
    // corner is off it.
    target.left = within(place.left, 1, screen.left, screen.width);
    target.top = within(place.top, 1, screen.top, screen.height);
    return true;
  }
  target.left = within(place.left, target.width, screen.left, screen.width);
  target.top = within(place.top, target.height, screen.top, screen.height);
  return true;
}
