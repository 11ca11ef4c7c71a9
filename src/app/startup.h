// The start-up order every front end follows, written once. A front end
// supplies its platform steps; this file decides their order, what the
// console shows and how each failure ends the program. It makes no window
// system or OpenGL call of its own, so it runs under test with fake steps.
#pragma once

#include "app/start_options.h"

// Which of the two display windows a step acts on.
enum class WhichWindow { TenBit, EightBit };

struct StartupSteps {
  bool (*openWindowSystem)();  // window class and icons, or display connection; prints why not
  // The window with its context, not yet shown; prints why not. The 8-bit
  // context shares the 10-bit context's lists from its creation where the
  // platform shares only then.
  bool (*createWindow)(WhichWindow which);
  void (*makeCurrent)(WhichWindow which);
  void (*initContextState)();             // the current context's fixed state
  void (*showWindow)(WhichWindow which);  // painted at once or when first exposed
  void (*shareLists)();                   // the 8-bit context joins the 10-bit one's lists;
                                          // null where contexts share at creation
  void (*buildGlyphLists)();              // logo glyphs in the shared space, 8-bit context current
  void (*releaseContext)();  // once the glyphs stand, where each paint makes its context
                             // current; null where the 8-bit context stays current
  void (*startTimer)();      // 16 ms refreshes
  void (*runEventLoop)();    // until Escape or a closed window
  // With --check, the report in the event loop's place: whether 10 bits
  // reach the screen.
  bool (*check)();
  void (*sleepMilliseconds)(unsigned milliseconds);
  // --fullscreen and --blind: the split view once the windows stand, before
  // the event loop or the check; whether full screen was given. Where it was
  // not, a line says why and the two windows stay.
  bool (*enterFullScreen)();
  // What ends the program before its time, as the exit status it then ends
  // with: 128 plus the number of the signal that came (SIGINT, SIGTERM), as
  // shells report it, or -1 where the display connection was lost or the
  // display server reported an error; 0 while nothing has. Null where
  // nothing ends the program so.
  int (*earlyEndStatus)();
};

// Returns the process exit status: 0 after a normal end (with --check, 1
// where 10 bits do not reach the screen), -1 when the program could not
// start; with --blind, what finishBlindTest makes of that; what
// earlyEndStatus says where that is not 0, and then full screen and the
// blind test are not begun.
int runStartup(const StartupSteps& steps, const StartOptions& options);
