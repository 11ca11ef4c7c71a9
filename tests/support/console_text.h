// What every front end shows a person without looking at pixels: the window
// titles and the console text at start, as the program's facts give them.
#pragma once

#include "app/facts.h"

inline constexpr const auto& banner = consoleBanner;
