// The size rule both front ends follow, written once: resizing the 8-bit
// window gives the 10-bit window the same outer size at the 10-bit window's
// own position. The rule runs one way only; a front end applies it when the
// 8-bit window changes size and never when the 10-bit window does.
#pragma once

struct WindowBox {
  int left, top, width, height;  // outer rectangle, in screen pixels
};

// Where and how large the 10-bit window becomes after the 8-bit window has
// been resized to `window8`.
WindowBox window10FollowingWindow8(const WindowBox& window8, const WindowBox& window10);
