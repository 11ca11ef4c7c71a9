// The size rule every front end follows, written once: resizing the 8-bit
// window gives the 10-bit window the same outer size at the 10-bit window's
// own place. The rule runs one way only; a front end applies it when the
// 8-bit window changes size and never when the 10-bit window does.
//
// A window manager is part of the picture: a minimised 8-bit window has no
// size worth copying, and a maximised one, or one larger than the screen,
// makes the 10-bit window too large to stand where it is, so the window
// manager moves it to fit it in. The rule remembers where the 10-bit window
// stood before, and puts it back there once the 8-bit window is restored to
// a size the screen holds, so the two stand side by side again. A 10-bit
// window the screen can hold is kept wholly on the screen, a larger one with
// its corner on it.
#pragma once

struct WindowBox {
  int left, top, width, height;  // outer rectangle, in screen pixels
};

// A screen with no edges, for a front end that knows no places (Wayland).
constexpr WindowBox unboundedScreen = {-(1 << 29), -(1 << 29), 1 << 30, 1 << 30};

// How the window manager shows the 8-bit window at the time of its size change.
enum class Window8Shape { Normal, Maximised, Minimised };

// The 10-bit window's own place, held while the 8-bit window is maximised or
// larger than the screen.
struct Window10Place {
  bool held = false;
  int left = 0, top = 0;
};

// Whether the 10-bit window changes after the 8-bit window has become
// `window8`; if so, `target` is its new outer box: the 8-bit window's size
// (no larger than maxWidth by maxHeight, what its context can draw) at its own
// place, moved onto `screen` (the area windows may take) where it fits there.
// `window10` is where it stands now; `place` carries the held place from one
// call to the next.
bool window10FollowingWindow8(const WindowBox& window8, Window8Shape shape,
                              const WindowBox& window10, int maxWidth, int maxHeight,
                              const WindowBox& screen, Window10Place& place, WindowBox& target);

// The same where the screen's edges are not known.
inline bool window10FollowingWindow8(const WindowBox& window8, Window8Shape shape,
                                     const WindowBox& window10, int maxWidth, int maxHeight,
                                     Window10Place& place, WindowBox& target) {
  return window10FollowingWindow8(window8, shape, window10, maxWidth, maxHeight, unboundedScreen,
                                  place, target);
}
