// The start-up order every front end follows, written once. A front end
// supplies its platform steps; this file decides their order, what the
// console shows and how each failure ends the program. It makes no window
// system or OpenGL call of its own, so it runs under test with fake steps.
#pragma once

struct StartupSteps {
  bool (*openWindowSystem)();    // window class and icons, or display connection; prints why not
  bool (*createWindow10)();      // context current and initialised on success; prints why not
  void (*showWindow10)();        // shown; painted at once or when first exposed
  bool (*createWindow8)();       // with its context, not yet current; prints why not
  void (*shareLists)();          // the 8-bit context joins the 10-bit context's list space
  void (*initWindow8Context)();  // made current for the first time and given initContextState
  void (*makeWindow8Current)();
  void (*showWindow8)();
  void (*buildGlyphLists)();  // logo glyphs in the shared space, 8-bit context current
  void (*startTimer)();       // 16 ms refreshes
  void (*runMessageLoop)();   // until Escape or a closed window
  void (*sleepMilliseconds)(unsigned milliseconds);
};

// Returns the process exit status: 0 after a normal end, -1 when the program
// could not start.
int runStartup(const StartupSteps& steps);
