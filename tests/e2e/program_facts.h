// What a person sees of either front end from outside: the window titles and
// the console text at start.
#pragma once

#include "x_screen.h"

inline constexpr char title10[] = "Lumivane - DisplayPort 10 bit video";
inline constexpr char title8[] = "Lumivane - Display Port 8 bit video";
inline constexpr char banner[] =
    "Lumivane DisplayPort 10 bit video test application\nVersion 101015\n"
    "Usage: \n"
    "  Press 'b' key to change background shade.\n"
    "  Press 'p' key to pause rotation.\n"
    "  Press 'n' key to toggle logo.\n"
    "  Press '1' key to toggle main lighting.\n"
    "  Press '2' key to toggle side lighting.\n";

// Where the logo stands: the lower right quarter of a window's client area.
inline ScreenRect logoCorner(const ScreenImage& image) {
  return {image.width * 3 / 4, image.height * 3 / 4, image.width / 4, image.height / 4};
}
