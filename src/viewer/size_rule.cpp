#include "viewer/size_rule.h"

bool window10FollowingWindow8(const WindowBox& window8, Window8Shape shape,
                              const WindowBox& window10, int maxWidth, int maxHeight,
                              Window10Place& place, WindowBox& target) {
  // A minimised (or shaded, or empty) 8-bit window reports a size nobody
  // chose; the 10-bit window keeps its own until the 8-bit window is back.
  if (shape == Window8Shape::Minimised || window8.width <= 0 || window8.height <= 0) return false;
  // The place is taken before the 10-bit window grows to a maximised size,
  // which the window manager may answer by moving it.
  if (!place.held) {
    place.left = window10.left;
    place.top = window10.top;
  }
  place.held = shape == Window8Shape::Maximised;
  target.left = place.left;
  target.top = place.top;
  target.width = window8.width < maxWidth ? window8.width : maxWidth;
  target.height = window8.height < maxHeight ? window8.height : maxHeight;
  return true;
}
