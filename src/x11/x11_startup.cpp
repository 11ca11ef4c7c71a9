// Start-up on X11: the platform steps of the shared start-up order. The
// 10-bit window is created first and, on a screen without 10-10-10-2
// configurations, the program gives up before any window exists; the 8-bit
// context shares the 10-bit context's display lists from its creation on;
// the logo's glyph lists are built in that shared space.
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "app/blind_test.h"
#include "app/facts.h"
#include "app/startup.h"
#include "freetype/glyph_outlines.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "render/split_view.h"
#include "x11/x11_front_end.h"

namespace x11 {

namespace {

void makeCurrent(WhichWindow which) {
  makeContextCurrent(displayWindow(which));
}

// The console's first line after the banner, where the program has
// something to say about how it got here.
bool openDisplayAfterNote() {
  printf("%s", frontEnd.noteAfterBanner.c_str());
  return openDisplay();
}

// With --fullscreen, full screen once the windows stand, waited for up to
// five seconds (a window manager maps and sizes it in its own time). A check
// that cannot see it shown measures the two windows instead, and says so.
void showFullScreenAtStart() {
  if (!frontEnd.startInFullScreen || !enterFullScreen()) return;
  if (!handleEventsUntil(fullScreenReady, 5000) && fullScreenShown() &&
      !frontEnd.fullScreenWindow.mapped)
    printf("NOTE: The full-screen window was not shown within 5 seconds.\n");
}

// --blind: the test runs in full screen, or not at all.
void eventLoop() {
  showFullScreenAtStart();
  if (frontEnd.blindTest && !fullScreenShown()) {
    printf("%s", blindNeedsFullScreenLine);
    return;
  }
  if (frontEnd.blindTest && !beginBlindTest()) return;
  runEventLoop();
}

// With --check the report takes the event loop's place.
bool checkInsteadOfEventLoop() {
  showFullScreenAtStart();
  if (fullScreenShown() && !frontEnd.fullScreenWindow.mapped) leaveFullScreen();
  return reportDisplayChain();
}

}  // namespace

int runApplication(const StartOptions& options, const std::string& startNote) {
  frontEnd.noteAfterBanner = startNote;
  frontEnd.startInFullScreen = options.fullScreen || options.blind;
  frontEnd.blindTest = options.blind;
  const StartupSteps x11Steps = {openDisplayAfterNote,
                                 createWindow,
                                 makeCurrent,
                                 initContextState,
                                 showWindow,
                                 nullptr,
                                 buildLogoGlyphLists,
                                 releaseContext,
                                 startRefreshTimer,
                                 eventLoop,
                                 checkInsteadOfEventLoop,
                                 sleepMilliseconds};
  endOnSignals();
  const int status = runStartup(x11Steps, options);
  // The windows would go with the process; closing them here keeps leak
  // checkers' reports down to real leaks, also after a signal.
  closeWindows();
  // As shells report a program that a signal ended.
  if (endingSignal() != 0) return 128 + endingSignal();
  if (xErrorReported()) return -1;
  return status;
}

}  // namespace x11
