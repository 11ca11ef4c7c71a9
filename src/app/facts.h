// The program's own facts, written once: what every front end shows a person
// (titles, places, console lines) and the fixed numbers its windows live by.
// The tests read the same names, so a change here is a change everywhere.
// Error lines that carry a window title stay beside their printf, where the
// compiler checks the format against its arguments.
#pragma once

// The titles are how people and tools tell the windows apart; the 8-bit
// title writes "Display Port" as two words, unlike the 10-bit one.
inline constexpr char title10[] = "Lumivane - DisplayPort 10 bit video";
inline constexpr char title8[] = "Lumivane - Display Port 8 bit video";

// Full screen (key F, --fullscreen): one window with both pictures side by
// side, the 8-bit one on the left.
inline constexpr char fullScreenTitle[] = "Lumivane - 8 bit and 10 bit video, full screen";

// Both windows start this many pixels square (the outer size on Windows, the
// inside size on X11, where the window manager adds the frame), side by side
// with the 8-bit window on the left.
inline constexpr int windowSize = 400;
inline constexpr int window8Left = 0;
inline constexpr int window8Top = 0;
inline constexpr int window10Left = window8Left + windowSize;
inline constexpr int window10Top = window8Top;

// One refresh of both windows every 16 ms, about 60 frames a second. On
// Windows the timer carries an id, which the window procedure checks.
inline constexpr unsigned refreshPeriodMs = 16;
inline constexpr unsigned refreshTimerId = 0;

// The one Win32 window class of the probe and both display windows.
inline constexpr char windowClassName[] = "OpenGLWindowClass";

// Printed first by every front end. "Version 101015" is the console's own
// version line, not the executable's 1.0.0.1: people and scripts know the
// text as it is, so its first eight lines stay exactly so. The last two name
// F, the remedy the check names on Windows, and I, so people find them.
inline constexpr char consoleBanner[] =
    "Lumivane DisplayPort 10 bit video test application\nVersion 101015\n"
    "Usage: \n"
    "  Press 'b' key to change background shade.\n"
    "  Press 'p' key to pause rotation.\n"
    "  Press 'n' key to toggle logo.\n"
    "  Press '1' key to toggle main lighting.\n"
    "  Press '2' key to toggle side lighting.\n"
    "  Press 'c' key to change the ramp's colour.\n"
    "  Press Left or Right in the blind test (--blind) to name the smoother half.\n"
    "  Press 'f' key for full screen (both pictures on one 10-bit surface).\n"
    "  Press 'i' key to print the display chain report.\n";

// --blind where full screen could not be had: two windows would tell which
// picture is which.
inline constexpr char blindNeedsFullScreenLine[] =
    "ERROR: The blind test needs full screen, which this display did not give.\n";

// The line every front end prints when the screen has no 10-10-10-2 format.
inline constexpr char noTenBitFormatLine[] =
    "ERROR: 10 bit video is either not supported, or not currently enabled on this video card.\n";
// Windows: the driver lacks WGL_ARB_pixel_format or one of its entry points.
// The double blank is part of the line as people have always seen it.
inline constexpr char noPixelFormatExtensionLine[] =
    "ERROR: The extensions for  10 bit video are not supported on this video card.\n";
// Windows, after the error line when WGL offers no 10-bit format but DXGI is
// there: most video cards show 10 bits through DXGI swap chains instead.
inline constexpr char tryDxgiNote[] =
    "NOTE: Try 'lumivane --dxgi': it shows 10 bit video through DXGI swap chains, which most "
    "current video cards support on a 10 bit desktop.\n";
// Every front end, when no bold "Arial" (or its stand-in) can be loaded:
// the program goes on without the logo.
inline constexpr char logoFontMissingNote[] =
    "NOTE: Unable to load a bold Arial font for the logo, so the logo is not shown.\n";
