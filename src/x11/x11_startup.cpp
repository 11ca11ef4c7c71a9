// Start-up on X11: the platform steps of the shared start-up order. The
// 10-bit window is created first and, on a screen without 10-10-10-2
// configurations, the program gives up before any window exists; the 8-bit
// context shares the 10-bit context's display lists from its creation on;
// the logo's glyph lists are built in that shared space.
#include <cstdio>
#include <string>

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

// Full screen once the windows stand, waited for up to five seconds (a
// window manager maps and sizes it in its own time).
bool showFullScreenAtStart() {
  if (!enterFullScreen()) return false;
  if (!handleEventsUntil(fullScreenReady, 5000) && fullScreenShown() &&
      !frontEnd.fullScreenWindow.mapped)
    printf("NOTE: The full-screen window was not shown within 5 seconds.\n");
  return fullScreenShown();
}

// With --check the report takes the event loop's place. A check that cannot
// see full screen shown measures the two windows instead, and says so.
bool checkInsteadOfEventLoop() {
  if (fullScreenShown() && !frontEnd.fullScreenWindow.mapped) leaveFullScreen();
  return reportDisplayChain();
}

// A signal, or an error the X server reported (for any request made so far:
// the round trip brings them in).
int endedEarly() {
  if (frontEnd.display != nullptr) XSync(frontEnd.display, False);
  return earlyEndStatus(xErrorReported());
}

}  // namespace

int runApplication(const StartOptions& options, const std::string& startNote) {
  frontEnd.noteAfterBanner = startNote;
  const StartupSteps x11Steps = {openDisplayAfterNote,
                                 createWindow,
                                 makeCurrent,
                                 initContextState,
                                 showWindow,
                                 nullptr,
                                 buildLogoGlyphLists,
                                 releaseContext,
                                 startRefreshTimer,
                                 runEventLoop,
                                 checkInsteadOfEventLoop,
                                 sleepMilliseconds,
                                 showFullScreenAtStart,
                                 endedEarly};
  endOnSignals();
  const int status = runStartup(x11Steps, options);
  // The windows would go with the process; closing them here keeps leak
  // checkers' reports down to real leaks, also after a signal.
  closeWindows();
  return status;
}

}  // namespace x11
