#include "app/startup.h"

#include <cstdio>

#include "app/facts.h"

int runStartup(const StartupSteps& steps) {
  printf("%s", consoleBanner);

  // A failure to start is never reported as success.
  if (!steps.openWindowSystem()) return -1;

  // The 10-bit window comes first: the program exists to show it and gives
  // up without it, leaving the error line readable for a while.
  if (!steps.createWindow10()) {
    fflush(stdout);
    steps.sleepMilliseconds(5000);
    return -1;
  }
  steps.showWindow10();

  if (!steps.createWindow8()) return -1;
  // Lists are shared before either context creates one, and before the
  // 8-bit context has ever been current: some implementations (Wine's WGL
  // among them) can only share into a context that has never been used.
  steps.shareLists();
  steps.initWindow8Context();
  steps.showWindow8();

  // The glyphs are built once, in the shared space, so both windows draw
  // the logo although only the 8-bit context builds it.
  steps.makeWindow8Current();
  steps.buildGlyphLists();
  steps.startTimer();
  steps.runMessageLoop();
  return 0;
}
