// What a person sees of either front end from outside: titles and console
// text, and where the logo stands.
#pragma once

#include "support/console_text.h"
#include "x_screen.h"

// Where the logo stands: the lower right quarter of a window's client area.
inline ScreenRect logoCorner(const ScreenImage& image) {
  return {image.width * 3 / 4, image.height * 3 / 4, image.width / 4, image.height / 4};
}
