// What either front end shows a person without looking at pixels: the window
// titles and the console text at start, written once for every test.
#pragma once

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
