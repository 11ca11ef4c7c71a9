// The size rule both front ends follow, written once: resizing the 8-bit
// window gives the 10-bit window the same outer size at the 10-bit window's
// own place. The rule runs one way only; a front end applies it when the
// 8-bit window changes size and never when the 10-bit window does.
//
// A window manager is part of the picture: a minimised 8-bit window has no
// size worth copying, and a maximised one is as large as the screen, so the
// window manager moves the 10-bit window to fit it in. The rule remembers
// where the 10-bit window stood before, and puts it back there once the
// 8-bit window is restored, so the two stand side by side again.
#pragma once

struct WindowBox {
  int left, top, width, height;  // outer rectangle, in screen pixels
};

// How the window manager shows the 8-bit window at the time of its size change.
enum class Window8Shape { Normal, Maximised, Minimised };

// The 10-bit window's own place, held while the 8-bit window is maximised.
struct Window10Place {
  bool held = false;
  int left = 0, top = 0;
};

// Whether the 10-bit window changes after the 8-bit window has become
// `window8`; if so, `target` is its new outer box: the 8-bit window's size
// (no larger than maxWidth by maxHeight, what its context can draw) at its own
// place. `window10` is where it stands now; `place` carries the held place
// from one call to the next.
bool window10FollowingWindow8(const WindowBox& window8, Window8Shape shape,
                              const WindowBox& window10, int maxWidth, int maxHeight,
                              Window10Place& place, WindowBox& target);
