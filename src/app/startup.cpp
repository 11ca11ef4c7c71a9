#include "app/startup.h"

#include <cstdio>

int runStartup(const StartupSteps& steps) {
  printf("Lumivane DisplayPort 10 bit video test application\nVersion 101015\n");
  printf(
      "Usage: \n"
      "  Press 'b' key to change background shade.\n"
      "  Press 'p' key to pause rotation.\n"
      "  Press 'n' key to toggle logo.\n"
      "  Press '1' key to toggle main lighting.\n"
      "  Press '2' key to toggle side lighting.\n");

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
