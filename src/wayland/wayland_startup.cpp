// Start-up on Wayland: the platform steps of the shared start-up order. The
// 10-bit window is created first and, where EGL offers no 10-10-10-2
// configuration, the program gives up before any window exists; the 8-bit
// context shares the 10-bit context's display lists from its creation on;
// the logo's glyph lists are built in that shared space.
#include <poll.h>

#include <cstdio>

#include "app/facts.h"
#include "app/startup.h"
#include "freetype/glyph_outlines.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "render/split_view.h"
#include "wayland/wayland_front_end.h"

namespace wayland {

namespace {

void makeCurrent(WhichWindow which) {
  makeContextCurrent(displayWindow(which));
}

void showWindow(WhichWindow which) {
  showDisplayWindow(displayWindow(which));
}

// The windows at the sizes the compositor settles on: a tiling one resizes
// the first window when the second appears, and may hold that back until the
// first window has answered its earlier configure with a frame. So, as the
// event loop would, each configured window is painted, until a round trip
// brings no new configure and each window knows its output (a few rounds at
// most; a bound keeps a restless compositor from holding the start forever).
// False where the connection is lost.
bool settleWindows() {
  for (int round = 0; round < 10; ++round) {
    bool painted = false;
    for (DisplayWindow& record : frontEnd.windows) {
      if (!record.needsPaint || !record.shown) continue;
      paintDisplayWindow(record);
      painted = true;
    }
    if (!roundTrip()) return false;
    // A window is measured at its buffer's scale only once the compositor
    // has said which output it stands on, which it may do only when it next
    // draws that output: round trips alone do not wait for it.
    bool placed = true;
    for (const DisplayWindow& record : frontEnd.windows)
      placed = placed && !(record.shown && record.outputs.empty());
    if (!painted && placed && !window10.needsPaint && !window8.needsPaint) break;
    if (!placed) {
      pollfd wait = {wl_display_get_fd(frontEnd.connection.display), POLLIN, 0};
      poll(&wait, 1, 100);
    }
  }
  return true;
}

// Full screen on the output the 10-bit window stands on, which the
// compositor tells once the windows have settled. A surface that does not
// cover its output is not given: a corner of the screen would show the
// desktop beside the halves.
bool enterFullScreenAtStart() {
  return settleWindows() && enterFullScreen() && fullScreenCoversOutput();
}

// With --check the report takes the event loop's place, on the windows as
// they settled.
bool checkInsteadOfEventLoop() {
  if (endingSignal() != 0 || connectionLost()) return false;
  if (!fullScreenShown() && !settleWindows()) return false;
  return reportDisplayChain();
}

// A signal, or a compositor that went away (or threw the program out).
int endedEarly() {
  return earlyEndStatus(connectionLost());
}

}  // namespace

int runApplication(const StartOptions& options) {
  const StartupSteps waylandSteps = {connectDisplay,
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
                                     enterFullScreenAtStart,
                                     endedEarly};
  endOnSignals();
  const int status = runStartup(waylandSteps, options);
  // The windows would go with the process; closing them here keeps leak
  // checkers' reports down to real leaks, also after a signal.
  disconnectDisplay();
  return status;
}

}  // namespace wayland
