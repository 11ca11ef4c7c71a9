#include "app/startup.h"

#include <cstdio>

#include "app/blind_test.h"
#include "app/facts.h"

namespace {

// The windows and their contexts, 10-bit first; 0 when both stand and -1
// when the program cannot start.
int createWindows(const StartupSteps& steps) {
  if (!steps.openWindowSystem()) return -1;

  // The 10-bit window comes first: the program exists to show it and gives
  // up without it, leaving the error line readable for a while.
  if (!steps.createWindow(WhichWindow::TenBit)) {
    fflush(stdout);
    steps.sleepMilliseconds(5000);
    return -1;
  }
  steps.makeCurrent(WhichWindow::TenBit);
  steps.initContextState();
  steps.showWindow(WhichWindow::TenBit);

  if (!steps.createWindow(WhichWindow::EightBit)) return -1;
  // Lists are shared before either context creates one, and before the
  // 8-bit context has ever been current: some implementations (Wine's WGL
  // among them) can only share into a context that has never been used.
  if (steps.shareLists != nullptr) steps.shareLists();
  steps.makeCurrent(WhichWindow::EightBit);
  steps.initContextState();
  steps.showWindow(WhichWindow::EightBit);
  return 0;
}

int earlyEndStatus(const StartupSteps& steps) {
  return steps.earlyEndStatus != nullptr ? steps.earlyEndStatus() : 0;
}

// The event loop or the check, with the windows standing, after what the
// options ask of the start: full screen, the blind test.
int runLoopOrCheck(const StartupSteps& steps, const StartOptions& options) {
  bool fullScreen = false;
  if ((options.fullScreen || options.blind) && earlyEndStatus(steps) == 0)
    fullScreen = steps.enterFullScreen();
  if (options.check) return steps.check() ? 0 : 1;
  // --blind: the test runs in full screen, or not at all.
  if (options.blind && earlyEndStatus(steps) == 0) {
    if (!fullScreen) {
      printf("%s", blindNeedsFullScreenLine);
      return 0;
    }
    if (!beginBlindTest()) return 0;
  }
  steps.runEventLoop();
  return 0;
}

}  // namespace

int runStartup(const StartupSteps& steps, const StartOptions& options) {
  printf("%s", consoleBanner);
  int status = createWindows(steps);
  if (status == 0) {
    // The glyphs are built once, in the shared space, so both windows draw
    // the logo although only the 8-bit context builds it.
    steps.makeCurrent(WhichWindow::EightBit);
    steps.buildGlyphLists();
    if (steps.releaseContext != nullptr) steps.releaseContext();
    steps.startTimer();
    status = runLoopOrCheck(steps, options);
  }
  if (options.blind) status = finishBlindTest(status);
  const int early = earlyEndStatus(steps);
  return early != 0 ? early : status;
}
