// Keys by keysym, for the X11 and the Wayland front end alike: XKB's keysyms
// are X's own numbers, so one table serves both without either's header. The
// table's letters act with or without Shift or Caps Lock (a keyboard map may
// list only the capital), the digits are those of the main row wherever a
// layout puts them, and keys with Alt held are the desktop's, as
// WM_SYSKEYDOWN is on Windows.
#pragma once

#include "viewer/key_commands.h"

// An X or XKB keysym (KeySym, xkb_keysym_t).
using Keysym = unsigned long;

// The key's symbols without and with Shift in its layout.
ViewerKey viewerKeyFromKeysyms(Keysym unshifted, Keysym shifted, bool altHeld);
